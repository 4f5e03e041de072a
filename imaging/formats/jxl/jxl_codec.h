#pragma once

// Decoding a JPEG XL's first frame with libjxl, opened when a file first needs it.

#include "formats/jxl/jxl_header.h"
#include "imaging/gdiplus_types.h"

#include <QByteArrayView>
#include <QImage>

#include <cstddef>

namespace veltra::imaging {

// The first frame, upright: libjxl applies the codestream's orientation while decoding. The
// pixels are 8 bits a sample, or 16 for more than 8; grey pictures without alpha stay grey.
// `memoryLimit` bounds what libjxl allocates through its memory manager.
GpStatus DecodeJxl(QByteArrayView file, const JxlHeader& header, std::size_t memoryLimit,
                   QImage* pixels);

}  // namespace veltra::imaging
