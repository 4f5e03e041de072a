#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// BigTIFF ("II" 2B 00 or "MM" 00 2B: 64-bit offsets, for files past 4 GiB). A TIFF to the
// report, read as a TIFF is, and decoded by libtiff, since Qt's TIFF plugin refuses its header.
extern const FormatReader kBigTiffFormat;

}  // namespace veltra::imaging
