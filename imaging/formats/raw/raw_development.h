#pragma once

// Developing a camera raw with LibRaw: camera white balance, sRGB primaries and the sRGB
// curve, 16 bits a sample, no brightening, demosaicked at full size and turned as the camera
// recorded it (LibRaw's flip). And the camera's own preview, for a raw whose sensor data
// cannot be read.

#include "imaging/gdiplus_types.h"
#include "imaging/load_failure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QRect>
#include <QSize>

namespace veltra::imaging {

// What LibRaw reads from a raw's headers, before any sensor data.
struct RawFrame {
    // The developed picture, upright.
    QSize size;
    // The turn developing applies to the sensor's picture: the camera's orientation.
    RotateFlipType turn = RotateNoneFlipNone;
    // The sensor data, margins included, and the part of it that makes the picture.
    QSize sensorSize;
    QRect visibleArea;
    QByteArray make;
    QByteArray model;
    // The colour filter pattern at the picture's top left ("RGGB"), "X-Trans" for Fujifilm's
    // 6 x 6 pattern, empty for raws of full-colour samples.
    QByteArray cfaPattern;
    // The sample value of full white (LibRaw's maximum).
    unsigned whiteLevel = 0;
    // The preview LibRaw offers: its format ("jpeg", "rgb") and size; empty when none.
    QByteArray previewFormat;
    QSize previewSize;
    qsizetype previewBytes = 0;  // as the file stores it
};

// LibRaw's reading of the file's headers. UnknownImageFormat when LibRaw does not take the
// file, with `refusal` set to CodecUnavailable when the library cannot be opened.
GpStatus ReadRawFrame(QByteArrayView file, RawFrame* frame, LoadFailureReason* refusal);

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

// The preview LibRaw offers, as a file the service decodes (a JPEG, or the samples as a
// PPM); empty when there is none or the library cannot be opened.
QByteArray RawPreviewFile(QByteArrayView file);

// The pixel memory a raw may take: the service's budget for a file of its size.
std::uint64_t RawMemoryBudget(QByteArrayView file);

}  // namespace veltra::imaging
