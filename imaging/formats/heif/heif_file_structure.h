#pragma once

// What the analysis learns of a HEIF or AVIF file beyond its picture and items: its brands,
// codec and geometry, its thumbnails and auxiliary pictures, its XMP packet and ICC profile.

#include "formats/heif/heif_boxes.h"
#include "imaging/file_structure.h"

namespace veltra::imaging {

void ReadHeifStructure(QByteArrayView file, FileStructure* out);

// A HEIF file that holds the picture of item `id` alone (a coded picture, or a grid with its
// tiles) as its primary picture, with the properties each item has (decoder configuration,
// size, colour and geometry): a thumbnail made a picture of its own, to be decoded only when
// asked. Empty when the item is no such picture inside the file or its data is larger than
// `maxBytes`.
QByteArray HeifFileOfItem(const HeifBoxes& boxes, std::uint32_t id, qsizetype maxBytes);

}  // namespace veltra::imaging
