#include "cli/messages.h"

#include <QLocale>
#include <QStringList>

namespace veltra::cli {

namespace {

constexpr Messages kChinese{
    "用法: veltra-info [选项] 文件...\n"
    "显示图像文件的真实信息：文件类型、尺寸、像素格式、DPI、旋转标志、颜色空间和全部属性。\n"
    "\n"
    "  --decode   同时解码像素（如窗口所做），像素无法解码的文件视为加载失败\n"
    "  --json     以 JSON 输出同样的信息：每个文件一个对象，多个文件时为一个数组\n"
    "  --analyze  在报告之后列出分析：文件隐藏了什么、是怎样制作的\n"
    "  --help     显示此帮助并退出\n"
    "  --version  显示版本并退出\n",
    "veltra-info: 无法识别的选项 “%1”",
    "veltra-info: 缺少文件参数",
    "请用 “veltra-info --help” 查看用法。",
    "%1: 文件加载失败",
};

constexpr Messages kEnglish{
    "Usage: veltra-info [OPTION]... FILE...\n"
    "Print what image files really are: file type, size, pixel format, DPI, orientation,\n"
    "colour space and every property. The report's labels are in Simplified Chinese.\n"
    "\n"
    "  --decode   also decode the pixels, as the window does; a file whose pixels\n"
    "             cannot be decoded counts as one that could not be loaded\n"
    "  --json     print the same facts as JSON: one object per file, an array for several\n"
    "  --analyze  after each report, list findings: what the file hides and how it was made\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n",
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
