#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// JPEG 2000: a JP2 file (its signature box) or a bare codestream (SOC, SIZ). The boxes or the
// SIZ segment give the size and the pixel format, the Exif UUID box the items; OpenJPEG
// decodes the pixels, opened only then.
extern const FormatReader kJp2Format;

}  // namespace veltra::imaging
