#pragma once

#include "imaging/format_sniffer.h"
#include "imaging/gdiplus_types.h"
#include "imaging/property_record.h"

#include <QByteArrayView>

namespace veltra::imaging {

struct Resolution {
    REAL horizontal = 96.0f;
    REAL vertical = 96.0f;
};

// Dots per inch as the file declares them: JFIF density, then the Exif/TIFF resolution tags
// (for JPEG and TIFF), PNG pHYs, BMP pels per metre. 96 when the file declares nothing usable.
Resolution ProbeResolution(QByteArrayView file, FileFormat format,
                           const PropertyRecords& properties);

}  // namespace veltra::imaging
