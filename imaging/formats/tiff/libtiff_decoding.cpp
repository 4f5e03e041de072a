#include "formats/tiff/libtiff_decoding.h"

#include "formats/format_decoder.h"

#include "formats/decoder_input_device.h"
#include "formats/pixel_budget.h"
#include "imaging/logging.h"

#include <QtEndian>

#include <tiffio.h>

#include <memory>

namespace veltra::imaging {
namespace {

// libtiff reads through the device that serves the reader's chosen pieces.
tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size)
{
    return static_cast<tmsize_t>(
        static_cast<DecoderInputDevice*>(handle)->read(static_cast<char*>(buffer), size));
}

tmsize_t WriteProc(thandle_t /*handle*/, void* /*buffer*/, tmsize_t /*size*/) { return -1; }

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    auto* device = static_cast<DecoderInputDevice*>(handle);
    qint64 base = 0;
    if (whence == SEEK_CUR)
        base = device->pos();
    else if (whence == SEEK_END)
        base = device->size();
    const auto target = static_cast<qint64>(static_cast<std::uint64_t>(base) + offset);
    if (target < 0 || !device->seek(target))
        return static_cast<toff_t>(-1);
    return static_cast<toff_t>(target);
}

int CloseProc(thandle_t /*handle*/) { return 0; }

toff_t SizeProc(thandle_t handle)
{
    return static_cast<toff_t>(static_cast<DecoderInputDevice*>(handle)->size());
}

int MapProc(thandle_t /*handle*/, void** /*base*/, toff_t* /*size*/) { return 0; }

void UnmapProc(thandle_t /*handle*/, void* /*base*/, toff_t /*size*/) {}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

// The first page opened by libtiff, which may allocate no single buffer past the file's pixel
// budget; its messages go to the log (service/library_messages.cpp).
class OpenedTiff {
public:
    OpenedTiff(QByteArrayView file, const FileFacts& facts) : m_input(file, facts)
    {
        std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(),
                                                                             TIFFOpenOptionsFree);
        if (!options)
            return;
        TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(),
                                            static_cast<tmsize_t>(PixelBudgetFor(file.size())));
        // "m": never map the input, which is no file.
        m_tiff.reset(TIFFClientOpenExt("picture", "rm", &m_input, ReadProc, WriteProc, SeekProc,
                                       CloseProc, SizeProc, MapProc, UnmapProc, options.get()));
    }

    TIFF* get() const { return m_tiff.get(); }

    // The page's size; an empty one when libtiff cannot tell it.
    QSize size() const
    {
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        if (!m_tiff || !TIFFGetField(m_tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
            !TIFFGetField(m_tiff.get(), TIFFTAG_IMAGELENGTH, &height) || width > INT32_MAX ||
            height > INT32_MAX)
            return {};
        return QSize(static_cast<int>(width), static_cast<int>(height));
    }

    // Whether libtiff's RGBA reader can read the page; the reason in the log when it cannot.
    bool readable() const
    {
        char reason[1024] = {};
        if (m_tiff && TIFFRGBAImageOK(m_tiff.get(), reason))
            return true;
        qCInfo(lcImaging, "libtiff cannot read the page: %s", reason);
        return false;
    }

private:
    DecoderInputDevice m_input;
    std::unique_ptr<TIFF, TiffCloser> m_tiff;
};

GpStatus CheckedSize(const OpenedTiff& tiff, QByteArrayView file, QSize* size)
{
    *size = tiff.size();
    if (size->isEmpty() || !tiff.readable())
        return UnknownImageFormat;
    if (!WithinPixelBudget(*size, PixelBudgetFor(file.size())))
        return OutOfMemory;
    return Ok;
}

}  // namespace

GpStatus ProbeWithLibtiff(QByteArrayView file, const FileFacts& facts, FrameHeader* header)
{
    const OpenedTiff tiff(file, facts);
    QSize size;
    if (const GpStatus status = CheckedSize(tiff, file, &size); status != Ok)
        return status;
    std::uint16_t extraSamples = 0;
    std::uint16_t* kinds = nullptr;
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_EXTRASAMPLES, &extraSamples, &kinds);
    header->size = size;
    header->decodedPixelFormat = extraSamples > 0 ? PixelFormat32bppARGB : PixelFormat24bppRGB;
    return Ok;
}

GpStatus DecodeWithLibtiff(QByteArrayView file, const FileFacts& facts, QImage* pixels)
{
    const OpenedTiff tiff(file, facts);
    QSize size;
    if (const GpStatus status = CheckedSize(tiff, file, &size); status != Ok)
        return status;
    // libtiff's RGBA reader flips the rows and columns to the orientation asked for; asking
    // for the one the page has keeps them as stored, for the report to turn once.
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);
    // Each pixel comes as one 32-bit number holding red in its lowest byte: the bytes red,
    // green, blue, alpha on a little-endian machine, with alpha premultiplied.
    QImage image(size, QImage::Format_RGBA8888_Premultiplied);
    if (image.isNull())
        return OutOfMemory;
    auto* raster = reinterpret_cast<std::uint32_t*>(image.bits());
    if (!TIFFReadRGBAImageOriented(tiff.get(), static_cast<std::uint32_t>(size.width()),
                                   static_cast<std::uint32_t>(size.height()), raster, orientation,
                                   0))
        return UnknownImageFormat;
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN) {
        const qsizetype count = qsizetype(size.width()) * size.height();
        for (qsizetype index = 0; index < count; ++index)
            raster[index] = qbswap(raster[index]);
    }
    *pixels = std::move(image);
    return Ok;
}

const FormatDecoder kBigTiffDecoder{
    .format = FileFormat::BigTiff,
    .probe = ProbeWithLibtiff,
    .decode = DecodeWithLibtiff,
};

}  // namespace veltra::imaging
