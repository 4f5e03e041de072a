#include "cli/info_command.h"

#include "analysis/file_analysis.h"
#include "analysis/trailing_data.h"
#include "document/unattended_prompts.h"
#include "document/veltra_doc.h"
#include "facts_json.h"
#include "imaging/file_structure.h"
#include "imaging/gdiplus.h"
#include "info/image_facts.h"
#include "info/load_failure_text.h"

#include <QJsonDocument>

#include <new>
#include <optional>

namespace veltra::cli {
namespace {

void Print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

void Print(std::FILE* stream, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

// Loads the file (and, asked to, decodes its pixels). False, with the reason, when either
// cannot be done.
bool Load(CVeltraDoc& document, const QString& file, bool decode, imaging::LoadFailure* failure)
{
    if (!document.OnOpenDocument(file) || !document.image()) {
        *failure = document.lastLoadFailure();
        return false;
    }
    if (decode && imaging::GdipImageForceDecode(document.image()) != imaging::Ok) {
        failure->reason = imaging::LoadFailureReason::PixelsUndecodable;
        return false;
    }
    return true;
}

// What a file that no decoder reads looks like from its first bytes: "pdf", "zip", "text";
// empty when it looks like nothing known.
QString ContentOfFailedFile(const imaging::LoadFailure& failure)
{
    if (failure.reason != imaging::LoadFailureReason::NoDecoder)
        return {};
    const analysis::TrailingDataKind kind = analysis::ClassifyTrailingData(failure.head);
    if (kind == analysis::TrailingDataKind::Unknown || kind == analysis::TrailingDataKind::Empty)
        return {};
    return analysis::TrailingDataKindName(kind);
}

// The failure line's words and, in parentheses, why: "photo.heic: cannot be loaded (truncated
// or damaged header)".
QString FailureLine(const Messages& messages, MessageLanguage language, const QString& file,
                    const imaging::LoadFailure& failure)
{
    QString line = QString::fromUtf8(messages.cannotBeLoaded).arg(file);
    const info::LoadFailureText& text = info::LoadFailureTextOf(failure.reason);
    if (failure.reason == imaging::LoadFailureReason::None)
        return line;
    const bool chinese = language == MessageLanguage::Chinese;
    QString why = QString::fromUtf8(chinese ? text.chinese : text.english);
    if (const QString content = ContentOfFailedFile(failure); !content.isEmpty())
        why += (chinese ? QStringLiteral("：") : QStringLiteral(": ")) + content;
    return line + (chinese ? QStringLiteral("（%1）") : QStringLiteral(" (%1)")).arg(why);
}

analysis::Language AnalysisLanguage(MessageLanguage language)
{
    return language == MessageLanguage::Chinese ? analysis::Language::Chinese
                                                : analysis::Language::English;
}

// The findings on a loaded file, or nothing when its structure cannot be read again.
std::optional<analysis::FileAnalysis> AnalysisOf(CVeltraDoc& document, const QString& file,
                                                 const info::ImageFacts& facts)
{
    imaging::FileStructure structure;
    if (imaging::ReadFileStructure(file, &structure) != imaging::Ok)
        return std::nullopt;
    return analysis::AnalyseFile(file, document.image(), facts, structure);
}

// The report of one file (with its findings when asked), or nothing when it cannot be loaded.
std::optional<QByteArray> ReportOf(CVeltraDoc& document, const QString& file,
                                   const InfoOptions& options, imaging::LoadFailure* failure)
{
    if (!Load(document, file, options.decode, failure))
        return std::nullopt;
    QString report;
    if (!options.analyze) {
        if (!document.GetImageInfo(report))
            return std::nullopt;
    } else {
        const std::optional<info::ImageFacts> facts =
            info::GatherImageFacts(document.image(), info::RawValues::Kept);
        if (!facts)
            return std::nullopt;
        const std::optional<analysis::FileAnalysis> findings =
            AnalysisOf(document, file, *facts);
        if (!findings)
            return std::nullopt;
        report = analysis::ReportWithAnalysis(info::ReportText(*facts), *findings,
                                              AnalysisLanguage(options.language));
    }
    if (!report.endsWith(QLatin1Char('\n')))
        report += QLatin1Char('\n');
    return report.toUtf8();
}

// The JSON object of one file's facts (and findings), or nothing when it cannot be loaded.
std::optional<QByteArray> JsonOf(CVeltraDoc& document, const QString& file,
                                 const InfoOptions& options, imaging::LoadFailure* failure)
{
    if (!Load(document, file, options.decode, failure))
        return std::nullopt;
    const std::optional<info::ImageFacts> facts =
        info::GatherImageFacts(document.image(), info::RawValues::Kept);
    if (!facts)
        return std::nullopt;
    QJsonObject object;
    if (options.analyze) {
        const std::optional<analysis::FileAnalysis> findings =
            AnalysisOf(document, file, *facts);
        if (!findings)
            return std::nullopt;
        object = analysis::FactsWithAnalysisJson(file, *facts, *findings,
                                                 AnalysisLanguage(options.language));
    } else {
        object = info::FactsJson(file, *facts);
    }
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

int RunReports(const InfoOptions& options, std::FILE* out, std::FILE* err)
{
    const Messages& messages = MessagesIn(options.language);
    UnattendedPrompts prompts;
    CVeltraDoc document(prompts);
    const bool several = options.files.size() > 1;
    bool anyPrinted = false;
    int status = kExitOk;
    if (options.json && several)
        Print(out, QByteArrayLiteral("[\n"));
    for (const QString& file : options.files) {
        std::optional<QByteArray> output;
        imaging::LoadFailure failure;
        try {
            output = options.json ? JsonOf(document, file, options, &failure)
                                  : ReportOf(document, file, options, &failure);
        } catch (const std::bad_alloc&) {
            // A report too large for the memory left: this file fails, the next is tried.
            output.reset();
            failure.reason = imaging::LoadFailureReason::OutOfMemory;
        }
        if (!output) {
            status = kExitSomeFileFailed;
            const QString line = FailureLine(messages, options.language, file, failure);
            if (!options.json) {
                std::fflush(out);
                Print(err, line + u'\n');
                std::fflush(err);
                continue;
            }
            output = QJsonDocument(FailureJson(file, line,
                                               info::LoadFailureTextOf(failure.reason).key,
                                               ContentOfFailedFile(failure)))
                         .toJson(QJsonDocument::Indented);
        }
        if (options.json) {
            if (anyPrinted)
                Print(out, QByteArrayLiteral(",\n"));
            output->chop(1);  // the line break closes the array's element instead
        } else if (several) {
            Print(out, QStringLiteral("%1==> %2 <==\n").arg(anyPrinted ? "\n" : "", file));
        }
        Print(out, *output);
        // Written at once: what a later file does cannot lose this one's report.
        std::fflush(out);
        anyPrinted = true;
    }
    if (options.json)
        Print(out, several ? QByteArrayLiteral("\n]\n") : QByteArrayLiteral("\n"));
    return status;
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
        } else if (argument == QLatin1String("--json")) {
            options.json = true;
        } else if (argument == QLatin1String("--analyze")) {
            options.analyze = true;
        } else if (argument == QLatin1String("--help")) {
            options.help = true;
        } else if (argument == QLatin1String("--version")) {
            options.version = true;
        } else {
            options.error = UsageError::UnknownOption;
            options.unknownOption = argument;
            return options;
        }
    }
    if (!options.help && !options.version && options.files.isEmpty())
        options.error = UsageError::NoFile;
    return options;
}

int RunInfoCommand(const InfoOptions& options, std::FILE* out, std::FILE* err)
{
    const Messages& messages = MessagesIn(options.language);
    if (options.error != UsageError::None) {
        const QString error =
            options.error == UsageError::UnknownOption
                ? QString::fromUtf8(messages.unknownOption).arg(options.unknownOption)
                : QString::fromUtf8(messages.missingFile);
        Print(err, error + u'\n' + QString::fromUtf8(messages.helpHint) + u'\n');
        return kExitUsage;
    }
    if (options.help) {
        Print(out, QString::fromUtf8(messages.usage));
        return kExitOk;
    }
    if (options.version) {
        Print(out, QStringLiteral("veltra-info " VELTRA_VERSION "\n"));
        return kExitOk;
    }
    return RunReports(options, out, err);
}

}  // namespace veltra::cli
