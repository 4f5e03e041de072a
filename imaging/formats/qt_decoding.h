#pragma once

// Decoding a first frame through Qt's image plugins, for the formats that have no decoder of
// their own here.

#include "formats/pixel_budget.h"
#include "imaging/gdiplus_types.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

#include <cstdint>

namespace veltra::imaging {

struct FileFacts;
struct FrameHeader;

// The bytes a decoder is given: the whole file, or the parts of it the format's reader chose.
QByteArray DecoderInput(QByteArrayView file, const FileFacts& facts);

// Decodes with Qt's decoder of that name, and no other. The pixels stay as stored: no
// orientation is applied. A picture past the file's pixel budget fails with OutOfMemory before
// it is decoded.
GpStatus DecodeWithQt(QByteArrayView file, const QByteArray& decoder, QImage* pixels);

// Asks Qt's decoder of that name, and no other, whether it reads the file, and its first
// frame's size and pixel format, without decoding it.
GpStatus ProbeWithQt(QByteArrayView file, const QByteArray& decoder, FrameHeader* header);

// The pixel format reported for a picture whose file header does not decide it: indexed when
// Qt decoded it indexed, else 32bppARGB with an alpha channel, else 24bppRGB.
PixelFormat PixelFormatOfDecoded(QImage::Format decoded);

}  // namespace veltra::imaging
