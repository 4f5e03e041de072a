#include "cli/info_command.h"

#include "document/unattended_prompts.h"
#include "document/veltra_doc.h"
#include "imaging/gdiplus.h"

#include <new>

namespace veltra::cli {
namespace {

const char* const kUsage =
    "用法: veltra-info [选项] 文件...\n"
    "显示图像文件的真实信息：文件类型、尺寸、像素格式、DPI、旋转标志、颜色空间和全部属性。\n"
    "\n"
    "  --decode   同时解码像素（如窗口所做），像素无法解码的文件视为加载失败\n"
    "  --help     显示此帮助并退出\n"
    "  --version  显示版本并退出\n";

void Print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

// The report of one file, or nothing when it cannot be loaded (or, asked to, decoded).
std::optional<QString> ReportOf(CVeltraDoc& document, const QString& file, bool decode)
{
    QString report;
    if (!document.OnOpenDocument(file) || !document.image())
        return std::nullopt;
    if (decode && imaging::GdipImageForceDecode(document.image()) != imaging::Ok)
        return std::nullopt;
    if (!document.GetImageInfo(report))
        return std::nullopt;
    if (!report.endsWith(QLatin1Char('\n')))
        report += QLatin1Char('\n');
    return report;
}

}  // namespace

InfoOptions ParseInfoArguments(const QStringList& arguments)
{
    InfoOptions options;
    bool onlyFilesFollow = false;
    for (const QString& argument : arguments) {
        if (onlyFilesFollow || !argument.startsWith(QLatin1Char('-')) ||
            argument == QLatin1String("-")) {
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

int RunInfoCommand(const InfoOptions& options, std::FILE* out, std::FILE* err)
{
    if (!options.error.isEmpty()) {
        Print(err, options.error + QStringLiteral("\n请用 “veltra-info --help” 查看用法。\n"));
        return kExitUsage;
    }
    if (options.help) {
        Print(out, QString::fromUtf8(kUsage));
        return kExitOk;
    }
    if (options.version) {
        Print(out, QStringLiteral("veltra-info 1.0\n"));
        return kExitOk;
    }

    UnattendedPrompts prompts;
    CVeltraDoc document(prompts);
    const bool withHeaders = options.files.size() > 1;
    bool anyPrinted = false;
    int status = kExitOk;
    for (const QString& file : options.files) {
        std::optional<QString> report;
        try {
            report = ReportOf(document, file, options.decode);
        } catch (const std::bad_alloc&) {
            // A report too large for the memory left: this file fails, the next is tried.
            report.reset();
        }
        if (!report) {
            std::fflush(out);
            Print(err, QStringLiteral("%1: 文件加载失败\n").arg(file));
            std::fflush(err);
            status = kExitSomeFileFailed;
            continue;
        }
        if (withHeaders)
            Print(out, QStringLiteral("%1==> %2 <==\n").arg(anyPrinted ? "\n" : "", file));
        Print(out, *report);
        // Written at once: what a later file does cannot lose this one's report.
        std::fflush(out);
        anyPrinted = true;
    }
    return status;
}

}  // namespace veltra::cli
