#pragma once

// The analysis of a file as veltra-info makes it, for tests over whole files.

#include "analysis/file_analysis.h"
#include "imaging/file_structure.h"
#include "imaging/gdiplus.h"
#include "imaging/image_handles.h"
#include "info/image_facts.h"

#include <QJsonObject>

namespace veltra::analysis {

// Empty when the file does not load.
inline FileAnalysis AnalyseAt(const QString& path)
{
    imaging::GpBitmap* bitmap = nullptr;
    if (imaging::GdipCreateBitmapFromFile(path, &bitmap) != imaging::Ok)
        return {};
    const imaging::ImagePtr image(bitmap);
    const std::optional<info::ImageFacts> facts =
        info::GatherImageFacts(bitmap, info::RawValues::Kept);
    imaging::FileStructure structure;
    if (!facts || imaging::ReadFileStructure(path, &structure) != imaging::Ok)
        return {};
    FileAnalysis analysis = AnalyseFile(path, bitmap, *facts, structure);
    // Opening the file started decoding it ahead on the service's thread; a decoder library
    // still at work when the program ends would be torn down under it.
    imaging::WaitForDecodeAhead();
    return analysis;
}

// The finding's data with its text, or an empty object when there is no such finding.
inline QJsonObject FindingOf(const FileAnalysis& analysis, Topic topic, const char* key)
{
    return AnalysisJson(analysis, Language::English)[TopicName(topic)][QLatin1String(key)]
        .toObject();
}

}  // namespace veltra::analysis
