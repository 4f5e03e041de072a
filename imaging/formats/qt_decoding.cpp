#include "formats/qt_decoding.h"

#include "formats/format_reader.h"

#include <QBuffer>
#include <QImageReader>

namespace veltra::imaging {
namespace {

// A reader over the caller's bytes, without copying them, that keeps pixels as stored.
struct QtReader {
    QtReader(QByteArrayView file, const QByteArray& decoder)
        : bytes(QByteArray::fromRawData(file.data(), file.size())), buffer(&bytes)
    {
        buffer.open(QIODevice::ReadOnly);
        reader.setDevice(&buffer);
        reader.setFormat(decoder);
        // Only the decoder named: Qt's guess by content could bring in any plugin installed,
        // vector formats among them.
        reader.setAutoDetectImageFormat(false);
        reader.setAutoTransform(false);  // the report applies orientation, once
    }
    QByteArray bytes;
    QBuffer buffer;
    QImageReader reader;
};

}  // namespace

QByteArray DecoderInput(QByteArrayView file, const FileFacts& facts)
{
    if (facts.decoderInput.empty())
        return QByteArray::fromRawData(file.data(), file.size());
    QByteArray input;
    qsizetype total = 0;
    for (const ByteSpan& span : facts.decoderInput)
        total += span.length;
    input.reserve(total);
    for (const ByteSpan& span : facts.decoderInput)
        input.append(file.sliced(span.offset, span.length));
    return input;
}

GpStatus DecodeWithQt(QByteArrayView file, const QByteArray& decoder, QImage* pixels)
{
    QtReader qt(file, decoder);
    if (!qt.reader.canRead())
        return UnknownImageFormat;
    const QSize size = qt.reader.size();
    if (size.isValid() && !WithinPixelBudget(size, PixelBudgetFor(file.size())))
        return OutOfMemory;
    if (!qt.reader.read(pixels) || pixels->isNull())
        return UnknownImageFormat;
    return Ok;
}

GpStatus ProbeWithQt(QByteArrayView file, const QByteArray& decoder, FrameHeader* header)
{
    QtReader qt(file, decoder);
    if (!qt.reader.canRead())
        return UnknownImageFormat;
    const QSize size = qt.reader.size();
    if (size.isValid() && !WithinPixelBudget(size, PixelBudgetFor(file.size())))
        return OutOfMemory;
    header->qtDecoder = qt.reader.format();
    const QImage::Format decodedFormat = qt.reader.imageFormat();
    if (size.isValid() && !size.isEmpty() && decodedFormat != QImage::Format_Invalid) {
        header->size = size;
        header->decodedPixelFormat = PixelFormatOfDecoded(decodedFormat);
        return Ok;
    }
    // A decoder that cannot tell the frame's size or format beforehand is asked to decode it.
    if (!qt.reader.read(&header->pixels) || header->pixels.isNull())
        return UnknownImageFormat;
    header->size = header->pixels.size();
    header->decodedPixelFormat = PixelFormatOfDecoded(header->pixels.format());
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

GpStatus ProbeFirstFrame(const FormatReader& reader, QByteArrayView file, const FileFacts& facts,
                         FrameHeader* header)
{
    if (reader.probe)
        return reader.probe(file, facts, header);
    if (!reader.qtDecoder)
        return UnknownImageFormat;
    return ProbeWithQt(file, reader.qtDecoder, header);
}

GpStatus DecodeFirstFrame(const FormatReader& reader, QByteArrayView file, const FileFacts& facts,
                          const FrameHeader& header, QImage* pixels)
{
    if (reader.decode)
        return reader.decode(file, facts, pixels);
    if (header.qtDecoder.isEmpty())
        return UnknownImageFormat;
    return DecodeWithQt(file, header.qtDecoder, pixels);
}

}  // namespace veltra::imaging
