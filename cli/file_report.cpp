#include "file_report.h"

#include "analysis/file_analysis.h"
#include "analysis/trailing_data.h"
#include "facts_json.h"
#include "imaging/file_structure.h"
#include "imaging/gdiplus.h"
#include "imaging/image_handles.h"
#include "info/image_facts.h"
#include "info/load_failure_text.h"

#include <QJsonDocument>

#include <new>
#include <optional>

namespace veltra::cli {
namespace {

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
QString FailureLine(MessageLanguage language, const QString& file,
                    const imaging::LoadFailure& failure)
{
    QString line = QString::fromUtf8(MessagesIn(language).cannotBeLoaded).arg(file);
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

QByteArray JsonText(const QJsonObject& object, OutputForm form)
{
    if (form == OutputForm::JsonLines)
        return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

// Fills the report of a file that loads; false, with the reason, when it cannot be made.
bool MakeReport(const QString& file, const InfoOptions& options, OutputForm form, bool findings,
                FileReport* report, imaging::LoadFailure* failure)
{
    using namespace imaging;
    const bool analyse = options.analyze || findings;
    GpBitmap* bitmap = nullptr;
    // The file is read once: its structure comes from the bytes the load read.
    // Mapped, not read: a report touches only the pages of the headers and metadata. Nothing
    // made from the picture outlives it here.
    const LoadOptions load{
        .decodeAhead = false, .viewSize = QSize(), .keepFileBytes = analyse, .mapFile = true};
    const GpStatus status = CreateBitmapFromFileWithOptions(file, load, &bitmap, failure);
    const ImagePtr image(bitmap);
    if (status != Ok || !image)
        return false;
    if (options.decode && GdipImageForceDecode(image.get()) != Ok) {
        failure->reason = LoadFailureReason::PixelsUndecodable;
        return false;
    }
    const std::optional<info::ImageFacts> facts = info::GatherImageFacts(
        image.get(),
        analyse || form != OutputForm::Text ? info::RawValues::Kept : info::RawValues::Left);
    if (!facts)
        return false;
    report->contentFormat = facts->contentFormat;
    std::optional<analysis::FileAnalysis> analysis;
    if (analyse) {
        FileStructure structure;
        if (GetImageFileStructure(image.get(), &structure) != Ok)
            return false;
        analysis = analysis::AnalyseFile(file, image.get(), *facts, structure);
        for (const analysis::Finding& finding : analysis->findings) {
            if (finding.deservesSecondLook())
                report->secondLooks.push_back(finding.kind);
        }
    }
    const analysis::Language language = AnalysisLanguage(options.language);
    if (form != OutputForm::Text) {
        report->output = JsonText(
            options.analyze ? analysis::FactsWithAnalysisJson(file, *facts, *analysis, language)
                            : info::FactsJson(file, *facts),
            form);
        return true;
    }
    QString text = info::ReportText(*facts);
    if (options.analyze)
        text = analysis::ReportWithAnalysis(text, *analysis, language);
    if (!text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    report->output = text.toUtf8();
    return true;
}

}  // namespace

FileReport ReportFile(const QString& file, const InfoOptions& options, OutputForm form,
                      bool findings)
{
    FileReport report;
    imaging::LoadFailure failure;
    try {
        report.loaded = MakeReport(file, options, form, findings, &report, &failure);
    } catch (const std::bad_alloc&) {
        // A report too large for the memory left: this file fails, the next is tried.
        report.loaded = false;
        failure.reason = imaging::LoadFailureReason::OutOfMemory;
    }
    if (report.loaded)
        return report;
    report = FileReport{};
    report.failureLine = FailureLine(options.language, file, failure);
    if (form != OutputForm::Text) {
        report.output = JsonText(
            FailureJson(file, report.failureLine, info::LoadFailureTextOf(failure.reason).key,
                        ContentOfFailedFile(failure)),
            form);
    }
    return report;
}

}  // namespace veltra::cli
