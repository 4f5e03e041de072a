#pragma once

// Decoding a first frame through Qt's image plugins, for the formats that have no decoder of
// their own here.

#include "imaging/gdiplus_types.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

#include <cstdint>

namespace veltra::imaging {

// Decoded pictures up to this many bytes of pixel memory are accepted; a larger one fails
// with OutOfMemory before any pixel is allocated.
inline constexpr std::uint64_t kMaxPixelBytes = std::uint64_t{2} << 30;

struct FrameHeader;

// Decodes with Qt's decoder of that name (the one Qt picks by content when the name is
// empty). The pixels stay as stored: no orientation is applied.
GpStatus DecodeWithQt(QByteArrayView file, const QByteArray& decoder, QImage* pixels);

// Asks Qt's decoder of that name (the one Qt picks by content when the name is empty) whether
// it reads the file, and its first frame's size and pixel format, without decoding it.
GpStatus ProbeWithQt(QByteArrayView file, const QByteArray& decoder, FrameHeader* header);

// True when a frame of this size fits the service's pixel limit.
bool WithinPixelLimit(QSize size);

// The pixel format reported for a picture whose file header does not decide it: indexed when
// Qt decoded it indexed, else 32bppARGB with an alpha channel, else 24bppRGB.
PixelFormat PixelFormatOfDecoded(QImage::Format decoded);

}  // namespace veltra::imaging
