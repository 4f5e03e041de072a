#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// Windows and OS/2 bitmaps ("BM" with a plausible header). The file header and the info
// header give the pixel format (bit count, bit-field and alpha masks) and the density in
// pels per metre; a bitmap carries no items.
extern const FormatReader kBmpFormat;

}  // namespace veltra::imaging
