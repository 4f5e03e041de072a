#pragma once

#include "imaging/property_record.h"

#include <QByteArrayView>

namespace veltra::imaging {

// The items of the first EXIF chunk of a WebP file, read like a JPEG's Exif segment.
PropertyRecords ReadWebPMetadata(QByteArrayView file);

}  // namespace veltra::imaging
