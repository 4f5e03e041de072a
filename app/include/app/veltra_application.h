#pragma once

// The Qt application object of the desktop program. Its one addition: memory running out
// while an event is handled is reported and survived instead of ending the program.

#include <QApplication>

#include <functional>
#include <new>

namespace veltra {

// Runs `dispatch`; when it runs out of memory, calls `report` and answers false (the event
// counts as not handled).
template <typename Dispatch, typename Report>
bool DispatchGuarded(Dispatch&& dispatch, Report&& report)
{
    try {
        return dispatch();
    } catch (const std::bad_alloc&) {
        report();
        return false;
    }
}

class VeltraApplication : public QApplication {
    Q_OBJECT

public:
    VeltraApplication(int& argc, char** argv);

    // Shows the out-of-memory message; called once the failed event has been unwound.
    void SetOutOfMemoryHandler(std::function<void()> handler);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    void ReportOutOfMemory();

    std::function<void()> m_outOfMemoryHandler;
    bool m_reportPending = false;
};

// The framework's message for memory running out.
QString OutOfMemoryMessage();

}  // namespace veltra
