#pragma once

// What a format's reader learns from one pass over a file's bytes, before any pixel is decoded.

#include "formats/resolution.h"
#include "imaging/gdiplus_types.h"
#include "metadata/property_set.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace veltra::imaging {

// A 16-bit RGB PNG's transparent colour: Qt decodes such a file into wrong colours, so the
// picture is decoded without its tRNS chunk and the key applied afterwards.
struct Rgb16ColourKey {
    std::uint16_t red = 0;
    std::uint16_t green = 0;
    std::uint16_t blue = 0;
};

// A stretch of a file's bytes.
struct ByteSpan {
    qsizetype offset = 0;
    qsizetype length = 0;
};

// A part of what a decoder is given: a stretch of the file, or bytes made for the decoder.
struct DecoderPiece {
    ByteSpan fromFile;
    QByteArray made;  // used instead of the stretch when not empty

    static DecoderPiece FromFile(qsizetype offset, qsizetype length)
    {
        return DecoderPiece{ByteSpan{offset, length}, {}};
    }
    static DecoderPiece Made(QByteArray bytes) { return DecoderPiece{{}, std::move(bytes)}; }
};

struct FileFacts {
    // The pixel format that holds the first frame without loss, when the file's header decides
    // it; otherwise the decoded picture does.
    std::optional<PixelFormat> pixelFormat;
    Resolution resolution;
    PropertySet properties;
    std::optional<Rgb16ColourKey> rgb16ColourKey;
    // When not empty, what the decoder is given instead of the whole file: these pieces, one
    // after another (a PNG's chunks that its pixels need, without the rest; a TIFF with a
    // first directory of the tags its pixels need).
    std::vector<DecoderPiece> decoderInput;
    // The file's data is too small to hold the picture its header declares (a few hundred
    // bytes claiming gigapixels): it is refused before any pixel memory is taken.
    bool tooLittleDataForDeclaredSize = false;
    // For a format whose container orients the picture: the turn its decoder applies to the
    // stored pixels to deliver them upright (none when the container has no transform).
    RotateFlipType containerTurn = RotateNoneFlipNone;
};

// The indexed format that holds samples of this many bits.
constexpr PixelFormat IndexedPixelFormat(int bitDepth)
{
    if (bitDepth == 1)
        return PixelFormat1bppIndexed;
    if (bitDepth <= 4)
        return PixelFormat4bppIndexed;
    return PixelFormat8bppIndexed;
}

}  // namespace veltra::imaging
