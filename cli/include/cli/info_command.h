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
// "==> FILE <==" when there are several). A file that cannot be loaded, or whose report cannot
// be made for want of memory, gets "FILE: 文件加载失败" on `err` and the run goes on with the
// next. With `analyze`, the findings on what the file hides and how it was made follow each
// report (or go into its JSON object as "analysis"). With `json`, each file's facts, or its failure, is one JSON object on `out` (an array
// of them for several files), and nothing goes to `err`. Answers the exit status. The imaging
// service must have been started.
int RunInfoCommand(const InfoOptions& options, std::FILE* out, std::FILE* err);

}  // namespace veltra::cli
