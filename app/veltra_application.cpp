#include "app/veltra_application.h"

namespace veltra {

VeltraApplication::VeltraApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void VeltraApplication::SetOutOfMemoryHandler(std::function<void()> handler)
{
    m_outOfMemoryHandler = std::move(handler);
}

bool VeltraApplication::notify(QObject* receiver, QEvent* event)
{
    return DispatchGuarded([&] { return QApplication::notify(receiver, event); },
                           [this] { ReportOutOfMemory(); });
}

void VeltraApplication::ReportOutOfMemory()
{
    // One message at a time: further failures while it is pending or open add nothing. The
    // message waits for the event loop, so the failed event is fully unwound before a
    // dialog needs memory of its own.
    if (m_reportPending || !m_outOfMemoryHandler)
        return;
    m_reportPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_outOfMemoryHandler();
            m_reportPending = false;
        },
        Qt::QueuedConnection);
}

QString OutOfMemoryMessage() { return QStringLiteral("内存不足。"); }

}  // namespace veltra
