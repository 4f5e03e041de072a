#include "formats/png/png_header_probe.h"

#include "formats/decoder_input_device.h"
#include "formats/pixel_budget.h"
#include "imaging/logging.h"
#include "util/shared_library.h"

#include <png.h>

#include <csetjmp>
#include <optional>

namespace veltra::imaging {
namespace {

struct PngLibrary {
    VELTRA_LIBRARY_FUNCTION(png_create_read_struct) png_create_read_struct;
    VELTRA_LIBRARY_FUNCTION(png_create_info_struct) png_create_info_struct;
    VELTRA_LIBRARY_FUNCTION(png_destroy_read_struct) png_destroy_read_struct;
    VELTRA_LIBRARY_FUNCTION(png_set_read_fn) png_set_read_fn;
    VELTRA_LIBRARY_FUNCTION(png_get_io_ptr) png_get_io_ptr;
    VELTRA_LIBRARY_FUNCTION(png_get_error_ptr) png_get_error_ptr;
    VELTRA_LIBRARY_FUNCTION(png_error) png_error;
    VELTRA_LIBRARY_FUNCTION(png_read_info) png_read_info;
    VELTRA_LIBRARY_FUNCTION(png_get_IHDR) png_get_IHDR;
    VELTRA_LIBRARY_FUNCTION(png_get_valid) png_get_valid;
    VELTRA_LIBRARY_FUNCTION(png_get_PLTE) png_get_PLTE;
    VELTRA_LIBRARY_FUNCTION(png_get_channels) png_get_channels;
};

const PngLibrary* OpenPng()
{
    static SharedLibrary library(VELTRA_PNG_SONAME);
    static const std::optional<PngLibrary> api = []() -> std::optional<PngLibrary> {
        PngLibrary api{};
        const bool resolved = library.open() &&
                              VELTRA_RESOLVE(library, api, png_create_read_struct) &&
                              VELTRA_RESOLVE(library, api, png_create_info_struct) &&
                              VELTRA_RESOLVE(library, api, png_destroy_read_struct) &&
                              VELTRA_RESOLVE(library, api, png_set_read_fn) &&
                              VELTRA_RESOLVE(library, api, png_get_io_ptr) &&
                              VELTRA_RESOLVE(library, api, png_get_error_ptr) &&
                              VELTRA_RESOLVE(library, api, png_error) &&
                              VELTRA_RESOLVE(library, api, png_read_info) &&
                              VELTRA_RESOLVE(library, api, png_get_IHDR) &&
                              VELTRA_RESOLVE(library, api, png_get_valid) &&
                              VELTRA_RESOLVE(library, api, png_get_PLTE) &&
                              VELTRA_RESOLVE(library, api, png_get_channels);
        return resolved ? std::optional(api) : std::nullopt;
    }();
    return api ? &*api : nullptr;
}

// What one header reading needs in libpng's callbacks. libpng reports a fatal error by calling
// a function that must not return; ours jumps back into ReadInfoGuarded, which holds nothing
// with a destructor, nor do the callbacks at the moment they jump.
struct HeaderReading {
    const PngLibrary* png = nullptr;
    DecoderInputDevice* input = nullptr;
    std::jmp_buf jump;
};

void LogMessage(const char* kind, png_const_charp message)
{
    // A message that cannot be allocated is lost rather than thrown through libpng's frames.
    try {
        qCInfo(lcLibraries, "libpng %s: %s", kind, message);
    } catch (...) {
    }
}

[[noreturn]] void JumpOnError(png_structp png, png_const_charp message)
{
    LogMessage("error", message);
    auto* reading = static_cast<HeaderReading*>(OpenPng()->png_get_error_ptr(png));
    std::longjmp(reading->jump, 1);
}

void LogWarning(png_structp /*png*/, png_const_charp message)
{
    LogMessage("warning", message);
}

// As Qt's decoder reads: the whole length asked for, or libpng's error.
void ReadInput(png_structp png, png_bytep data, std::size_t length)
{
    const PngLibrary* library = OpenPng();
    auto* reading = static_cast<HeaderReading*>(library->png_get_io_ptr(png));
    const qint64 read = reading->input->read(reinterpret_cast<char*>(data),
                                             static_cast<qint64>(length));
    if (read != static_cast<qint64>(length))
        library->png_error(png, "Read Error");
}

bool ReadInfoGuarded(HeaderReading& reading, png_structp png, png_infop info)
{
    if (setjmp(reading.jump) != 0)
        return false;
    reading.png->png_set_read_fn(png, &reading, ReadInput);
    reading.png->png_read_info(png, info);
    return true;
}

// The picture Qt's decoder makes of the header, in the service's terms: 1-bit grey and
// palettes (and grey with a transparent shade, at 8 bits or less) are indexed; a transparency
// chunk or an alpha channel gives alpha; the rest is opaque colour.
PixelFormat DecodedPixelFormat(const PngLibrary& png, png_structp read, png_infop info,
                               int depth, int colourType)
{
    const bool transparency = png.png_get_valid(read, info, PNG_INFO_tRNS) != 0;
    if (colourType == PNG_COLOR_TYPE_GRAY) {
        if (depth == 1 && png.png_get_channels(read, info) == 1)
            return PixelFormat8bppIndexed;
        if (depth == 16)
            return transparency ? PixelFormat32bppARGB : PixelFormat24bppRGB;
        return depth == 8 && !transparency ? PixelFormat24bppRGB : PixelFormat8bppIndexed;
    }
    png_colorp palette = nullptr;
    int colours = 0;
    if (colourType == PNG_COLOR_TYPE_PALETTE && png.png_get_PLTE(read, info, &palette, &colours) &&
        colours <= 256)
        return PixelFormat8bppIndexed;
    return (colourType & PNG_COLOR_MASK_ALPHA) || transparency ? PixelFormat32bppARGB
                                                               : PixelFormat24bppRGB;
}

}  // namespace

GpStatus ProbePngHeader(QByteArrayView file, const FileFacts& facts, FrameHeader* header)
{
    const PngLibrary* png = OpenPng();
    if (!png) {
        header->refusal = LoadFailureReason::CodecUnavailable;
        return UnknownImageFormat;
    }
    DecoderInputDevice input(file, facts);
    HeaderReading reading;
    reading.png = png;
    reading.input = &input;
    png_structp read =
        png->png_create_read_struct(PNG_LIBPNG_VER_STRING, &reading, JumpOnError, LogWarning);
    if (!read)
        return OutOfMemory;
    png_infop info = png->png_create_info_struct(read);
    if (!info) {
        png->png_destroy_read_struct(&read, nullptr, nullptr);
        return OutOfMemory;
    }
    const bool readable = ReadInfoGuarded(reading, read, info);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int depth = 0;
    int colourType = 0;
    PixelFormat decoded = PixelFormatUndefined;
    if (readable) {
        png->png_get_IHDR(read, info, &width, &height, &depth, &colourType, nullptr, nullptr,
                          nullptr);
        decoded = DecodedPixelFormat(*png, read, info, depth, colourType);
    }
    png->png_destroy_read_struct(&read, &info, nullptr);
    if (!readable)
        return UnknownImageFormat;
    // libpng refuses a side past its limit of a million pixels, far inside an int.
    const QSize size(static_cast<int>(width), static_cast<int>(height));
    if (!WithinPixelBudget(size, PixelBudgetFor(file.size())))
        return OutOfMemory;
    header->size = size;
    header->decodedPixelFormat = decoded;
    return Ok;
}

}  // namespace veltra::imaging
