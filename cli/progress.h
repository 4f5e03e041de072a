#pragma once

// "1200/10000 files, 950 files/s" on standard error while a long run goes on: only when it is a
// terminal, and only once the run has lasted a second, so that short runs and pipelines see
// nothing.

#include <QElapsedTimer>

#include <cstdio>

namespace veltra::cli {

class Progress {
public:
    Progress(std::FILE* err, int total, bool chinese);
    ~Progress() { clear(); }
    void update(int done);
    // Rubs the line out, before a message of the program's own or at the end.
    void clear();

private:
    std::FILE* m_err;
    int m_total;
    bool m_chinese;
    bool m_terminal;
    bool m_shown = false;
    QElapsedTimer m_timer;
    qint64 m_lastDrawn = 0;
};

}  // namespace veltra::cli
