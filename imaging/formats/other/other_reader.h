#pragma once

#include "formats/format_reader.h"

#include <span>

namespace veltra::imaging {

// Anything else that one of Qt's decoders reads (TGA, PNM, ...): no identifier of its own, no
// items, and the decoded picture decides the pixel format. It matches any content, so it comes
// last.
extern const FormatReader kOtherFormat;

// The names of Qt's decoders that read those files, in the order they are tried.
std::span<const char* const> OtherDecoderNames();

}  // namespace veltra::imaging
