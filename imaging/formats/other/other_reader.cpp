#include "formats/other/other_reader.h"

#include "formats/gif/gif_reader.h"
#include "formats/qt_decoding.h"
#include "imaging/logging.h"
#include "imaging/work_counters.h"

namespace veltra::imaging {
namespace {

bool MatchesAnything(QByteArrayView /*head*/)
{
    return true;
}

// The portable anymaps share one decoder; the digit after the "P" says which kind a file is:
// bitmap (1 as text, 4 as bytes), greymap (2, 5) or pixmap (3, 6).
template <char Text, char Binary>
bool IsPortableAnymap(QByteArrayView head)
{
    return head.size() >= 2 && head[0] == 'P' && (head[1] == Text || head[1] == Binary);
}

// A Windows cursor: an icon directory of type 2.
bool IsCursor(QByteArrayView head)
{
    return head.startsWith(QByteArrayView("\0\0\2\0", 4));
}

// The raster formats without a reader of their own that the service decodes, through Qt's
// plugin of that name, tried in this order: their content checks are weak, so those that need a
// signature (PNM's "P1" to "P6", the XBM and XPM texts, "icns", a cursor's 00 00 02 00) come
// before TGA and WBMP, which accept almost any bytes. Nothing else is ever asked: not SVG (a
// vector format that a few bytes can make expand without bound), nor any plugin Qt might find
// by guessing.
constexpr ContentKind kOtherKinds[]{
    {.name = "pbm",
     .extensions = "pbm pnm",
     .mimeTypes = "image/x-portable-bitmap",
     .qtDecoder = "pbm",
     .signature = IsPortableAnymap<'1', '4'>},
    {.name = "pgm",
     .extensions = "pgm pnm",
     .mimeTypes = "image/x-portable-graymap",
     .qtDecoder = "pgm",
     .signature = IsPortableAnymap<'2', '5'>},
    {.name = "ppm",
     .extensions = "ppm pnm",
     .mimeTypes = "image/x-portable-pixmap",
     .qtDecoder = "ppm",
     .signature = IsPortableAnymap<'3', '6'>},
    {.name = "xbm", .extensions = "xbm", .mimeTypes = "image/x-xbitmap", .qtDecoder = "xbm"},
    {.name = "xpm", .extensions = "xpm", .mimeTypes = "image/x-xpixmap", .qtDecoder = "xpm"},
    {.name = "icns", .extensions = "icns", .mimeTypes = "image/x-icns", .qtDecoder = "icns"},
    {.name = "cur",
     .extensions = "cur",
     .mimeTypes = "image/x-win-bitmap",
     .qtDecoder = "cur",
     .signature = IsCursor},
    {.name = "tga",
     .extensions = "tga icb vda vst",
     .mimeTypes = "image/x-tga",
     .qtDecoder = "tga"},
    {.name = "wbmp", .extensions = "wbmp", .mimeTypes = "image/vnd.wap.wbmp", .qtDecoder = "wbmp"},
};

// Decoded at once by the first listed decoder that reads the file: only decoding tells whether
// a decoder without a signature to check (TGA) really reads it.
GpStatus DecodeWithAListedDecoder(QByteArrayView file, const FileFacts& facts,
                                  FrameHeader* header)
{
    GpStatus status = UnknownImageFormat;
    const ContentKind* signedKind = nullptr;
    for (const ContentKind& kind : kOtherKinds) {
        if (kind.signature && !kind.signature(file))
            continue;
        if (kind.signature && !signedKind)
            signedKind = &kind;
        status = DecodeWithQt(file, facts, kind.qtDecoder, &header->pixels);
        if (status == UnknownImageFormat)
            continue;
        if (status == Ok) {
            CountFrame(Work::FramesDecodedToRecognise, header->pixels.size());
            header->kind = &kind;
            header->size = header->pixels.size();
            header->decodedPixelFormat = PixelFormatOfDecoded(header->pixels.format());
        }
        return status;
    }
    qCInfo(lcImaging, "no decoder the service uses reads the file");
    // A file whose signature names its kind is that kind, damaged.
    if (signedKind) {
        header->kind = signedKind;
        header->refusal = LoadFailureReason::DamagedHeader;
    }
    return status;
}

// A file laid out as a GIF under a version other than 87a or 89a ("GIF88a") is read by Qt's
// GIF decoder, which does not look at the version; its blocks tell the first frame without
// decoding it. The GIF decoder is asked only when the content names itself a GIF, since it
// would otherwise take any six bytes for a signature.
GpStatus ProbeOther(QByteArrayView file, const FileFacts& facts, FrameHeader* header)
{
    if (file.startsWith("GIF")) {
        const GpStatus status = ProbeGifLayout(file, header);
        // Laid out as a GIF: a GIF it is, read or refused for its canvas.
        if (status != UnknownImageFormat || header->refusal != LoadFailureReason::None) {
            header->kind = &kGifFormat.mainKind();
            return status;
        }
    }
    return DecodeWithAListedDecoder(file, facts, header);
}

}  // namespace

const FormatReader kOtherFormat{
    .format = FileFormat::Unknown,
    .kinds = kOtherKinds,
    .matches = MatchesAnything,
    .probe = ProbeOther,
};

}  // namespace veltra::imaging
