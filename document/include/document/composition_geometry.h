#pragma once

// Where things go when a picture is composed: pure functions of sizes, so that every rule can
// be checked with exact rectangles.

#include "document/document_types.h"
#include "imaging/gdiplus_types.h"

#include <QPoint>
#include <QRect>

#include <cstdint>

namespace veltra {

// The picture inside a target area: at natural size when it is smaller in both directions,
// otherwise scaled uniformly to the largest size that fits (never enlarged). Offsets count
// from the target's origin.
struct PicturePlacement {
    bool naturalSize = true;
    QRect rect;  // where the picture's pixels land
};
PicturePlacement PlacePicture(std::uint32_t width, std::uint32_t height, int areaWidth,
                              int areaHeight);

// The watermark scaled to the largest size that fits the picture, centred on it.
QRect FitWatermark(std::uint32_t pictureWidth, std::uint32_t pictureHeight,
                   std::uint32_t watermarkWidth, std::uint32_t watermarkHeight);

// The watermark's centre when none is set: the picture's centre.
QPoint DefaultWatermarkPosition(std::uint32_t pictureWidth, std::uint32_t pictureHeight);

// The top-left corner of a watermark drawn at natural size around `centre`. Signed, so a
// watermark larger than the picture is centred and clipped rather than pushed away.
QPoint WatermarkTopLeft(QPoint centre, std::uint32_t watermarkWidth,
                        std::uint32_t watermarkHeight);

// The background colour as the imaging service takes it: opaque ARGB.
imaging::ARGB BackgroundArgb(COLORREF background);

// The report's colour: every channel of the background inverted.
COLORREF ComplementColor(COLORREF background);

}  // namespace veltra
