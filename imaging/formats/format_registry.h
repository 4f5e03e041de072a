#pragma once

#include "formats/format_reader.h"

#include <span>

namespace veltra::imaging {

// Every format, in the order their content checks are tried; the last one (whatever else Qt
// decodes) matches any content. Adding a format is one row here and one folder beside it.
std::span<const FormatReader* const> FormatReaders();

// The reader of the first format whose check matches the file's first bytes.
const FormatReader& ReaderFor(QByteArrayView head);

// What the first bytes of a file say it is. The name of the file is never consulted.
FileFormat SniffFileFormat(QByteArrayView head);

}  // namespace veltra::imaging
