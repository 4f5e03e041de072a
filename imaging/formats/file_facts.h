#pragma once

// What a format's reader learns from one pass over a file's bytes, before any pixel is decoded.

#include "formats/resolution.h"
#include "imaging/gdiplus_types.h"
#include "metadata/property_set.h"

#include <QtGlobal>

#include <cstdint>
#include <optional>

namespace veltra::imaging {

// A 16-bit RGB PNG's transparent colour and where its tRNS chunk lies, from its length field
// to its CRC: Qt decodes such a file into wrong colours, so the picture is decoded without the
// chunk and the key applied afterwards.
struct Rgb16ColourKey {
    std::uint16_t red = 0;
    std::uint16_t green = 0;
    std::uint16_t blue = 0;
    qsizetype chunkStart = 0;
    qsizetype chunkEnd = 0;
};

struct FileFacts {
    // The pixel format that holds the first frame without loss, when the file's header decides
    // it; otherwise the decoded picture does.
    std::optional<PixelFormat> pixelFormat;
    Resolution resolution;
    PropertySet properties;
    std::optional<Rgb16ColourKey> rgb16ColourKey;
    // The file's data is too small to hold the picture its header declares (a few hundred
    // bytes claiming gigapixels): it is refused before any pixel memory is taken.
    bool tooLittleDataForDeclaredSize = false;
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
