#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// JPEG XL: a bare codestream (FF 0A) or the container (its "JXL " signature box). The
// codestream's headers give the size, the pixel format and the orientation, which the decoder
// applies (the picture's Exif orientation is listed but never applied); the Exif box gives the
// items. libjxl decodes the pixels, opened only then.
extern const FormatReader kJxlFormat;

}  // namespace veltra::imaging
