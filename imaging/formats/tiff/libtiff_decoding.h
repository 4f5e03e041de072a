#pragma once

// Decoding a TIFF's first page with libtiff itself, for the files Qt's TIFF plugin refuses
// (BigTIFF: the plugin checks for the classic header only).

#include "formats/format_reader.h"

namespace veltra::imaging {

// Whether libtiff reads the first page and its size, within the file's pixel budget.
GpStatus ProbeWithLibtiff(QByteArrayView file, const FileFacts& facts, FrameHeader* header);

// The first page's pixels as stored (no orientation applied), 8 bits a sample.
GpStatus DecodeWithLibtiff(QByteArrayView file, const FileFacts& facts, QImage* pixels);

}  // namespace veltra::imaging
