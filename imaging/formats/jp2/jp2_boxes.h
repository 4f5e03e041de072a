#pragma once

// What a JPEG 2000 file says of its picture before any decoding: the JP2 boxes (image header,
// bits per component, colour box (colr), palette, channel definitions, the Exif and XMP
// UUID boxes) or, for a bare codestream, its SIZ marker segment.

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <optional>

namespace veltra::imaging {

// The JP2 signature box, and the start of a codestream: SOC then SIZ.
inline constexpr QByteArrayView kJp2Signature("\0\0\0\x0CjP  \x0D\x0A\x87\x0A", 12);
inline constexpr QByteArrayView kJ2kCodestreamStart("\xFF\x4F\xFF\x51", 4);

struct Jp2Picture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int components = 0;
    // The most bits any component has.
    int bitsPerComponent = 0;
    bool palette = false;
    bool alpha = false;
    bool grey = false;
    // The codestream's tiles: OpenJPEG keeps bookkeeping for each of them from the header on.
    std::uint64_t tiles = 1;
};

struct Jp2File {
    bool container = false;  // JP2 boxes, not a bare codestream
    std::optional<Jp2Picture> picture;
    QByteArrayView exif;  // the Exif UUID box's content
    QByteArrayView xmp;   // the XMP UUID box's content
    QByteArray iccProfile;
};

Jp2File ReadJp2File(QByteArrayView file);

}  // namespace veltra::imaging
