#include "formats/qt_decoding.h"

#include "formats/decoder_input_device.h"
#include "formats/format_reader.h"

#include <QImageReader>

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

GpStatus DecodeWithQt(QByteArrayView file, const FileFacts& facts, const QByteArray& decoder,
                      QImage* pixels)
{
    QtReader qt(file, facts, decoder);
    QSize size;
    if (const GpStatus status = Accepts(qt.reader, file, &size); status != Ok)
        return status;
    if (!qt.reader.read(pixels) || pixels->isNull())
        return UnknownImageFormat;
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
    if (!reader.mainKind().qtDecoder)
        return UnknownImageFormat;
    return ProbeWithQt(file, facts, reader.mainKind().qtDecoder, header);
}

GpStatus DecodeFirstFrame(const FormatReader& reader, QByteArrayView file, const FileFacts& facts,
                          const FrameHeader& header, QImage* pixels)
{
    if (reader.decode)
        return reader.decode(file, facts, pixels);
    const ContentKind& kind = header.kind ? *header.kind : reader.mainKind();
    if (!kind.qtDecoder)
        return UnknownImageFormat;
    return DecodeWithQt(file, facts, kind.qtDecoder, pixels);
}

}  // namespace veltra::imaging
