#include "cli/messages.h"

#include <QLocale>
#include <QStringList>

namespace veltra::cli {

namespace {

constexpr Messages kChinese{
    "用法: veltra-info [选项] 文件或文件夹...\n"
    "显示图像文件的真实信息：文件类型、尺寸、像素格式、DPI、旋转标志、颜色空间和全部属性。\n"
    "多个文件同时读取，报告按给出的顺序逐个写出。\n"
    "\n"
    "  --decode          同时解码像素（如窗口所做），像素无法解码的文件视为加载失败\n"
    "  --json            以 JSON 输出同样的信息：每个文件一个对象，多个文件时为一个数组\n"
    "  --json-lines      以 JSON Lines 输出：每行一个对象，适合任意长的管道\n"
    "  --analyze         在报告之后列出分析：文件隐藏了什么、是怎样制作的\n"
    "  -r, --recursive   读取每个文件夹中的全部文件（按自然顺序，不跟随指向文件夹的链接，\n"
    "                    特殊文件报告为加载失败）\n"
    "  --summary         在全部报告之后输出汇总：各真实内容格式的数量，以及值得再看一眼的\n"
    "                    每项发现及其文件\n"
    "  --summary-only    只输出汇总\n"
    "  --jobs=N          同时读取 N 个文件（默认每个处理器一个）\n"
    "  --help            显示此帮助并退出\n"
    "  --version         显示版本并退出\n"
    "\n"
    "标准错误是终端且运行超过一秒时，在其上显示进度（已完成/共几个文件，每秒几个）。\n",
    "veltra-info: 无法识别的选项 “%1”",
    "veltra-info: 缺少文件参数",
    "请用 “veltra-info --help” 查看用法。",
    "%1: 文件加载失败",
};

constexpr Messages kEnglish{
    "Usage: veltra-info [OPTION]... FILE-OR-FOLDER...\n"
    "Print what image files really are: file type, size, pixel format, DPI, orientation,\n"
    "colour space and every property. The report's labels are in Simplified Chinese.\n"
    "Several files are read at once; their reports are written in the order given.\n"
    "\n"
    "  --decode          also decode the pixels, as the window does; a file whose pixels\n"
    "                    cannot be decoded counts as one that could not be loaded\n"
    "  --json            print the same facts as JSON: one object per file, an array for several\n"
    "  --json-lines      print JSON Lines: one object a line, for pipelines of any length\n"
    "  --analyze         after each report, list findings: what the file hides and how it was made\n"
    "  -r, --recursive   read every file under each folder (in natural order; links to folders\n"
    "                    are not followed; special files are reported as failures)\n"
    "  --summary         after all reports, count the files by real content format and list\n"
    "                    each finding that deserves a second look with its files\n"
    "  --summary-only    print the summary alone\n"
    "  --jobs=N          read N files at once (default: one per processor)\n"
    "  --help            print this help and exit\n"
    "  --version         print the version and exit\n"
    "\n"
    "When standard error is a terminal and the run lasts over a second, it shows the progress\n"
    "(files done of files found, files a second).\n",
    "veltra-info: unrecognised option '%1'",
    "veltra-info: missing file operand",
    "Try 'veltra-info --help' for more information.",
    "%1: cannot be loaded",
};

}  // namespace

MessageLanguage MessageLanguageOfSystem()
{
    const QStringList languages = QLocale::system().uiLanguages();
    return !languages.isEmpty() && languages.front().startsWith(QLatin1String("zh"))
               ? MessageLanguage::Chinese
               : MessageLanguage::English;
}

const Messages& MessagesIn(MessageLanguage language)
{
    return language == MessageLanguage::Chinese ? kChinese : kEnglish;
}

}  // namespace veltra::cli
