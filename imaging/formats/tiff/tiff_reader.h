#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// TIFF ("II" 2A 00 or "MM" 00 2A). The first directory gives the items (with its Exif and GPS
// directories; the next directory is the next page, not read), and from them the pixel format
// and the resolution.
extern const FormatReader kTiffFormat;

}  // namespace veltra::imaging
