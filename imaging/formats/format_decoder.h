#pragma once

// How a format's first frame is decoded: the pixels' side of a format's row. The reader
// (format_reader.h) recognises a file and reads what the report needs without decoding, and
// links no codec and no part of Qt Gui; everything that makes pixels is listed here, so that a
// report can be had without loading any of it.

#include "formats/format_reader.h"

#include <QByteArrayView>
#include <QImage>

namespace veltra::imaging {

struct FormatDecoder {
    FileFormat format = FileFormat::Unknown;
    // Whether the decoder accepts the file and its first frame's size, for a format whose
    // reader cannot tell without the decoder; when null, the Qt plugin of the format's first
    // kind is asked.
    GpStatus (*probe)(QByteArrayView file, const FileFacts& facts, FrameHeader* header) = nullptr;
    // Decodes the first frame (first page, first icon image) as stored, with no orientation
    // applied unless the container orients it; when null, the plugin of the kind the probe
    // found decodes it.
    GpStatus (*decode)(QByteArrayView file, const FileFacts& facts, QImage* pixels) = nullptr;
    // Decodes the first frame at 1/`denominator` of its size (2, 4 or 8), rounded up, far
    // cheaper than decoding it whole, for formats whose decoder can.
    GpStatus (*decodeScaled)(QByteArrayView file, const FileFacts& facts, int denominator,
                             QImage* pixels) = nullptr;
};

// Each format's decoder, defined in the format's folder beside its reader.
extern const FormatDecoder kPngDecoder;
extern const FormatDecoder kJpegDecoder;
extern const FormatDecoder kBigTiffDecoder;
extern const FormatDecoder kWebPDecoder;
extern const FormatDecoder kPsdDecoder;
extern const FormatDecoder kHeifDecoder;
extern const FormatDecoder kJxlDecoder;
extern const FormatDecoder kJp2Decoder;
extern const FormatDecoder kCameraRawDecoder;
extern const FormatDecoder kOtherDecoder;

// The decoder of a format; null for a format that Qt's plugins decode with no help.
const FormatDecoder* DecoderFor(FileFormat format);

// ProbeFirstFrame's answer for a reader that has no probe of its own.
GpStatus ProbeWithDecoder(const FormatReader& reader, QByteArrayView file, const FileFacts& facts,
                          FrameHeader* header);

// Decodes the first frame of a file that ProbeFirstFrame accepted.
GpStatus DecodeFirstFrame(const FormatReader& reader, QByteArrayView file, const FileFacts& facts,
                          const FrameHeader& header, QImage* pixels);

// The first frame at 1/`denominator` of its size; NotImplemented for a format whose decoder
// cannot shrink while decoding.
GpStatus DecodeFirstFrameScaled(const FormatReader& reader, QByteArrayView file,
                                const FileFacts& facts, int denominator, QImage* pixels);

}  // namespace veltra::imaging
