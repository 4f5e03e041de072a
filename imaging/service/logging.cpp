#include "imaging/logging.h"

#include <QByteArrayView>

#include <cstdio>
#include <mutex>

namespace veltra::imaging {

// QtFatalMsg as the threshold turns every level off until a rule turns it on.
Q_LOGGING_CATEGORY(lcImaging, "veltra.imaging", QtFatalMsg)
Q_LOGGING_CATEGORY(lcLibraries, "veltra.libraries", QtFatalMsg)

namespace {

QtMessageHandler g_previousHandler = nullptr;

void RouteMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const bool ours =
        context.category != nullptr && QByteArrayView(context.category).startsWith("veltra.");
    // Our own categories were checked against their rules before the message was made.
    if (!ours && type != QtFatalMsg && !lcLibraries().isEnabled(type))
        return;
    if (g_previousHandler) {
        g_previousHandler(type, context, message);
        return;
    }
    const QByteArray line = qFormatLogMessage(type, context, message).toLocal8Bit();
    std::fprintf(stderr, "%s\n", line.constData());
}

}  // namespace

void RouteLibraryMessagesToLog()
{
    static std::once_flag once;
    std::call_once(once, [] { g_previousHandler = qInstallMessageHandler(RouteMessage); });
}

}  // namespace veltra::imaging
