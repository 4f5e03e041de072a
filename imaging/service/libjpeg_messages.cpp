// libjpeg's warnings on standard error, sent to the log instead. In the service's own half,
// which links libjpeg to read JPEG headers: the definition below must be the program's.

#include "imaging/logging.h"

#include <dlfcn.h>

#include <cstdio>  // jpeglib.h uses FILE and size_t without declaring them
#include <cstdlib>

#include <jpeglib.h>

namespace veltra::imaging {
namespace {

// libjpeg's warnings, which its standard error manager prints to standard error.
void LogJpegMessage(j_common_ptr decoder)
{
    if (!lcLibraries().isWarningEnabled())
        return;
    char text[JMSG_LENGTH_MAX];
    (*decoder->err->format_message)(decoder, text);
    qCWarning(lcLibraries, "libjpeg: %s", text);
}

}  // namespace
}  // namespace veltra::imaging

// LibRaw checks and decodes the JPEGs inside raws (previews, lossy DNG data) with libjpeg's
// standard error manager, keeping only its own way out of a fatal error, so every warning about
// a damaged preview ("Premature end of JPEG file") would reach standard error. The program
// defines libjpeg's function that makes that manager (the linker exports it, see
// CMakeLists.txt): it passes the call on to libjpeg and has the warnings logged instead. Whoever
// sets a handler of its own afterwards (Qt, the service's own decoder) keeps it.
extern "C" struct jpeg_error_mgr* jpeg_std_error(struct jpeg_error_mgr* manager)
{
    using StdError = jpeg_error_mgr* (*)(jpeg_error_mgr*);
    static const auto libjpegStdError =
        reinterpret_cast<StdError>(dlvsym(RTLD_NEXT, "jpeg_std_error", "LIBJPEG_6.2"));
    if (!libjpegStdError)
        std::abort();  // the program was linked against libjpeg: it is there
    jpeg_error_mgr* made = libjpegStdError(manager);
    made->output_message = veltra::imaging::LogJpegMessage;
    return made;
}
