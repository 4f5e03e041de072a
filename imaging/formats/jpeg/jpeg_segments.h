#pragma once

// Walking a JPEG file's marker segments without touching the entropy-coded data.

#include <QByteArrayView>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace veltra::imaging {

// The markers the readers look for.
inline constexpr std::uint8_t kJpegMarkerApp0 = 0xE0;   // JFIF
inline constexpr std::uint8_t kJpegMarkerApp1 = 0xE1;   // Exif, XMP
inline constexpr std::uint8_t kJpegMarkerApp2 = 0xE2;   // ICC profile, MPF
inline constexpr std::uint8_t kJpegMarkerApp11 = 0xEB;  // JUMBF (Content Credentials)
inline constexpr std::uint8_t kJpegMarkerApp13 = 0xED;  // Photoshop resources
inline constexpr std::uint8_t kJpegMarkerDqt = 0xDB;
inline constexpr std::uint8_t kJpegMarkerDri = 0xDD;
inline constexpr std::uint8_t kJpegMarkerCom = 0xFE;

// A quantisation table is stored in zig-zag order; entry k of the stored table belongs at
// row-major position kJpegNaturalOrder[k] of the 8 x 8 block.
inline constexpr std::array<std::uint8_t, 64> kJpegNaturalOrder{
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

// Every SOFn carries the frame header; C4 (DHT), C8 (JPG) and CC (DAC) are other markers.
constexpr bool IsJpegFrameHeader(std::uint8_t marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

struct JpegSegment {
    std::uint8_t marker = 0;   // the byte after 0xFF
    QByteArrayView payload;    // the bytes after the two length bytes
};

// Calls `visit` for each segment from the start of the file up to the first SOS or EOI, or
// until `visit` returns false. Stops quietly where the marker structure breaks; a segment
// cut off by the end of the file is handed over as far as it goes.
void ForEachJpegSegment(QByteArrayView file, const std::function<bool(const JpegSegment&)>& visit);

// Just past the EOI marker that ends the picture: every segment and every scan's coded data
// walked in turn (a progressive file has many scans). Nothing when the structure breaks or
// the file ends first.
std::optional<qsizetype> JpegEndOfImage(QByteArrayView file);

}  // namespace veltra::imaging
