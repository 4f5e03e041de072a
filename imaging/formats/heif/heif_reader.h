#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// HEIF and AVIF: ISO base media files whose `ftyp` names a still-image brand (heic, heix, heim,
// heis, mif1, avif) or an image-sequence brand (hevc, msf1, avis). Named by the primary
// picture's codec: "heic" for HEVC, "avif" for AV1, "heif" for any other. The facts come from
// the boxes; libheif, opened when first needed, decodes the primary picture upright as its
// container orients it. No identifier of its own: the report calls it an unknown type.
extern const FormatReader kHeifFormat;

}  // namespace veltra::imaging
