#pragma once

// Decoding a JPEG 2000 picture with OpenJPEG, opened when a file first needs it.

#include "imaging/gdiplus_types.h"

#include <QByteArrayView>
#include <QImage>

#include <cstdint>

namespace veltra::imaging {

enum class Jp2Layout { Boxes, Codestream };

// The picture, as stored: a palette is applied, samples are scaled to 8 bits (16 for more
// than 8), grey stays grey without alpha. Refused with OutOfMemory, before OpenJPEG decodes
// anything, when its 32-bit planes of every component would pass `budget` bytes.
GpStatus DecodeJp2(QByteArrayView file, Jp2Layout layout, std::uint64_t budget, QImage* pixels);

}  // namespace veltra::imaging
