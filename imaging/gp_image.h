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
    // Every rotate-flip applied since decoding, composed into one.
    RotateFlipType appliedTurn = RotateNoneFlipNone;

    // For drawing a large picture much smaller: a box-filtered copy of `source` at the size
    // `deviceTarget` takes on the device, kept while the pixels and the request stay the
    // same. Null when plain bilinear drawing looks as good.
    const QImage& smoothlyScaled(const QRectF& source, const QRectF& deviceTarget);

    struct ScaledCopy {
        qint64 pixelsKey = 0;
        QRectF source;
        QSize size;
        QImage image;
    };
    ScaledCopy scaledCopy;
};

}  // namespace veltra::imaging
