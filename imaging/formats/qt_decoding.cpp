#include "formats/qt_decoding.h"

#include "formats/format_reader.h"

#include <QBuffer>
#include <QImageReader>

namespace veltra::imaging {

GpStatus DecodeWithQt(QByteArrayView file, const QByteArray& decoder, QImage* pixels)
{
    // QBuffer reads from a QByteArray; this one shares the caller's bytes without copying.
    QByteArray bytes = QByteArray::fromRawData(file.data(), file.size());
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

GpStatus DecodeFirstFrame(const FormatReader& reader, QByteArrayView file, const FileFacts& facts,
                          QImage* pixels)
{
    if (reader.decode)
        return reader.decode(file, facts, pixels);
    if (!reader.qtDecoder)
        return UnknownImageFormat;
    return DecodeWithQt(file, reader.qtDecoder, pixels);
}

PixelFormat PixelFormatOfDecoded(const QImage& decoded)
{
    if (decoded.format() == QImage::Format_Indexed8 || decoded.format() == QImage::Format_Mono ||
        decoded.format() == QImage::Format_MonoLSB)
        return PixelFormat8bppIndexed;
    return decoded.hasAlphaChannel() ? PixelFormat32bppARGB : PixelFormat24bppRGB;
}

}  // namespace veltra::imaging
