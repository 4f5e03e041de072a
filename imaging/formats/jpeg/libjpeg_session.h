#pragma once

// One libjpeg session and how its fatal errors come back, shared by the reading of a JPEG's
// headers (which the service does for every JPEG it loads) and the decoder and encoder.
//
// libjpeg reports a fatal error by calling a function that must not return; ours jumps back
// into CallGuarded, the only place that calls setjmp. Everything that owns a resource lives in
// the frames that call CallGuarded, never between the setjmp and the jump, so a jump skips no
// destructor.

#include "imaging/gdiplus_types.h"
#include "imaging/logging.h"

#include <QByteArrayView>
#include <QImage>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>  // jpeglib.h uses FILE and size_t without declaring them
#include <type_traits>

#include <jpeglib.h>
#include <jerror.h>

namespace veltra::imaging::libjpeg {

// The extended colour spaces whose bytes in memory are QImage's 0xAARRGGBB words on this
// host. Decoding uses the alpha variant: libjpeg-turbo documents the padding byte of the X
// variants as undefined, and 0xFF only for these (the same code writes both, at one speed).
// Encoding uses the X variant, which tells libjpeg to ignore the fourth byte.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr J_COLOR_SPACE kQRgbDecodeSpace = JCS_EXT_BGRA;
constexpr J_COLOR_SPACE kQRgbEncodeSpace = JCS_EXT_BGRX;
#else
constexpr J_COLOR_SPACE kQRgbDecodeSpace = JCS_EXT_ARGB;
constexpr J_COLOR_SPACE kQRgbEncodeSpace = JCS_EXT_XRGB;
#endif

// ---------------------------------------------------------------------------------------------
// Errors and messages

struct ErrorManager {
    jpeg_error_mgr library;  // first, so that libjpeg's pointer to it also points to this
    std::jmp_buf jump;
};

// libjpeg's warnings (a file cut short, a corrupt segment) and the text of its errors.
inline void LogLibraryMessage(j_common_ptr info)
{
    char text[JMSG_LENGTH_MAX];
    info->err->format_message(info, text);
    // A message that cannot be allocated is lost rather than thrown through libjpeg's frames.
    try {
        qCWarning(lcLibraries, "libjpeg: %s", text);
    } catch (...) {
    }
}

[[noreturn]] inline void JumpOnError(j_common_ptr info)
{
    info->err->output_message(info);
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Calls one libjpeg function so that a fatal error inside it returns false here instead of
// leaving the process. Nothing in this frame has a destructor: the arguments are pointers and
// integers, and the result is written through a pointer.
template <typename Result, typename... Parameters>
bool CallGuarded(ErrorManager& errors, Result* result, Result (*function)(Parameters...),
                 std::type_identity_t<Parameters>... arguments)
{
    if (setjmp(errors.jump) != 0)
        return false;
    *result = function(arguments...);
    return true;
}

template <typename... Parameters>
bool CallGuarded(ErrorManager& errors, void (*function)(Parameters...),
                 std::type_identity_t<Parameters>... arguments)
{
    if (setjmp(errors.jump) != 0)
        return false;
    function(arguments...);
    return true;
}

// One libjpeg compression or decompression object with its error manager, destroyed on every
// path out. Destroying is safe even when creation failed: libjpeg clears the memory manager
// before anything that can fail.
template <typename Info, auto create, auto destroy>
class LibjpegSession {
public:
    LibjpegSession()
    {
        m_info.err = jpeg_std_error(&m_errors.library);
        m_errors.library.error_exit = JumpOnError;
        m_errors.library.output_message = LogLibraryMessage;
        m_created = CallGuarded(m_errors, create, &m_info, JPEG_LIB_VERSION, sizeof(Info));
    }
    ~LibjpegSession() { destroy(&m_info); }
    LibjpegSession(const LibjpegSession&) = delete;
    LibjpegSession& operator=(const LibjpegSession&) = delete;

    bool created() const { return m_created; }
    Info* info() { return &m_info; }
    ErrorManager& errors() { return m_errors; }

    // The status after a guarded call failed: memory and output failures say so, anything
    // else is `otherwise`.
    GpStatus failure(GpStatus otherwise) const
    {
        switch (m_errors.library.msg_code) {
        case JERR_OUT_OF_MEMORY:
        case JERR_NO_BACKING_STORE:
            return OutOfMemory;
        case JERR_FILE_WRITE:
            return Win32Error;
        default:
            return otherwise;
        }
    }

private:
    ErrorManager m_errors{};
    Info m_info{};
    bool m_created = false;
};

using Decompression =
    LibjpegSession<jpeg_decompress_struct, jpeg_CreateDecompress, jpeg_destroy_decompress>;
using Compression =
    LibjpegSession<jpeg_compress_struct, jpeg_CreateCompress, jpeg_destroy_compress>;

// How each kind of file is decoded: what libjpeg writes and the picture format that holds it.
// These are the formats Qt's reader gives the same files.
struct DecodedLayout {
    J_COLOR_SPACE fileColourSpace;
    J_COLOR_SPACE outputColourSpace;
    QImage::Format format;
    int bytesPerPixel;
    bool adobeCmyk;  // four samples a pixel, to be turned into a QRgb in place
};

constexpr std::array kDecodedLayouts = {
    DecodedLayout{JCS_GRAYSCALE, JCS_GRAYSCALE, QImage::Format_Grayscale8, 1, false},
    DecodedLayout{JCS_YCbCr, kQRgbDecodeSpace, QImage::Format_RGB32, 4, false},
    DecodedLayout{JCS_RGB, kQRgbDecodeSpace, QImage::Format_RGB32, 4, false},
    DecodedLayout{JCS_CMYK, JCS_CMYK, QImage::Format_RGB32, 4, true},
    DecodedLayout{JCS_YCCK, JCS_CMYK, QImage::Format_RGB32, 4, true},
};

inline const DecodedLayout* LayoutFor(J_COLOR_SPACE fileColourSpace)
{
    const auto found = std::find_if(kDecodedLayouts.begin(), kDecodedLayouts.end(),
                                    [&](const DecodedLayout& layout) {
                                        return layout.fileColourSpace == fileColourSpace;
                                    });
    return found == kDecodedLayouts.end() ? nullptr : &*found;
}

// Points libjpeg at the file in memory and reads its headers up to the first scan. False when
// libjpeg refuses them.
inline bool ReadHeaders(Decompression& jpeg, QByteArrayView file)
{
    int header = 0;
    return CallGuarded(jpeg.errors(), jpeg_mem_src, jpeg.info(),
                       reinterpret_cast<const unsigned char*>(file.data()),
                       static_cast<unsigned long>(file.size())) &&
           CallGuarded(jpeg.errors(), &header, jpeg_read_header, jpeg.info(), TRUE);
}

}  // namespace veltra::imaging::libjpeg
