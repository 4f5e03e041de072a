#include "formats/tiff/tiff_header_probe.h"

#include "formats/decoder_input_device.h"
#include "formats/pixel_budget.h"
#include "imaging/logging.h"
#include "util/shared_library.h"

#include <QString>

#include <tiffio.h>

#include <climits>
#include <cstdarg>
#include <memory>
#include <optional>

namespace veltra::imaging {
namespace {

struct TiffLibrary {
    VELTRA_LIBRARY_FUNCTION(TIFFOpenOptionsAlloc) TIFFOpenOptionsAlloc;
    VELTRA_LIBRARY_FUNCTION(TIFFOpenOptionsFree) TIFFOpenOptionsFree;
    VELTRA_LIBRARY_FUNCTION(TIFFOpenOptionsSetErrorHandlerExtR) TIFFOpenOptionsSetErrorHandlerExtR;
    VELTRA_LIBRARY_FUNCTION(TIFFOpenOptionsSetWarningHandlerExtR)
    TIFFOpenOptionsSetWarningHandlerExtR;
    VELTRA_LIBRARY_FUNCTION(TIFFClientOpenExt) TIFFClientOpenExt;
    VELTRA_LIBRARY_FUNCTION(TIFFClose) TIFFClose;
    VELTRA_LIBRARY_FUNCTION(TIFFGetField) TIFFGetField;
};

const TiffLibrary* OpenTiff()
{
    static SharedLibrary library(VELTRA_TIFF_SONAME);
    static const std::optional<TiffLibrary> api = []() -> std::optional<TiffLibrary> {
        TiffLibrary api{};
        const bool resolved = library.open() &&
                              VELTRA_RESOLVE(library, api, TIFFOpenOptionsAlloc) &&
                              VELTRA_RESOLVE(library, api, TIFFOpenOptionsFree) &&
                              VELTRA_RESOLVE(library, api, TIFFOpenOptionsSetErrorHandlerExtR) &&
                              VELTRA_RESOLVE(library, api, TIFFOpenOptionsSetWarningHandlerExtR) &&
                              VELTRA_RESOLVE(library, api, TIFFClientOpenExt) &&
                              VELTRA_RESOLVE(library, api, TIFFClose) &&
                              VELTRA_RESOLVE(library, api, TIFFGetField);
        return resolved ? std::optional(api) : std::nullopt;
    }();
    return api ? &*api : nullptr;
}

// libtiff reads through the device as Qt's decoder has it read: a failed seek leaves the
// position where it was, and the position is the answer.
tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* device = static_cast<QIODevice*>(handle);
    return device->isReadable() ? device->read(static_cast<char*>(buffer), size) : -1;
}

tmsize_t WriteProc(thandle_t /*handle*/, void* /*buffer*/, tmsize_t /*size*/) { return -1; }

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    auto* device = static_cast<QIODevice*>(handle);
    switch (whence) {
    case SEEK_SET:
        device->seek(static_cast<qint64>(offset));
        break;
    case SEEK_CUR:
        device->seek(device->pos() + static_cast<qint64>(offset));
        break;
    case SEEK_END:
        device->seek(device->size() + static_cast<qint64>(offset));
        break;
    }
    return static_cast<toff_t>(device->pos());
}

int CloseProc(thandle_t /*handle*/) { return 0; }

toff_t SizeProc(thandle_t handle) { return static_cast<toff_t>(static_cast<QIODevice*>(handle)->size()); }

int MapProc(thandle_t /*handle*/, void** /*base*/, toff_t* /*size*/) { return 0; }

void UnmapProc(thandle_t /*handle*/, void* /*base*/, toff_t /*size*/) {}

// This reading's messages go to the log, not to standard error, whoever else uses libtiff.
int LogMessage(TIFF* /*tiff*/, void* kind, const char* module, const char* format, va_list arguments)
{
    try {
        qCInfo(lcLibraries, "libtiff %s: %s: %s", static_cast<const char*>(kind), module,
               qPrintable(QString::vasprintf(format, arguments)));
    } catch (...) {
    }
    return 1;
}

std::uint16_t FieldOr(const TiffLibrary& library, TIFF* tiff, std::uint32_t tag,
                      std::uint16_t absent)
{
    std::uint16_t value = 0;
    return library.TIFFGetField(tiff, tag, &value) ? value : absent;
}

// The picture Qt's decoder makes of the page, in the service's terms: bilevel grey and 8-bit
// grey or palette pages are indexed (8-bit and 16-bit black-is-zero grey excepted), pages of
// fewer than four samples are opaque colour, and the rest have alpha.
PixelFormat DecodedPixelFormat(const TiffLibrary& library, TIFF* tiff, std::uint16_t photometric)
{
    const std::uint16_t bits = FieldOr(library, tiff, TIFFTAG_BITSPERSAMPLE, 1);
    const std::uint16_t samples = FieldOr(library, tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    const bool floatingPoint =
        FieldOr(library, tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_VOID) == SAMPLEFORMAT_IEEEFP;
    const bool blackIsZero = photometric == PHOTOMETRIC_MINISBLACK;
    const bool grey = blackIsZero || photometric == PHOTOMETRIC_MINISWHITE;
    if (grey && bits == 1 && samples == 1)
        return PixelFormat8bppIndexed;
    if (blackIsZero && samples == 1 && (bits == 8 || (bits == 16 && !floatingPoint)))
        return PixelFormat24bppRGB;
    if ((grey || photometric == PHOTOMETRIC_PALETTE) && bits == 8 && samples == 1)
        return PixelFormat8bppIndexed;
    return samples < 4 ? PixelFormat24bppRGB : PixelFormat32bppARGB;
}

}  // namespace

GpStatus ProbeTiffHeader(QByteArrayView file, const FileFacts& facts, FrameHeader* header)
{
    const TiffLibrary* library = OpenTiff();
    if (!library) {
        header->refusal = LoadFailureReason::CodecUnavailable;
        return UnknownImageFormat;
    }
    DecoderInputDevice input(file, facts);
    const std::unique_ptr<TIFFOpenOptions, decltype(library->TIFFOpenOptionsFree)> options(
        library->TIFFOpenOptionsAlloc(), library->TIFFOpenOptionsFree);
    if (!options)
        return OutOfMemory;
    library->TIFFOpenOptionsSetErrorHandlerExtR(options.get(), LogMessage,
                                                const_cast<char*>("error"));
    library->TIFFOpenOptionsSetWarningHandlerExtR(options.get(), LogMessage,
                                                  const_cast<char*>("warning"));
    // "m": never map the input, which is no file.
    const std::unique_ptr<TIFF, decltype(library->TIFFClose)> tiff(
        library->TIFFClientOpenExt("picture", "rm", &input, ReadProc, WriteProc, SeekProc,
                                   CloseProc, SizeProc, MapProc, UnmapProc, options.get()),
        library->TIFFClose);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t photometric = 0;
    if (!tiff || !library->TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !library->TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) ||
        !library->TIFFGetField(tiff.get(), TIFFTAG_PHOTOMETRIC, &photometric))
        return UnknownImageFormat;
    // The decoder cannot make a picture with no pixels or with a side past an int.
    if (width == 0 || height == 0 || width > INT_MAX || height > INT_MAX)
        return UnknownImageFormat;
    const QSize size(static_cast<int>(width), static_cast<int>(height));
    if (!WithinPixelBudget(size, PixelBudgetFor(file.size())))
        return OutOfMemory;
    header->size = size;
    header->decodedPixelFormat = DecodedPixelFormat(*library, tiff.get(), photometric);
    return Ok;
}

}  // namespace veltra::imaging
