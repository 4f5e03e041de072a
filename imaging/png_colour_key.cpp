#include "imaging/png_colour_key.h"

#include "imaging/byte_order.h"
#include "imaging/png_chunks.h"

#include <QBuffer>
#include <QImageReader>

namespace veltra::imaging {

std::optional<QImage> DecodeColourKeyedRgb16Png(QByteArrayView file)
{
    // Signature (8), IHDR length and type (8), width and height (8), then depth and colour type.
    constexpr int kRgb = 2;
    if (file.size() < 26 || file.sliced(12, 4) != "IHDR" || ByteAt(file, 24) != 16 ||
        ByteAt(file, 25) != kRgb)
        return std::nullopt;

    std::optional<QByteArrayView> key;
    ForEachPngChunk(file, [&key](const PngChunk& chunk) {
        if (chunk.type == "tRNS")
            key = chunk.data;
        return !key && chunk.type != "IDAT";
    });
    if (!key || key->size() != 6)
        return std::nullopt;

    // The chunk is length (4) and type (4) before its data and a CRC (4) after it.
    const qsizetype chunkStart = key->data() - file.data() - 8;
    const qsizetype chunkEnd = key->data() - file.data() + key->size() + 4;
    QByteArray withoutKey = file.first(chunkStart).toByteArray();
    withoutKey.append(file.sliced(chunkEnd));
    QBuffer buffer(&withoutKey);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    QImage opaque;
    if (!reader.read(&opaque))
        return std::nullopt;

    QImage keyed = opaque.convertToFormat(QImage::Format_RGBA64);
    if (keyed.isNull())
        return std::nullopt;
    const std::uint16_t red = ReadBig16(*key, 0);
    const std::uint16_t green = ReadBig16(*key, 2);
    const std::uint16_t blue = ReadBig16(*key, 4);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgba64*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if (line[x].red() == red && line[x].green() == green && line[x].blue() == blue)
                line[x].setAlpha(0);
        }
    }
    return keyed;
}

}  // namespace veltra::imaging
