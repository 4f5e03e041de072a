#pragma once

// Some codec libraries print their complaints about a damaged file straight to standard
// error, with no way to give them a handler (libjxl as Debian builds it prints every failure
// it meets). While one of these is alive, whatever the process writes to standard error is
// kept aside instead, and goes to the libraries' log when it ends. One at a time: a second
// waits for the first to end.

#include <mutex>

namespace veltra::imaging {

class StandardErrorToLog {
public:
    // `library` names the lines in the log.
    explicit StandardErrorToLog(const char* library);
    ~StandardErrorToLog();
    StandardErrorToLog(const StandardErrorToLog&) = delete;
    StandardErrorToLog& operator=(const StandardErrorToLog&) = delete;

private:
    std::unique_lock<std::mutex> m_lock;
    const char* m_library;
    int m_saved = -1;  // standard error as it was
    int m_kept = -1;   // where it goes meanwhile
};

}  // namespace veltra::imaging
