#pragma once

// What a run over many files found: how many of each real content format and, for each kind of
// finding that deserves a second look, the files that have it.

#include "cli/messages.h"
#include "file_report.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <map>
#include <utility>

namespace veltra::cli {

class RunSummary {
public:
    void add(const QString& file, const FileReport& report);

    // The summary as text, in the language of the program's messages.
    QString text(MessageLanguage language) const;
    // As JSON: {"summary": {"files", "loaded", "failed", "formats": {name: count},
    // "second_look": {"topic.key": {"text", "count", "files"}}}}.
    QJsonObject json(MessageLanguage language) const;

private:
    int m_files = 0;
    int m_failed = 0;
    std::map<QByteArray, int> m_formats;
    // By topic and key, in the order of the kinds' table; a file once under each.
    std::map<std::pair<int, QByteArray>, QStringList> m_secondLooks;
};

}  // namespace veltra::cli
