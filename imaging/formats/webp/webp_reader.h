#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// WebP (a RIFF file of form "WEBP"). The items are those of its first EXIF chunk, read like a
// JPEG's Exif segment. It has no identifier of its own: the report calls it an unknown type,
// and the picture's header decides its pixel format as the decoder will make it. The header
// alone is read, even of an animation: a report needs no frame decoded.
extern const FormatReader kWebPFormat;

}  // namespace veltra::imaging
