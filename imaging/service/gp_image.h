#pragma once

#include "formats/resolution.h"
#include "imaging/gdiplus_types.h"
#include "metadata/property_set.h"

#include <QImage>
#include <QRectF>

namespace veltra::imaging {

// A picture held by the service: its pixels as decoded (orientation not applied) and what the
// file said about itself. Callers outside the service reach it only through the operations of
// the service's interface.
class GpImage {
public:
    GpImage(QImage pixels, const GUID& rawFormat, PixelFormat pixelFormat,
            Resolution resolution = {}, PropertySet properties = {});

    const QImage& pixels() const { return m_pixels; }
    // The pixels a drawing context on the picture paints into.
    QImage& paintablePixels() { return m_pixels; }

    const GUID& rawFormat() const { return m_rawFormat; }
    PixelFormat pixelFormat() const { return m_pixelFormat; }
    const Resolution& resolution() const { return m_resolution; }
    const PropertySet& properties() const { return m_properties; }

    // Every rotate-flip applied since decoding, composed into one.
    RotateFlipType appliedTurn() const { return m_appliedTurn; }
    // Takes the pixels that `turn` made of the current ones.
    void applyTurn(QImage turned, RotateFlipType turn);

    // For drawing a large picture much smaller: a box-filtered copy of `source` at the size
    // `deviceTarget` takes on the device, kept while the pixels and the request stay the
    // same. Null when plain bilinear drawing looks as good.
    const QImage& smoothlyScaled(const QRectF& source, const QRectF& deviceTarget);

private:
    struct ScaledCopy {
        qint64 pixelsKey = 0;
        QRectF source;
        QSize size;
        QImage image;
    };

    QImage m_pixels;
    GUID m_rawFormat;
    PixelFormat m_pixelFormat;
    Resolution m_resolution;
    PropertySet m_properties;
    RotateFlipType m_appliedTurn = RotateNoneFlipNone;
    ScaledCopy m_scaledCopy;
};

}  // namespace veltra::imaging
