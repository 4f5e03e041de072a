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

// Where decoded pixels go: into memory the decoder takes itself, or into a picture prepared at
// the size and format the decoder announces, in huge pages that the other core has the kernel
// clear while the decoder writes. Only for a decoder that writes into the picture it is given
// when that picture has the size and format it would make (Qt's PNG decoder does): another
// would leave the prepared memory unused.
enum class DecodedMemory { TakenByDecoder, PreparedAhead };

// Prepared memory for Qt's decoders known to write into it (PNG, TIFF and BMP), else none.
DecodedMemory MemoryFor(QByteArrayView decoder);

// Decodes with Qt's decoder of that name, and no other, reading the pieces of the file its
// reader chose (facts.decoderInput) or else the whole file. The pixels stay as stored: no
// orientation is applied. A picture past the file's pixel budget fails with OutOfMemory before
// it is decoded.
GpStatus DecodeWithQt(QByteArrayView file, const FileFacts& facts, const QByteArray& decoder,
                      QImage* pixels,
                      DecodedMemory memory = DecodedMemory::TakenByDecoder);

// Asks Qt's decoder of that name, and no other, whether it reads the same input, and its first
// frame's size and pixel format, without decoding it.
GpStatus ProbeWithQt(QByteArrayView file, const FileFacts& facts, const QByteArray& decoder,
                     FrameHeader* header);

// The pixel format reported for a picture whose file header does not decide it: indexed when
// Qt decoded it indexed, else 32bppARGB with an alpha channel, else 24bppRGB.
PixelFormat PixelFormatOfDecoded(QImage::Format decoded);

}  // namespace veltra::imaging
