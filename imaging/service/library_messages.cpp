#include "service/library_messages.h"

#include "imaging/logging.h"

#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace veltra::imaging {
namespace {

// libtiff's handlers: a module name, a printf format and its arguments. The image plugin of
// Qt that reads TIFF uses the same shared library, so its messages come here too.
void LogTiffMessage(const char* module, const char* format, va_list arguments)
{
    if (!lcLibraries().isWarningEnabled())
        return;
    char text[1024];
    std::vsnprintf(text, sizeof text, format, arguments);
    qCWarning(lcLibraries, "libtiff: %s: %s", module ? module : "", text);
}

}  // namespace

void QuietCodecLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetWarningHandler(LogTiffMessage);
        TIFFSetErrorHandler(LogTiffMessage);
    });
}

}  // namespace veltra::imaging
