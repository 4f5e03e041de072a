#pragma once

// What the analysis learns of a HEIF or AVIF file beyond its picture and items: its brands,
// codec and geometry, its thumbnails and auxiliary pictures, its XMP packet and ICC profile.

#include "formats/heif/heif_boxes.h"
#include "imaging/file_structure.h"

namespace veltra::imaging {

void ReadHeifStructure(QByteArrayView file, FileStructure* out);

}  // namespace veltra::imaging
