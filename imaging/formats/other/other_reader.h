#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// Anything else that one of Qt's decoders reads (TGA, PNM, ...): no identifier of its own, no
// items, and the decoded picture decides the pixel format. It matches any content, so it comes
// last.
extern const FormatReader kOtherFormat;

}  // namespace veltra::imaging
