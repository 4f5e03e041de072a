#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// PNG. One walk over the chunks learns the header (pixel format), the transparency chunk, the
// physical density and every chunk that becomes an item.
extern const FormatReader kPngFormat;

}  // namespace veltra::imaging
