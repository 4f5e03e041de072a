// Life and decoding: reading a file once, deciding its format from its content, decoding its
// first frame and collecting what the file says about itself.

#include "imaging/format_sniffer.h"
#include "imaging/gdiplus.h"
#include "imaging/gp_image.h"
#include "imaging/logging.h"
#include "imaging/metadata_reader.h"
#include "imaging/pixel_format_probe.h"
#include "imaging/png_colour_key.h"
#include "imaging/resolution_probe.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <mutex>
#include <new>

namespace veltra::imaging {
namespace {

// Decoded pictures up to this many bytes of pixel memory are accepted.
constexpr std::uint64_t kMaxPixelBytes = std::uint64_t{2} << 30;

void PrepareDecoders()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Qt refuses pictures above 256 MB by default; ours is the limit above (in MiB).
        QImageReader::setAllocationLimit(static_cast<int>(kMaxPixelBytes >> 20));
    });
    // Decoders complain about damaged files on standard error; those messages belong in the
    // log that a user can turn on, not on the terminal.
    RouteLibraryMessagesToLog();
}

// Decodes the first frame with the named decoder, or with the one Qt picks by content when no
// name is given.
GpStatus DecodeFirstFrame(QByteArray& bytes, const QByteArray& decoder, QImage* pixels)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, decoder);
    reader.setAutoTransform(false);  // pixels stay as stored; the report applies orientation
    if (!reader.canRead())
        return UnknownImageFormat;
    const QSize size = reader.size();
    if (size.isValid() &&
        static_cast<std::uint64_t>(size.width()) * static_cast<std::uint64_t>(size.height()) * 4 >
            kMaxPixelBytes)
        return OutOfMemory;
    if (!reader.read(pixels) || pixels->isNull())
        return UnknownImageFormat;
    return Ok;
}

GpStatus StatusForOpenFailure(const QFile& file)
{
    if (!file.exists())
        return FileNotFound;
    return file.error() == QFileDevice::PermissionsError ? AccessDenied : Win32Error;
}

}  // namespace

GpStatus GdiplusStartup(std::uintptr_t* token, const GdiplusStartupInput* input, void* /*output*/)
{
    if (!token || !input || input->GdiplusVersion != 1)
        return InvalidParameter;
    PrepareDecoders();
    *token = 1;
    return Ok;
}

GpStatus GdipCreateBitmapFromFile(const QString& filename, GpBitmap** bitmap)
{
    if (!bitmap)
        return InvalidParameter;
    *bitmap = nullptr;
    PrepareDecoders();

    QFile file(filename);
    if (!file.open(QIODevice::ReadOnly))
        return StatusForOpenFailure(file);
    // The file is read once; everything below works on these bytes.
    QByteArray bytes;
    try {
        bytes = file.readAll();
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
    if (file.error() != QFileDevice::NoError)
        return Win32Error;
    file.close();

    const FileFormat format = SniffFileFormat(bytes);
    // Metafiles are recognised but not drawn.
    if (bytes.isEmpty() || format == FileFormat::Emf || format == FileFormat::Wmf)
        return UnknownImageFormat;

    try {
        auto image = std::make_unique<GpImage>();
        GpStatus status = DecodeFirstFrame(bytes, QByteArray(), &image->pixels);
        // Qt's guess by content can pick the wrong decoder for a format without a signature
        // of its own (a TGA file starts with bytes that the icon decoder claims); each
        // decoder is then asked by name before the file counts as undecodable.
        if (status == UnknownImageFormat && format == FileFormat::Unknown) {
            qCInfo(lcImaging, "no decoder recognised the content; asking each by name");
            const QList<QByteArray> decoders = QImageReader::supportedImageFormats();
            for (const QByteArray& decoder : decoders) {
                status = DecodeFirstFrame(bytes, decoder, &image->pixels);
                if (status != UnknownImageFormat)
                    break;
            }
        }
        if (status != Ok) {
            qCInfo(lcImaging) << "the first frame could not be decoded, status" << status;
            return status;
        }
        if (format == FileFormat::Png) {
            if (std::optional<QImage> keyed = DecodeColourKeyedRgb16Png(bytes))
                image->pixels = std::move(*keyed);
        }
        image->rawFormat = RawFormatOf(format);
        image->properties = ReadMetadata(bytes, format);
        image->pixelFormat = ProbePixelFormat(bytes, format, image->properties, image->pixels);
        const Resolution resolution = ProbeResolution(bytes, format, image->properties);
        image->dpiX = resolution.horizontal;
        image->dpiY = resolution.vertical;
        *bitmap = image.release();
        return Ok;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

GpStatus GdipDisposeImage(GpImage* image)
{
    if (!image)
        return InvalidParameter;
    delete image;
    return Ok;
}

}  // namespace veltra::imaging
