#pragma once

// What a file hides and how it was made, beyond what its tags declare: its name against its
// content, data after the picture's end, embedded pictures and whether they agree with the
// picture, how a JPEG was coded, where the file says it came from, its colour, and whether
// its facts agree with one another. Each finding states a fact and, where it matters, what
// it suggests, never more than the bytes support.

#include "analysis/finding_kinds.h"
#include "imaging/file_structure.h"
#include "info/image_facts.h"

#include <QJsonObject>
#include <QString>

#include <vector>

namespace veltra::imaging {
class GpImage;
}

namespace veltra::analysis {

// One finding: its kind (group, key, sentence and weight come from the kinds' table), the
// values its sentence names, and the same facts as values for scripts. It is the same in every
// language; only its text is written in one.
struct Finding {
    FindingKind kind = FindingKind::NoExtension;
    std::vector<Wording> arguments;
    QJsonObject data;

    Topic topic() const { return TopicOf(kind); }
    QString key() const { return QString::fromLatin1(RowOf(kind).key); }
    bool deservesSecondLook() const { return DeservesSecondLook(kind); }
    QString text(Language language) const;
};

struct FileAnalysis {
    std::vector<Finding> findings;
};

// The findings on one loaded file. `facts` must have been gathered with the raw values kept;
// `image` is the picture they describe (its embedded thumbnail is compared with it).
FileAnalysis AnalyseFile(const QString& path, imaging::GpImage* image,
                         const info::ImageFacts& facts, const imaging::FileStructure& structure);

// The findings of one topic, in the order they were made.
std::vector<const Finding*> FindingsOf(const FileAnalysis& analysis, Topic topic);

// The findings as text lines for the report ("分析：" or "Analysis:", then " 标题：句子").
QString AnalysisText(const FileAnalysis& analysis, Language language);

// The findings as JSON: { topic: { key: { "text": ..., data... } } }, the texts in that
// language.
QJsonObject AnalysisJson(const FileAnalysis& analysis, Language language);

// What veltra-info --analyze prints and the window's panel shows: the report, an empty line,
// then the findings.
QString ReportWithAnalysis(const QString& report, const FileAnalysis& analysis, Language language);

// What veltra-info --json --analyze prints for a file and the window's panel exports: the
// facts with the findings as "analysis".
QJsonObject FactsWithAnalysisJson(const QString& path, const info::ImageFacts& facts,
                                  const FileAnalysis& analysis, Language language);

}  // namespace veltra::analysis
