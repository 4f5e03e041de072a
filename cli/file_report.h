#pragma once

// One file's part of a run: loaded once, its report or JSON made, and what the summary counts
// of it. Made on any thread: it touches nothing but its own picture.

#include "analysis/finding_kinds.h"
#include "cli/info_command.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace veltra::cli {

enum class OutputForm { Text, Json, JsonLines };

struct FileReport {
    // The report, or the JSON object (indented, or on one line for JSON Lines); for a file that
    // could not be loaded, its failure object in JSON and nothing in text.
    QByteArray output;
    bool loaded = false;
    QString failureLine;       // "FILE: cannot be loaded (...)" for one that could not
    QByteArray contentFormat;  // what its content really is ("jpeg"); empty on failure
    // The kinds of its findings that deserve a second look, in the order they were made.
    std::vector<analysis::FindingKind> secondLooks;
};

// `findings`: the analysis is made (for the summary) even when the report leaves it out.
FileReport ReportFile(const QString& file, const InfoOptions& options, OutputForm form,
                      bool findings);

}  // namespace veltra::cli
