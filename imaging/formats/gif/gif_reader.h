#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// GIF87a and GIF89a. The blocks are walked without decoding any image data: the delay of every
// frame, the comment, the loop count, the global palette with its background index and the
// first frame's transparent index become items. Every GIF holds 8-bit indexed pixels.
extern const FormatReader kGifFormat;

}  // namespace veltra::imaging
