#pragma once

#include "imaging/property_record.h"

#include <QByteArrayView>

namespace veltra::imaging {

// The items of a PNG file in chunk order (time, gamma, chromaticities, rendering intent, ICC
// profile, the known text keywords, histogram, eXIf), then the pixel dimensions of pHYs.
PropertyRecords ReadPngMetadata(QByteArrayView file);

}  // namespace veltra::imaging
