#include "formats/format_decoder.h"

#include "formats/qt_decoding.h"

namespace veltra::imaging {
namespace {

// Qt 6.4 decodes a 16-bit RGB PNG that marks one colour transparent into wrong colours. Such
// a file is decoded without its tRNS chunk (the reader leaves it out of what the decoder is
// given), and the key colour then made transparent in the decoded picture itself: one
// picture's memory, as for any other file.
GpStatus DecodePng(QByteArrayView file, const FileFacts& facts, QImage* pixels)
{
    const GpStatus status =
        DecodeWithQt(file, facts, "png", pixels, MemoryFor("png"));
    if (status != Ok || !facts.rgb16ColourKey)
        return status;
    QImage& keyed = *pixels;
    // Opaque 16-bit RGB comes as RGBX64, whose words are laid out as RGBA64's.
    if (keyed.format() != QImage::Format_RGBX64 || !keyed.reinterpretAsFormat(QImage::Format_RGBA64))
        keyed.convertTo(QImage::Format_RGBA64);
    if (keyed.isNull() || keyed.format() != QImage::Format_RGBA64)
        return OutOfMemory;
    const Rgb16ColourKey& key = *facts.rgb16ColourKey;
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgba64*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if (line[x].red() == key.red && line[x].green() == key.green &&
                line[x].blue() == key.blue)
                line[x].setAlpha(0);
        }
    }
    return Ok;
}

}  // namespace

const FormatDecoder kPngDecoder{
    .format = FileFormat::Png,
    .decode = DecodePng,
};

}  // namespace veltra::imaging
