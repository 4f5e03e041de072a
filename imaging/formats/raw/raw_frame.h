#pragma once

// What LibRaw reads of a camera raw without developing it: the picture's size and turn, the
// sensor, and the preview the camera stored.

#include "imaging/gdiplus_types.h"
#include "imaging/load_failure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QRect>
#include <QSize>

#include <cstdint>

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

// The preview LibRaw offers, as a file the service decodes (a JPEG, or the samples as a
// PPM); empty when there is none or the library cannot be opened.
QByteArray RawPreviewFile(QByteArrayView file);

// The pixel memory a raw may take: the service's budget for a file of its size.
std::uint64_t RawMemoryBudget(QByteArrayView file);

}  // namespace veltra::imaging
