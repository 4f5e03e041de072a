#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// JPEG (FF D8 FF), Exif and JFIF alike. One walk over the marker segments before the first
// scan learns the component count (pixel format), the JFIF density, the first Exif APP1
// segment, the first comment and quantisation tables 0 and 1.
extern const FormatReader kJpegFormat;

}  // namespace veltra::imaging
