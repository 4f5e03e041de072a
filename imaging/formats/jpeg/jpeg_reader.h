#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// JPEG (FF D8 FF), Exif and JFIF alike. One walk over the marker segments before the first
// scan learns the component count (pixel format), the JFIF density, the first Exif APP1
// segment, the first comment and quantisation tables 0 and 1.
extern const FormatReader kJpegFormat;

// The picture at `eighths` / 8 of its size in each direction (rounded up; 8 is the whole
// picture), within the file's pixel budget: for a window that shows a photo smaller than it is
// stored, libjpeg's scaled inverse transform at the smallest scale that still covers it.
GpStatus DecodeJpegEighths(QByteArrayView file, int eighths, QImage* pixels);

}  // namespace veltra::imaging
