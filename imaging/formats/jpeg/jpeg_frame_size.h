#pragma once

#include "imaging/gdiplus_types.h"

#include <QByteArrayView>
#include <QSize>

#include <cstdint>

namespace veltra::imaging {

// Reads a JPEG file's headers up to its first scan, as the decoder does before decoding: Ok
// with the picture's size when the decoder accepts them, UnknownImageFormat when it does not
// (damaged tables, a colour layout it cannot decode, content that is not a JPEG), OutOfMemory
// when the decoded picture would need more than `maxPixelBytes`.
GpStatus ReadJpegFrameSize(QByteArrayView file, QSize* size,
                           std::uint64_t maxPixelBytes = std::uint64_t{2} << 30);

}  // namespace veltra::imaging
