#pragma once

// Everything the information panel shows of one file, made the way veltra-info makes it:
// the report, the findings of the analysis in Chinese, and the JSON object of
// `veltra-info --json --analyze`. It loads the file again on its own, without decoding its
// pixels ahead, so it can run on any thread while the window shows the document's picture.

#include "analysis/file_analysis.h"

#include <QJsonObject>
#include <QString>

#include <vector>

namespace veltra {

struct FileExamination {
    QString path;
    bool loaded = false;
    // Why the file could not be loaded, when it could not.
    QString failure;
    // The report as the window draws it, an empty line, then the findings: what
    // `veltra-info --analyze` prints under a Chinese locale.
    QString text;
    // The lines of `text` that hold a finding that should make a user look twice.
    std::vector<int> markedLines;
    QJsonObject json;
};

FileExamination ExamineFile(const QString& path);

}  // namespace veltra
