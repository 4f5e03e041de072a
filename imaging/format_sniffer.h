#pragma once

#include "imaging/gdiplus_types.h"

#include <QByteArrayView>

namespace veltra::imaging {

// What the first bytes of a file say it is. The name of the file is never consulted.
enum class FileFormat { Unknown, Png, Jpeg, Gif, Bmp, Tiff, Icon, Emf, Wmf, WebP };

FileFormat SniffFileFormat(QByteArrayView head);

// The raw-format identifier reported for a decoded file of this format. Formats without an
// identifier of their own (WebP, and whatever else Qt decodes) get ImageFormatOtherDecoded.
GUID RawFormatOf(FileFormat format);

}  // namespace veltra::imaging
