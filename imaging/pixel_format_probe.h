#pragma once

#include "imaging/format_sniffer.h"
#include "imaging/gdiplus_types.h"
#include "imaging/property_record.h"

#include <QByteArrayView>

class QImage;

namespace veltra::imaging {

// The pixel format that holds the file's first frame without loss, read from the file's own
// header (JPEG frame header, PNG IHDR and tRNS, BMP info header, TIFF first directory).
// When the header says nothing usable, the decoded picture decides.
PixelFormat ProbePixelFormat(QByteArrayView file, FileFormat format,
                             const PropertyRecords& properties, const QImage& decoded);

// The rule for pictures whose file header does not decide.
PixelFormat PixelFormatOfDecoded(const QImage& decoded);

}  // namespace veltra::imaging
