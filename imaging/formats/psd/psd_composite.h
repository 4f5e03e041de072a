#pragma once

// The merged picture of a Photoshop document, decoded into pixels that drawing uses: RGB,
// greyscale, duotone (shown as its greys), indexed, bitmap and CMYK (turned to RGB), 8 or
// 16 bits a sample, stored raw or with PackBits run lengths.

#include "formats/psd/psd_layout.h"
#include "imaging/gdiplus_types.h"

#include <QImage>

namespace veltra::imaging {

// Decodes the merged picture: 32 bits a pixel for documents of 1 or 8 bits a sample, 64 for 16.
// GenericError when the data is cut short or damaged.
GpStatus DecodePsdComposite(const PsdLayout& layout, QImage* pixels);

}  // namespace veltra::imaging
