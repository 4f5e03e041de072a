#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// Photoshop documents (PSD, and PSB for large ones): the merged picture that every writer
// stores, the Exif of their image resources, their XMP, ICC profile, thumbnail and layers.
extern const FormatReader kPsdFormat;

}  // namespace veltra::imaging
