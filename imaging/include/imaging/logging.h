#pragma once

// Where Veltra says what it skipped or tolerated in a damaged file, and where the messages of
// Qt and the decoders go. Both categories are off by default, so ordinary use prints nothing;
// QT_LOGGING_RULES="veltra.*=true" shows them, for a user who wants to know why a file looks
// the way it does.

#include <QLoggingCategory>

namespace veltra::imaging {

// What the service skipped, tolerated or refused while reading a file.
Q_DECLARE_LOGGING_CATEGORY(lcImaging)
// The messages of Qt, its image plugins and the codecs they use, rerouted here.
Q_DECLARE_LOGGING_CATEGORY(lcLibraries)

// Installs, once per process, a message handler that lets Veltra's own categories through as
// their rules say and passes everything else through the libraries category. Fatal messages
// always go through.
void RouteLibraryMessagesToLog();

}  // namespace veltra::imaging
