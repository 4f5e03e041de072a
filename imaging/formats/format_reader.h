#pragma once

// One format the service knows: how its content is recognised, what one pass over its bytes
// learns, and how its first frame is decoded. Each format defines its row in its own folder;
// the registry lists the rows in the order content is checked.

#include "formats/file_facts.h"
#include "imaging/file_structure.h"
#include "imaging/gdiplus_types.h"

#include <QByteArrayView>
#include <QImage>

namespace veltra::imaging {

enum class FileFormat { Unknown, Png, Jpeg, Gif, Bmp, Tiff, Icon, Emf, Wmf, WebP };

// What the decoder says of a file's first frame before decoding it: that it accepts the file,
// the frame's size, and which of Qt's plugins will decode it.
struct FrameHeader {
    QSize size;
    // The Qt plugin that accepted the file; empty for a format decoded here.
    QByteArray qtDecoder;
    // The pixel format the decoded frame will have, for formats whose own header does not
    // decide it; nothing when the decoder cannot tell without decoding.
    std::optional<PixelFormat> decodedPixelFormat;
    // The frame itself, when the decoder could only tell by decoding it.
    QImage pixels;
};

struct FormatReader {
    FileFormat format;
    // What the raw-format query reports for a picture of this format.
    GUID rawFormat;
    // True when the first bytes of a file are of this format. The file's name never counts.
    bool (*matches)(QByteArrayView head);
    // Everything the report needs that the file's structure says, read in one pass without
    // decoding pixels. Never fails: a damaged structure yields what could be read before it.
    FileFacts (*read)(QByteArrayView file);
    // The Qt image plugin that decodes the format, or nothing when Qt has none for it.
    const char* qtDecoder;
    // Decodes the first frame (first page, first icon image) as stored, with no orientation
    // applied, for formats that do not simply go through their Qt plugin; when null, the
    // plugin that accepted the file decodes it.
    GpStatus (*decode)(QByteArrayView file, const FileFacts& facts, QImage* pixels) = nullptr;
    // Asks the decoder whether it accepts the file and how large its first frame is, without
    // decoding it; when null, the Qt plugin named above is asked.
    GpStatus (*probe)(QByteArrayView file, const FileFacts& facts, FrameHeader* header) = nullptr;
    // What the file holds besides its picture and items (where the picture ends, how it was
    // coded, embedded pictures and packets), for formats that hold any of it. Never fails.
    void (*structure)(QByteArrayView file, FileStructure* out) = nullptr;
    // Decodes the first frame at 1/`denominator` of its size (2, 4 or 8), rounded up, far
    // cheaper than decoding it whole, for formats whose decoder can.
    GpStatus (*decodeScaled)(QByteArrayView file, const FileFacts& facts, int denominator,
                             QImage* pixels) = nullptr;
};

// Whether the format's decoder accepts the file, its first frame's size, and a picture within
// the service's pixel limit (OutOfMemory beyond it).
GpStatus ProbeFirstFrame(const FormatReader& reader, QByteArrayView file, const FileFacts& facts,
                         FrameHeader* header);

// Decodes the first frame of a file that ProbeFirstFrame accepted.
GpStatus DecodeFirstFrame(const FormatReader& reader, QByteArrayView file, const FileFacts& facts,
                          const FrameHeader& header, QImage* pixels);

// For formats whose files say nothing the report lists.
inline FileFacts ReadNoFacts(QByteArrayView /*file*/)
{
    return {};
}

}  // namespace veltra::imaging
