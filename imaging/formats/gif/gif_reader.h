#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// GIF87a and GIF89a. The blocks are walked without decoding any image data: the delay of every
// frame, the comment, the loop count, the global palette with its background index and the
// first frame's transparent index become items. Every GIF holds 8-bit indexed pixels.
// Its first frame is told from the blocks too, without decoding: a report needs no pixels.
extern const FormatReader kGifFormat;

// What Qt's GIF decoder makes of a file laid out as a GIF, whatever version its signature
// names (the decoder does not look): the canvas its first frame is painted on, and the pixel
// format the decoded frame has. UnknownImageFormat when the decoder would refuse the file (with
// the refusal OverPixelBudget when it is for the canvas's size), OutOfMemory when the canvas
// passes the file's pixel budget.
GpStatus ProbeGifLayout(QByteArrayView file, FrameHeader* header);

}  // namespace veltra::imaging
