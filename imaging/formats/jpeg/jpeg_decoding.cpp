#include "formats/format_decoder.h"

#include "formats/jpeg/jpeg_codec.h"
#include "formats/pixel_budget.h"

namespace veltra::imaging {
namespace {

GpStatus DecodeJpegFrame(QByteArrayView file, const FileFacts& /*facts*/, QImage* pixels)
{
    JpegDecodeOptions options;
    options.maxPixelBytes = PixelBudgetFor(file.size());
    // A progressive file keeps every coefficient while it decodes: two bytes a sample.
    options.maxWorkingBytes = 2 * options.maxPixelBytes;
    return DecodeJpeg(file, pixels, options);
}


// Straight into the 32-bit layout drawing uses, on libjpeg-turbo.
// libjpeg's scaled inverse DCT: the picture at a fraction of its size for the cost of a
// fraction of its decode.
GpStatus DecodeJpegScaled(QByteArrayView file, const FileFacts& /*facts*/, int denominator,
                          QImage* pixels)
{
    JpegDecodeOptions options;
    options.maxPixelBytes = PixelBudgetFor(file.size());
    options.maxWorkingBytes = 2 * options.maxPixelBytes;
    options.scaleDenominator = denominator;
    return DecodeJpeg(file, pixels, options);
}

}  // namespace

GpStatus DecodeJpegEighths(QByteArrayView file, int eighths, QImage* pixels)
{
    JpegDecodeOptions options;
    options.maxPixelBytes = PixelBudgetFor(file.size());
    options.maxWorkingBytes = 2 * options.maxPixelBytes;
    options.scaleNumerator = eighths;
    options.scaleDenominator = 8;
    return DecodeJpeg(file, pixels, options);
}


const FormatDecoder kJpegDecoder{
    .format = FileFormat::Jpeg,
    .decode = DecodeJpegFrame,
    .decodeScaled = DecodeJpegScaled,
};

}  // namespace veltra::imaging
