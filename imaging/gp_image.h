#pragma once

#include "imaging/gdiplus_types.h"
#include "imaging/property_record.h"

#include <QImage>

namespace veltra::imaging {

// A picture held by the service: its pixels as decoded (orientation not applied) and what
// the file said about itself. Callers outside the service reach it only through the Gdip...
// operations; tests may build one directly to pin the report against chosen values.
class GpImage {
public:
    QImage pixels;
    GUID rawFormat = ImageFormatMemoryBMP;
    PixelFormat pixelFormat = PixelFormat32bppARGB;
    REAL dpiX = 96.0f;
    REAL dpiY = 96.0f;
    PropertyRecords properties;
};

}  // namespace veltra::imaging
