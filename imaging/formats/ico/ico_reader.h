#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// Windows icons (00 00 01 00 with a plausible directory). Every icon reports 32bppARGB and
// carries no items.
extern const FormatReader kIconFormat;

}  // namespace veltra::imaging
