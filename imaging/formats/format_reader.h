#pragma once

// One format the service knows: how its content is recognised and what one pass over its bytes
// learns, without decoding. Each format defines its row in its own folder; the registry lists
// the rows in the order content is checked.
//
// Adding a format: a folder beside the others with a reader that defines one row (below), and
// that row in the registry's table where its content check belongs in the order; and, unless
// Qt's plugin decodes it unaided, a decoder's row (format_decoder.h) in the decoders' table.

#include "formats/file_facts.h"
#include "imaging/content_kinds.h"
#include "imaging/file_structure.h"
#include "imaging/gdiplus_types.h"
#include "imaging/load_failure.h"

#include <QByteArrayView>
#include <QImage>

#include <memory>
#include <optional>
#include <span>

namespace veltra::imaging {

// For formats whose files say nothing the report lists.
inline FileFacts ReadNoFacts(QByteArrayView /*file*/)
{
    return {};
}

enum class FileFormat {
    Unknown,
    Png,
    Jpeg,
    Gif,
    Bmp,
    Tiff,
    BigTiff,
    Icon,
    Emf,
    Wmf,
    WebP,
    Psd,
    Heif,
    Jxl,
    Jp2,
    CameraRaw,
};

// What the decoder says of a file's first frame before decoding it: that it accepts the file,
// the frame's size, and which kind of content it found.
struct FrameHeader {
    QSize size;
    // The kind the decoder read, for a format whose reader reads several; otherwise null, and
    // the format's only kind is meant.
    const ContentKind* kind = nullptr;
    // The pixel format the decoded frame will have, for formats whose own header does not
    // decide it; nothing when the decoder cannot tell without decoding.
    std::optional<PixelFormat> decodedPixelFormat;
    // The frame itself, when the decoder could only tell by decoding it. Held apart, so that
    // a header is made and let go without the pixels' code.
    std::shared_ptr<const QImage> pixels;
    // Why the decoder refused the file, when it knows better than its status can say (an
    // image sequence without a still picture, a codec library that cannot be opened).
    LoadFailureReason refusal = LoadFailureReason::None;
    // The turn the decoder applies to deliver the picture upright, for a format whose
    // container orients it and whose decoder alone can tell the turn (a camera raw's flip,
    // which LibRaw gathers from places of each camera's own); else FileFacts::containerTurn.
    std::optional<RotateFlipType> containerTurn;
};

// A format's row, filled with designated initialisers in the format's own folder: what is left
// out is what the format does not need.
struct FormatReader {
    FileFormat format = FileFormat::Unknown;
    // What the raw-format query reports for a picture of this format.
    GUID rawFormat = ImageFormatOtherDecoded;
    // For a format whose files report different raw formats by their first bytes (camera
    // raws in a TIFF container are TIFF files, the others are not); else `rawFormat`.
    GUID (*rawFormatOf)(QByteArrayView head) = nullptr;
    // The kinds of content the format's decoder reads; the first is the one a picture of this
    // format is named after unless its probe says otherwise.
    std::span<const ContentKind> kinds;
    // True when the first bytes of a file are of this format. The file's name never counts.
    bool (*matches)(QByteArrayView head) = nullptr;
    // Everything the report needs that the file's structure says, read in one pass without
    // decoding pixels. Never fails: a damaged structure yields what could be read before it.
    FileFacts (*read)(QByteArrayView file) = ReadNoFacts;
    // True when the format's container decides the picture's orientation (HEIF's transforms,
    // a JPEG XL codestream's orientation, a camera raw's flip): the decoder delivers the
    // picture upright, turned by FileFacts::containerTurn, and an Exif orientation is never
    // applied on top.
    bool containerOrientsPicture = false;
    // Asks the decoder whether it accepts the file and how large its first frame is, without
    // decoding it and without loading the decoder; when null, the format's decoder is asked
    // (format_decoder.h).
    GpStatus (*probe)(QByteArrayView file, const FileFacts& facts, FrameHeader* header) = nullptr;
    // What the file holds besides its picture and items (where the picture ends, how it was
    // coded, embedded pictures and packets), for formats that hold any of it. Never fails.
    void (*structure)(QByteArrayView file, FileStructure* out) = nullptr;
    // For a format whose file carries its first frame's picture a second time, ready made and
    // far faster to decode (a camera raw's embedded preview): that picture, a JPEG inside
    // `file`, stored as the frame is before the header's container turn. Empty when none shows
    // the whole frame.
    QByteArrayView (*embeddedPicture)(QByteArrayView file, const FrameHeader& header) = nullptr;

    // The kind a picture of this format is named after when its probe named none.
    const ContentKind& mainKind() const { return kinds.front(); }
};

// Whether the format's decoder accepts the file, its first frame's size, and a picture within
// the service's pixel limit (OutOfMemory beyond it).
GpStatus ProbeFirstFrame(const FormatReader& reader, QByteArrayView file, const FileFacts& facts,
                         FrameHeader* header);

// The same, asked of the decoder itself (in the pixels' half): for a row's probe that meets a
// file only the decoder can tell of.
GpStatus ProbeWithTheDecoder(const FormatReader& reader, QByteArrayView file,
                             const FileFacts& facts, FrameHeader* header);

}  // namespace veltra::imaging
