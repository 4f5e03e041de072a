#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// What Qt's PNG decoder learns before it decodes, learnt the same way without it: libpng
// (opened by the first PNG, not at start) reads the chunks the decoder is given up to the image
// data. Ok with the frame's size and the pixel format of the picture the decoder would make;
// UnknownImageFormat where libpng refuses the header, so that the decoder's refusal still comes
// at the load; OutOfMemory past the file's pixel budget.
GpStatus ProbePngHeader(QByteArrayView file, const FileFacts& facts, FrameHeader* header);

}  // namespace veltra::imaging
