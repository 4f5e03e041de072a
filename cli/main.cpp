// veltra-info: prints the report that the window draws over a picture, for each file named
// on the command line, through the same document load and the same report code.

#include "document/unattended_prompts.h"
#include "document/veltra_doc.h"
#include "imaging/gdiplus.h"
#include "imaging/logging.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitSomeFileFailed = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "用法: veltra-info [选项] 文件...\n"
    "显示图像文件的真实信息：文件类型、尺寸、像素格式、DPI、旋转标志、颜色空间和全部属性。\n"
    "\n"
    "  --decode   同时解码像素（如窗口所做），像素无法解码的文件视为加载失败\n"
    "  --help     显示此帮助并退出\n"
    "  --version  显示版本并退出\n";

struct Options {
    bool decode = false;
    bool help = false;
    bool version = false;
    QStringList files;
    QString error;  // a usage error, when not empty
};

Options ParseArguments(const QStringList& arguments)
{
    Options options;
    bool onlyFilesFollow = false;
    for (const QString& argument : arguments.mid(1)) {
        if (onlyFilesFollow || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            options.files << argument;
        } else if (argument == QLatin1String("--")) {
            onlyFilesFollow = true;
        } else if (argument == QLatin1String("--decode")) {
            options.decode = true;
        } else if (argument == QLatin1String("--help")) {
            options.help = true;
        } else if (argument == QLatin1String("--version")) {
            options.version = true;
        } else {
            options.error = QStringLiteral("veltra-info: 无法识别的选项 “%1”").arg(argument);
            return options;
        }
    }
    if (!options.help && !options.version && options.files.isEmpty())
        options.error = QStringLiteral("veltra-info: 缺少文件参数");
    return options;
}

void Print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

}  // namespace

int main(int argc, char** argv)
{
    // Standard error carries only this program's own messages, one per file that could not be
    // loaded; what Qt and the decoders say goes to the log that QT_LOGGING_RULES turns on.
    veltra::imaging::RouteLibraryMessagesToLog();
    QCoreApplication app(argc, argv);
    const Options options = ParseArguments(QCoreApplication::arguments());
    if (!options.error.isEmpty()) {
        Print(stderr, options.error + QStringLiteral("\n请用 “veltra-info --help” 查看用法。\n"));
        return kExitUsage;
    }
    if (options.help) {
        Print(stdout, QString::fromUtf8(kUsage));
        return kExitOk;
    }
    if (options.version) {
        Print(stdout, QStringLiteral("veltra-info 1.0\n"));
        return kExitOk;
    }

    // The report needs no pixels, so none are decoded ahead; --decode asks for them.
    std::uintptr_t token = 0;
    veltra::imaging::GdiplusStartupInput startup;
    startup.SuppressBackgroundThread = true;
    veltra::imaging::GdiplusStartup(&token, &startup, nullptr);

    veltra::UnattendedPrompts prompts;
    veltra::CVeltraDoc document(prompts);
    const bool withHeaders = options.files.size() > 1;
    bool anyPrinted = false;
    int status = kExitOk;
    for (const QString& file : options.files) {
        QString report;
        const bool opened = document.OnOpenDocument(file);
        const bool decoded = !options.decode || !document.image() ||
                             veltra::imaging::GdipImageForceDecode(document.image()) ==
                                 veltra::imaging::Ok;
        if (!opened || !decoded || !document.GetImageInfo(report)) {
            Print(stderr, QStringLiteral("%1: 文件加载失败\n").arg(file));
            status = kExitSomeFileFailed;
            continue;
        }
        if (withHeaders)
            Print(stdout, QStringLiteral("%1==> %2 <==\n").arg(anyPrinted ? "\n" : "", file));
        if (!report.endsWith(QLatin1Char('\n')))
            report += QLatin1Char('\n');
        Print(stdout, report);
        anyPrinted = true;
    }
    std::fflush(stdout);
    return status;
}
