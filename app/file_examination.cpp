#include "app/file_examination.h"

#include "imaging/file_structure.h"
#include "imaging/gdiplus.h"
#include "imaging/image_handles.h"
#include "info/image_facts.h"
#include "info/image_report.h"
#include "info/load_failure_text.h"

#include <QStringList>

#include <new>

namespace veltra {

namespace {

using namespace imaging;

constexpr analysis::Language kPanelLanguage = analysis::Language::Chinese;

// The lines of the findings that deserve a second look, counted in the whole text.
std::vector<int> MarkedLines(const QString& text, const analysis::FileAnalysis& findings)
{
    QStringList marked;
    for (const analysis::Finding& finding : findings.findings) {
        if (finding.deservesSecondLook()) {
            marked << u' ' + analysis::TopicHeading(finding.topic(), kPanelLanguage) + u'：' +
                          finding.text(kPanelLanguage);
        }
    }
    std::vector<int> lines;
    const QStringList all = text.split(u'\n');
    // Findings come after the report, so the search starts at the last "分析：" line.
    const qsizetype start = all.lastIndexOf(QStringLiteral("分析："));
    for (qsizetype line = std::max<qsizetype>(start, 0); line < all.size(); ++line) {
        if (marked.contains(all[line]))
            lines.push_back(static_cast<int>(line));
    }
    return lines;
}

QString FailureText(LoadFailureReason reason)
{
    return QString::fromUtf8(info::LoadFailureTextOf(reason).chinese);
}

void Examine(FileExamination& result)
{
    GpBitmap* bitmap = nullptr;
    LoadFailure failure;
    const GpStatus status = CreateBitmapFromFileWithOptions(
        result.path, LoadOptions{.decodeAhead = false, .viewSize = QSize(), .keepFileBytes = true},
        &bitmap, &failure);
    const ImagePtr image(bitmap);
    if (status != Ok || !image) {
        result.failure = FailureText(failure.reason == LoadFailureReason::None
                                         ? LoadFailureReason::OutOfMemory
                                         : failure.reason);
        return;
    }
    const std::optional<info::ImageFacts> facts =
        info::GatherImageFacts(image.get(), info::RawValues::Kept);
    FileStructure structure;
    if (!facts || GetImageFileStructure(image.get(), &structure) != Ok) {
        result.failure = FailureText(LoadFailureReason::DamagedHeader);
        return;
    }
    const analysis::FileAnalysis findings =
        analysis::AnalyseFile(result.path, image.get(), *facts, structure);
    result.text = analysis::ReportWithAnalysis(info::ReportText(*facts), findings, kPanelLanguage);
    result.markedLines = MarkedLines(result.text, findings);
    result.json = analysis::FactsWithAnalysisJson(result.path, *facts, findings, kPanelLanguage);
    result.loaded = true;
}

}  // namespace

FileExamination ExamineFile(const QString& path)
{
    FileExamination result;
    result.path = path;
    try {
        Examine(result);
    } catch (const std::bad_alloc&) {
        result = FileExamination{};
        result.path = path;
        result.failure = FailureText(LoadFailureReason::OutOfMemory);
    }
    return result;
}

}  // namespace veltra
