#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// What Qt's TIFF decoder learns before it decodes, learnt the same way without it: libtiff
// (opened by the first TIFF, not at start) reads the first page's directory from what the
// decoder is given, and the decoder's own demands on it are made here. Ok with the page's size
// and the pixel format of the picture the decoder would make; UnknownImageFormat where libtiff
// or the decoder refuses the page, so that the refusal still comes at the load; OutOfMemory
// past the file's pixel budget.
GpStatus ProbeTiffHeader(QByteArrayView file, const FileFacts& facts, FrameHeader* header);

}  // namespace veltra::imaging
