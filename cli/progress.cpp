#include "progress.h"

#include <unistd.h>

namespace veltra::cli {
namespace {

constexpr qint64 kQuietMilliseconds = 1000;
constexpr qint64 kRedrawMilliseconds = 200;

}  // namespace

Progress::Progress(std::FILE* err, int total, bool chinese)
    : m_err(err),
      m_total(total),
      m_chinese(chinese),
      m_terminal(isatty(fileno(err)) == 1)
{
    m_timer.start();
}

void Progress::update(int done)
{
    if (!m_terminal)
        return;
    const qint64 elapsed = m_timer.elapsed();
    if (elapsed < kQuietMilliseconds || elapsed - m_lastDrawn < kRedrawMilliseconds)
        return;
    m_lastDrawn = elapsed;
    std::fprintf(
        m_err,
        m_chinese ? "\r%d/%d 个文件，每秒 %.0f 个\033[K" : "\r%d/%d files, %.0f files/s\033[K",
        done, m_total, done * 1000.0 / static_cast<double>(elapsed));
    std::fflush(m_err);
    m_shown = true;
}

void Progress::clear()
{
    if (!m_shown)
        return;
    std::fputs("\r\033[K", m_err);
    std::fflush(m_err);
    m_shown = false;
}

}  // namespace veltra::cli
