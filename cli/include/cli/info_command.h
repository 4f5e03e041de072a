#pragma once

// veltra-info as a straight line of steps: the options, then each file's report or failure,
// written as it is made, so a failure later on never loses what was written before it.

#include "cli/messages.h"

#include <QString>
#include <QStringList>

#include <cstdio>

namespace veltra::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitSomeFileFailed = 1;
inline constexpr int kExitUsage = 2;

enum class UsageError { None, UnknownOption, NoFile };

struct InfoOptions {
    bool decode = false;
    bool json = false;
    bool analyze = false;
    bool recursive = false;   // -r, --recursive: the files under each folder named
    bool jsonLines = false;   // one JSON object a line instead of an array
    bool summary = false;     // the summary after the reports
    bool summaryOnly = false; // the summary alone
    // How many files are read at once; 0 for one per processor.
    unsigned workers = 0;
    bool help = false;
    bool version = false;
    QStringList files;
    UsageError error = UsageError::None;
    QString unknownOption;
    // The language of the program's own messages; the report is always in Chinese.
    MessageLanguage language = MessageLanguage::Chinese;
};

// The options from the arguments after the program's name.
InfoOptions ParseInfoArguments(const QStringList& arguments);

// Runs the command: help, version, a usage error, or a report for each file (each under
// "==> FILE <==" when there are several), the files read several at once and their reports
// written in the order given, each as soon as its turn comes. A file that cannot be loaded, or
// whose report cannot be made for want of memory, gets "FILE: cannot be loaded (why)" on `err`
// and the run goes on with the next. With `analyze`, the findings on what the file hides and
// how it was made follow each report (or go into its JSON object as "analysis"). With `json`,
// each file's facts, or its failure, is one JSON object on `out` (an array of them for several
// files, one a line with `jsonLines`), and nothing goes to `err`. With `summary`, the counts by
// format and the findings that deserve a second look follow. Answers the exit status. The
// imaging service must have been started.
int RunInfoCommand(const InfoOptions& options, std::FILE* out, std::FILE* err);

}  // namespace veltra::cli
