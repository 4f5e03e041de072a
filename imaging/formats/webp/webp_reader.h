#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// WebP (a RIFF file of form "WEBP"). The items are those of its first EXIF chunk, read like a
// JPEG's Exif segment. It has no identifier of its own: the report calls it an unknown type,
// and the decoded picture decides its pixel format.
extern const FormatReader kWebPFormat;

}  // namespace veltra::imaging
