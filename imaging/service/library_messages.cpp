#include "service/library_messages.h"

#include "imaging/logging.h"

#include <dlfcn.h>
#include <png.h>
#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
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

// What libpng does with an error when its user gives no handler, without the line it prints
// first: back to the caller's recovery point.
[[noreturn]] void LogPngError(png_structp png, png_const_charp message)
{
    qCWarning(lcLibraries, "libpng: %s", message ? message : "");
    png_longjmp(png, 1);
}

using SetErrorFn = void (*)(png_structrp, png_voidp, png_error_ptr, png_error_ptr);

// libpng's own png_set_error_fn, the next one after this program's: by the version libpng 1.6
// gives its symbols, or else by name alone, should a later libpng name its versions otherwise.
SetErrorFn LibpngSetErrorFn()
{
    static const SetErrorFn found = [] {
        void* symbol = dlvsym(RTLD_NEXT, "png_set_error_fn", "PNG16_0");
        if (!symbol)
            symbol = dlsym(RTLD_NEXT, "png_set_error_fn");
        return reinterpret_cast<SetErrorFn>(symbol);
    }();
    return found;
}

}  // namespace

void QuietCodecLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetWarningHandler(LogTiffMessage);
        TIFFSetErrorHandler(LogTiffMessage);
        // Without libpng's function every call Qt makes to set its handlers is lost: said on
        // standard error, whatever the logging rules, since it is a fault of the build.
        if (!LibpngSetErrorFn())
            std::fputs("veltra: libpng's png_set_error_fn was not found; PNG decoding goes "
                       "without its message handlers\n",
                       stderr);
    });
}

}  // namespace veltra::imaging

// Qt's PNG decoder gives libpng a warning handler of its own but no error handler, and libpng
// then prints "libpng error: ..." to standard error for every damaged file before it gives up.
// No API of Qt reaches that handler, so the program itself defines libpng's function that sets
// the handlers (the linker exports it, see CMakeLists.txt): it passes every call on to libpng,
// and where no error handler is given, gives ours, which does the same without printing.
extern "C" void png_set_error_fn(png_structrp png, png_voidp errorData, png_error_ptr onError,
                                 png_error_ptr onWarning)
{
    if (const auto libpngSetErrorFn = veltra::imaging::LibpngSetErrorFn())
        libpngSetErrorFn(png, errorData, onError ? onError : veltra::imaging::LogPngError,
                         onWarning);
}
