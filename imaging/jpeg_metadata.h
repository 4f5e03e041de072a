#pragma once

#include "imaging/property_record.h"

#include <QByteArrayView>

namespace veltra::imaging {

// The items of a JPEG file: those of the first Exif APP1 segment, then the first comment
// (COM) as 0x9286, then quantisation tables 0 and 1 as 0x5090 and 0x5091. Only the marker
// segments before the first scan are read.
PropertyRecords ReadJpegMetadata(QByteArrayView file);

}  // namespace veltra::imaging
