#pragma once

// Decoding a HEIF or AVIF file's primary picture with libheif, opened when the first such
// file's pixels are needed.

#include "formats/heif/heif_picture.h"
#include "imaging/gdiplus_types.h"

#include <QByteArrayView>
#include <QImage>

#include <cstdint>

namespace veltra::imaging {

// The primary picture, upright as its container orients it (libheif applies the rotations,
// mirrors and crops), in 8-bit RGB(A) or grey, or with more than 8 bits a sample in 16-bit
// RGB(A) or grey with the samples scaled to 16 bits. `picture` is what the boxes say of it;
// no picture of more than `maxPixelBytes` (at four bytes a pixel) is decoded. Non-Ok when the
// library cannot be opened or cannot decode the file.
GpStatus DecodeHeifPrimary(QByteArrayView file, const HeifPicture& picture,
                           std::uint64_t maxPixelBytes, QImage* pixels);

}  // namespace veltra::imaging
