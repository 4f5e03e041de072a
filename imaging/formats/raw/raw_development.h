#pragma once

// Developing a camera raw with LibRaw: camera white balance, sRGB primaries and the sRGB
// curve, 16 bits a sample, no brightening, demosaicked at full size and turned as the camera
// recorded it (LibRaw's flip). And the camera's own preview, for a raw whose sensor data
// cannot be read.

#include "formats/raw/raw_frame.h"
#include "imaging/gdiplus_types.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QRect>
#include <QSize>

namespace veltra::imaging {

enum class RawDevelopment {
    Full,
    // Each 2 x 2 block of sensor samples becomes one pixel: half the size each way, without
    // demosaicking, several times faster.
    HalfSize,
};

// The developed picture, upright, in Format_RGBX64. When the sensor data cannot be read (cut
// short, damaged) the camera's preview stands in, turned and scaled to the developed size.
GpStatus DevelopRaw(QByteArrayView file, RawDevelopment development, QImage* pixels);

// The camera's preview in place of a picture whose sensor data cannot be read: turned as the
// picture is and scaled to its developed size (halved for HalfSize). UnknownImageFormat when
// the raw has no preview the service decodes.
GpStatus RawPreviewInstead(QByteArrayView file, RawDevelopment development, QImage* pixels);

}  // namespace veltra::imaging
