#include "util/standard_error_to_log.h"

#include "imaging/logging.h"

#include <QByteArray>
#include <QList>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>

namespace veltra::imaging {
namespace {

std::mutex& Redirecting()
{
    static std::mutex mutex;
    return mutex;
}

// Only the start of what was written is logged; a library that complains about every block
// of a damaged file can write megabytes.
constexpr qsizetype kLoggedBytes = 16 * 1024;

}  // namespace

StandardErrorToLog::StandardErrorToLog(const char* library)
    : m_lock(Redirecting()),
      m_library(library)
{
    std::fflush(stderr);
    m_kept = memfd_create("veltra-library-messages", MFD_CLOEXEC);
    if (m_kept < 0)
        return;
    m_saved = dup(STDERR_FILENO);
    if (m_saved < 0 || dup2(m_kept, STDERR_FILENO) < 0) {
        if (m_saved >= 0)
            close(m_saved);
        close(m_kept);
        m_saved = m_kept = -1;
    }
}

StandardErrorToLog::~StandardErrorToLog()
{
    if (m_kept < 0)
        return;
    std::fflush(stderr);
    dup2(m_saved, STDERR_FILENO);
    close(m_saved);
    QByteArray written(kLoggedBytes, '\0');
    const ssize_t count =
        pread(m_kept, written.data(), static_cast<std::size_t>(written.size()), 0);
    close(m_kept);
    written.truncate(count > 0 ? count : 0);
    for (const QByteArray& line : written.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        // Veltra's own log lines of the meantime, which the logging rules let through, are
        // passed on as they were written.
        if (line.startsWith("veltra."))
            std::fprintf(stderr, "%s\n", line.constData());
        else if (lcLibraries().isWarningEnabled())
            qCWarning(lcLibraries, "%s: %s", m_library, line.constData());
    }
}

}  // namespace veltra::imaging
