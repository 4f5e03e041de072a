#pragma once

// A HEIF file holding one picture of another alone: what a decoder is given instead of the
// whole file, so that it never meets the rest (thousands of metadata items, thumbnails,
// auxiliary pictures, boxes it would parse at great cost), and what lets a thumbnail be
// decoded as a picture of its own.

#include "formats/heif/heif_boxes.h"

#include <QByteArray>

namespace veltra::imaging {

// The picture of item `id` (a coded picture, or a grid with its tiles) as the primary picture
// of a new file, each item with the properties it has in the original (decoder
// configuration, size, colour and geometry), and, when `withAlpha`, the alpha plane that
// belongs to it. Empty when the item is no such picture inside the file, or when its data
// comes to more than `maxBytes`.
QByteArray HeifFileOfPicture(const HeifBoxes& boxes, std::uint32_t id, qsizetype maxBytes,
                             bool withAlpha);

}  // namespace veltra::imaging
