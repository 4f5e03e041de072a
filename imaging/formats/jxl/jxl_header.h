#pragma once

// The headers at the start of a JPEG XL codestream: its size and the image metadata (the
// orientation, the bit depth, the extra channels, the colour space), small bit-packed fields
// read here without the codec library, so that a report opens none.

#include <QByteArrayView>

#include <cstdint>
#include <optional>

namespace veltra::imaging {

struct JxlHeader {
    // As stored, before the orientation is applied.
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // 1 to 8, as Exif numbers them; the decoder applies it, and it is the only orientation a
    // JPEG XL has (its Exif orientation is to be ignored).
    int orientation = 1;
    int bitsPerSample = 8;
    int exponentBitsPerSample = 0;  // 0 for integer samples
    bool alpha = false;
    bool grey = false;
    // Coded in the XYB colour space, as lossy pictures are; lossless ones keep their own.
    bool xybEncoded = true;
    bool animation = false;
    // Every channel the decoder keeps a plane of: the colour channels and the extra ones.
    int channels = 3;
};

// The two bytes a bare codestream starts with.
inline constexpr QByteArrayView kJxlCodestreamSignature("\xFF\x0A", 2);

// The headers of the codestream that `codestream` starts with (its signature included);
// nothing when they are cut short or hold a value no decoder accepts.
std::optional<JxlHeader> ReadJxlHeader(QByteArrayView codestream);

}  // namespace veltra::imaging
