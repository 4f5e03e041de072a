#include "formats/qt_decoding.h"

#include "formats/decoder_input_device.h"
#include "formats/format_reader.h"
#include "imaging/logging.h"
#include "imaging/work_counters.h"
#include "util/pixel_memory.h"

#include <QImageReader>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace veltra::imaging {
namespace {

// A reader that keeps pixels as stored and asks only the decoder named.
struct QtReader {
    QtReader(QByteArrayView file, const FileFacts& facts, const QByteArray& decoder)
        : input(file, facts)
    {
        reader.setDevice(&input);
        reader.setFormat(decoder);
        // Only the decoder named: Qt's guess by content could bring in any plugin installed,
        // vector formats among them.
        reader.setAutoDetectImageFormat(false);
        reader.setAutoTransform(false);  // the report applies orientation, once
    }
    DecoderInputDevice input;
    QImageReader reader;
};

// Whether the decoder reads the input, and a frame whose declared size (when it declares one)
// fits the file's pixel budget.
GpStatus Accepts(QImageReader& reader, QByteArrayView file, QSize* size)
{
    if (!reader.canRead())
        return UnknownImageFormat;
    *size = reader.size();
    if (size->isValid() && !WithinPixelBudget(*size, PixelBudgetFor(file.size())))
        return OutOfMemory;
    return Ok;
}

}  // namespace

DecodedMemory MemoryFor(QByteArrayView decoder)
{
    return decoder == "png" || decoder == "tiff" || decoder == "bmp"
               ? DecodedMemory::PreparedAhead
               : DecodedMemory::TakenByDecoder;
}

GpStatus DecodeWithQt(QByteArrayView file, const FileFacts& facts, const QByteArray& decoder,
                      QImage* pixels, DecodedMemory memory)
{
    QtReader qt(file, facts, decoder);
    QSize size;
    if (const GpStatus status = Accepts(qt.reader, file, &size); status != Ok)
        return status;
    std::optional<PrefaultAhead> prefault;
    const uchar* prepared = nullptr;
    const QImage::Format format = qt.reader.imageFormat();
    if (memory == DecodedMemory::PreparedAhead && size.isValid() && !size.isEmpty() &&
        format != QImage::Format_Invalid) {
        const int bitsPerPixel = QImage::toPixelFormat(format).bitsPerPixel();
        const qsizetype bytesPerLine = (qsizetype{size.width()} * bitsPerPixel + 31) / 32 * 4;
        const std::uint64_t pixelBytes = std::uint64_t(bytesPerLine) * std::uint64_t(size.height());
        // Memory given to the decoder escapes Qt's own allocation limit, which is the service's:
        // a picture that needs more (eight bytes a pixel) is left for Qt to refuse.
        if (pixelBytes <= kMaxPixelBytes) {
            PixelMapping mapping(pixelBytes);
            QImage picture;
            if (mapping.isValid())
                picture = mapping.TakeAsImage(size.width(), size.height(), bytesPerLine, format);
            if (!picture.isNull()) {
                *pixels = std::move(picture);
                prepared = pixels->constBits();
                prefault.emplace(pixels->bits(), pixelBytes);
            }
        }
    }
    if (!qt.reader.read(pixels) || pixels->isNull())
        return UnknownImageFormat;
    if (prepared && pixels->constBits() != prepared)
        qCInfo(lcImaging, "the decoder did not use the memory prepared for its picture");
    return Ok;
}

GpStatus ProbeWithQt(QByteArrayView file, const FileFacts& facts, const QByteArray& decoder,
                     FrameHeader* header)
{
    QtReader qt(file, facts, decoder);
    QSize size;
    if (const GpStatus status = Accepts(qt.reader, file, &size); status != Ok)
        return status;
    const QImage::Format decodedFormat = qt.reader.imageFormat();
    if (size.isValid() && !size.isEmpty() && decodedFormat != QImage::Format_Invalid) {
        header->size = size;
        header->decodedPixelFormat = PixelFormatOfDecoded(decodedFormat);
        return Ok;
    }
    // A decoder that cannot tell the frame's size or format beforehand is asked to decode it.
    QImage decoded;
    if (!qt.reader.read(&decoded) || decoded.isNull())
        return UnknownImageFormat;
    CountFrame(Work::FramesDecoded, decoded.size());
    header->size = decoded.size();
    header->decodedPixelFormat = PixelFormatOfDecoded(decoded.format());
    header->pixels = std::make_shared<const QImage>(std::move(decoded));
    return Ok;
}

PixelFormat PixelFormatOfDecoded(QImage::Format decoded)
{
    if (decoded == QImage::Format_Indexed8 || decoded == QImage::Format_Mono ||
        decoded == QImage::Format_MonoLSB)
        return PixelFormat8bppIndexed;
    return QImage::toPixelFormat(decoded).alphaUsage() == QPixelFormat::UsesAlpha
               ? PixelFormat32bppARGB
               : PixelFormat24bppRGB;
}

}  // namespace veltra::imaging
