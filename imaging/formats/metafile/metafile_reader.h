#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// Windows metafiles, enhanced (EMF) and old-style (WMF, placeable or standard). They are
// recognised, so that no other decoder is tried on them, but not drawn: loading one fails.
extern const FormatReader kEmfFormat;
extern const FormatReader kWmfFormat;

}  // namespace veltra::imaging
