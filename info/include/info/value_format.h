#pragma once

#include "imaging/gdiplus_types.h"

#include <QString>

namespace veltra::info {

// Writes the short text of one property item's value into `out`, which the caller has
// emptied: numbers joined by commas (at most 16, then "..."), or the text of an ASCII value up
// to its first NUL. A null item leaves `out` empty. Only the type, length and value bytes are
// read; the tag id plays no part.
void FormatPropertyValue(const imaging::PropertyItem* item, QString& out);

}  // namespace veltra::info
