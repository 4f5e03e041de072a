#pragma once

// JPEG decoding and encoding straight on libjpeg-turbo, for large photos.
//
// Qt's JPEG plugin decodes into a row buffer and widens every row from three bytes a pixel
// to four, and its writer subsamples chroma even at quality 100. These functions decode into
// the picture's own memory in the layout QImage uses, and encode from the picture's rows as
// they stand. Decoded pixels are the same, byte for byte, as those Qt's reader produces for
// the same file with its default settings.

#include "formats/jpeg/jpeg_frame_size.h"
#include "imaging/gdiplus_types.h"

#include <QByteArrayView>
#include <QImage>

#include <cstdint>
#include <functional>

QT_BEGIN_NAMESPACE
class QIODevice;
QT_END_NAMESPACE

namespace veltra::imaging {

struct JpegDecodeOptions {
    // A picture whose decoded pixels need more bytes than this is refused with OutOfMemory
    // before any pixel memory is taken.
    std::uint64_t maxPixelBytes = std::uint64_t{2} << 30;
    // libjpeg's own working memory. A progressive or multi-scan file keeps every coefficient
    // of the picture (two bytes per sample at full size, whatever the scale), so a small
    // hostile file can otherwise ask for many gigabytes while its scaled pixels stay small.
    // Beyond this, OutOfMemory. libjpeg always allows itself a few rows of blocks.
    std::uint64_t maxWorkingBytes = std::uint64_t{2} << 30;
    // libjpeg's scaled inverse DCT decodes the picture at scaleNumerator / scaleDenominator
    // of its size in each direction (rounded up), far cheaper than decoding it whole and
    // shrinking: 1 over 1, 2, 4 or 8, or any number of eighths from 1 to 8. Huffman decoding
    // stays whole at every scale; the inverse transform and the colour conversion shrink.
    int scaleNumerator = 1;
    int scaleDenominator = 1;
};

// Decodes a whole JPEG file held in memory. Colour files (YCbCr or RGB) come out as
// Format_RGB32, grey files as Format_Grayscale8, CMYK and YCCK files as Format_RGB32 through
// the Adobe (inverted) CMYK conversion that Qt applies. A JFIF density sets the picture's
// dots per metre as Qt's reader sets them; without one they keep QImage's default.
//
// A file cut short decodes as far as it goes, the rest filled in by libjpeg, as Qt does; any
// other damage that stops libjpeg gives UnknownImageFormat, as does content that is not a
// JPEG. OutOfMemory when a limit above or the system refuses the memory; InvalidParameter
// for a null `pixels` or a scale libjpeg does not offer. `*pixels` is null unless Ok.
// libjpeg's messages go to the veltra.libraries logging category, never to standard error.
GpStatus DecodeJpeg(QByteArrayView file, QImage* pixels, const JpegDecodeOptions& options = {});

// The picture at `eighths` / 8 of its size in each direction (rounded up; 8 is the whole
// picture), within the file's pixel budget: for a window that shows a photo smaller than it is
// stored, libjpeg's scaled inverse transform at a scale that still covers it.
GpStatus DecodeJpegEighths(QByteArrayView file, int eighths, QImage* pixels);

// Writes `picture` as a baseline JPEG at IJG `quality` (0 to 100) with libjpeg's standard
// Huffman tables. From quality 90 up every chroma sample is kept (1x1 sampling throughout);
// below that chroma is halved in both directions. Grayscale8 pictures are written as one-
// component (grey) files, every other format as colour; alpha is ignored, so callers flatten
// onto a background first. The only segment besides the tables is a JFIF header with the
// density Qt's writer would give the picture: no Exif, no comment, no colour profile.
//
// When `waitForRows` is given, it is called with a row count before the rows up to that count
// are read, and returns once they are ready: a picture still being drawn can be encoded as
// its rows come.
//
// InvalidParameter for a null picture or a quality outside 0 to 100; Win32Error when the
// device refuses a write (what was written before stays written); OutOfMemory.
GpStatus EncodeJpeg(const QImage& picture, int quality, QIODevice& out,
                    const std::function<void(int rows)>& waitForRows = {});

}  // namespace veltra::imaging
