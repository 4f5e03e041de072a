#include "cli/info_command.h"

#include "file_listing.h"
#include "file_report.h"
#include "ordered_work.h"
#include "progress.h"
#include "run_summary.h"

#include <QJsonDocument>

#include <thread>

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

OutputForm FormOf(const InfoOptions& options)
{
    if (options.jsonLines)
        return OutputForm::JsonLines;
    return options.json ? OutputForm::Json : OutputForm::Text;
}

unsigned WorkersFor(const InfoOptions& options, qsizetype files)
{
    const unsigned wanted =
        options.workers ? options.workers : std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::min<qsizetype>(wanted, files));
}

int RunReports(const InfoOptions& options, std::FILE* out, std::FILE* err)
{
    const QStringList files = ListFiles(options.files, options.recursive);
    const OutputForm form = FormOf(options);
    const bool summary = options.summary || options.summaryOnly;
    const bool reports = !options.summaryOnly;
    const bool several = files.size() > 1 || options.recursive;
    const bool array = form == OutputForm::Json && (several || summary) && reports;
    RunSummary counts;
    Progress progress(err, static_cast<int>(files.size()),
                      options.language == MessageLanguage::Chinese);
    bool anyPrinted = false;
    int status = kExitOk;
    if (array)
        Print(out, QByteArrayLiteral("[\n"));
    // Each file once, several at a time; each report written as soon as its turn comes.
    auto make = [&](std::size_t index) {
        return ReportFile(files[static_cast<qsizetype>(index)], options, form, summary);
    };
    auto take = [&](std::size_t index, FileReport report) {
        const QString& file = files[static_cast<qsizetype>(index)];
        if (summary)
            counts.add(file, report);
        if (!report.loaded)
            status = kExitSomeFileFailed;
        if (!report.loaded && form == OutputForm::Text) {
            progress.clear();
            std::fflush(out);
            Print(err, report.failureLine + u'\n');
            std::fflush(err);
        } else if (reports) {
            if (form == OutputForm::Json) {
                if (anyPrinted)
                    Print(out, QByteArrayLiteral(",\n"));
                report.output.chop(1);  // the line break closes the array's element instead
            } else if (form == OutputForm::Text && several) {
                Print(out, QStringLiteral("%1==> %2 <==\n").arg(anyPrinted ? "\n" : "", file));
            }
            Print(out, report.output);
            // Written at once: what a later file does cannot lose this one's report.
            std::fflush(out);
            anyPrinted = true;
        }
        progress.update(static_cast<int>(index) + 1);
    };
    RunInOrder<FileReport>(static_cast<std::size_t>(files.size()),
                           WorkersFor(options, files.size()), make, take);
    progress.clear();
    if (summary) {
        if (form == OutputForm::Text) {
            if (anyPrinted)
                Print(out, QByteArrayLiteral("\n"));
            Print(out, counts.text(options.language));
        } else {
            QByteArray json = QJsonDocument(counts.json(options.language))
                                  .toJson(form == OutputForm::JsonLines ? QJsonDocument::Compact
                                                                        : QJsonDocument::Indented);
            if (form == OutputForm::JsonLines) {
                json += '\n';
            } else if (array) {
                json.chop(1);
                if (anyPrinted)
                    Print(out, QByteArrayLiteral(",\n"));
            }
            Print(out, json);
        }
        anyPrinted = true;
    }
    if (array)
        Print(out, QByteArrayLiteral("\n]\n"));
    else if (form == OutputForm::Json && anyPrinted && reports && !summary)
        Print(out, QByteArrayLiteral("\n"));
    std::fflush(out);
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
        } else if (argument == QLatin1String("--json-lines")) {
            options.jsonLines = true;
        } else if (argument == QLatin1String("-r") || argument == QLatin1String("--recursive")) {
            options.recursive = true;
        } else if (argument.startsWith(QLatin1String("--jobs="))) {
            bool number = false;
            const uint jobs = argument.mid(7).toUInt(&number);
            if (!number || jobs == 0) {
                options.error = UsageError::UnknownOption;
                options.unknownOption = argument;
                return options;
            }
            options.workers = jobs;
        } else if (argument == QLatin1String("--summary")) {
            options.summary = true;
        } else if (argument == QLatin1String("--summary-only")) {
            options.summaryOnly = true;
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
