#pragma once

// What a file hides and how it was made, beyond what its tags declare: its name against its
// content, data after the picture's end, embedded pictures and whether they agree with the
// picture, how a JPEG was coded, where the file says it came from, its colour, and whether
// its facts agree with one another. Each finding states a fact and, where it matters, what
// it suggests, never more than the bytes support.

#include "imaging/file_structure.h"
#include "info/image_facts.h"

#include <QJsonObject>
#include <QString>

#include <vector>

namespace veltra::imaging {
class GpImage;
}

namespace veltra::analysis {

enum class Language { Chinese, English };

// The groups findings come in, in the order they are shown.
enum class Topic {
    Name,
    CameraRaw,
    TrailingData,
    Embedded,
    JpegCoding,
    Provenance,
    Colour,
    Consistency
};

struct Finding {
    Topic topic = Topic::Name;
    QString key;       // what the finding is about, as a machine name: "extension", "quality"
    QString text;      // one sentence in the chosen language
    QJsonObject data;  // the same facts as values, for scripts
};

struct FileAnalysis {
    std::vector<Finding> findings;
};

// The findings on one loaded file. `facts` must have been gathered with the raw values kept;
// `image` is the picture they describe (its embedded thumbnail is compared with it).
FileAnalysis AnalyseFile(const QString& path, imaging::GpImage* image,
                         const info::ImageFacts& facts, const imaging::FileStructure& structure,
                         Language language);

// The topic's heading ("名称与内容", "Name and content") and machine name ("name").
QString TopicHeading(Topic topic, Language language);
QString TopicName(Topic topic);

// The findings as text lines for the report ("分析：" or "Analysis:", then " 标题：句子").
QString AnalysisText(const FileAnalysis& analysis, Language language);

// The findings as JSON: { topic: { key: { "text": ..., data... } } }.
QJsonObject AnalysisJson(const FileAnalysis& analysis);

}  // namespace veltra::analysis
