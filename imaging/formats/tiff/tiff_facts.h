#pragma once

// What classic TIFF and BigTIFF share: the first directory gives the items (with its Exif and
// GPS directories; the next directory is the next page, not read), and from them the pixel
// format and the resolution; the decoder is given the file with a first directory trimmed to
// the tags its pixels need.

#include "formats/file_facts.h"

#include <QByteArrayView>

namespace veltra::imaging {

FileFacts ReadTiffFacts(QByteArrayView file);

}  // namespace veltra::imaging
