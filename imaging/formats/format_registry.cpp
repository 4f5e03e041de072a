#include "formats/format_registry.h"

#include "formats/bmp/bmp_reader.h"
#include "formats/gif/gif_reader.h"
#include "formats/heif/heif_reader.h"
#include "formats/ico/ico_reader.h"
#include "formats/jp2/jp2_reader.h"
#include "formats/jpeg/jpeg_reader.h"
#include "formats/jxl/jxl_reader.h"
#include "formats/metafile/metafile_reader.h"
#include "formats/other/other_reader.h"
#include "formats/png/png_reader.h"
#include "formats/psd/psd_reader.h"
#include "formats/tiff/bigtiff_reader.h"
#include "formats/raw/raw_reader.h"
#include "formats/tiff/tiff_reader.h"
#include "formats/webp/webp_reader.h"
#include "service/pixel_half.h"

#include <QString>

namespace veltra::imaging {
namespace {

// Walked from the top; the first check that matches decides. Camera raws come before TIFF,
// whose container most of them share. Whatever else Qt decodes comes last, since it matches
// any content.
constexpr const FormatReader* kReaders[]{
    &kPngFormat,  &kJpegFormat,      &kGifFormat,  &kBmpFormat, &kCameraRawFormat,
    &kTiffFormat, &kBigTiffFormat,   &kIconFormat, &kEmfFormat, &kWmfFormat,
    &kWebPFormat, &kPsdFormat,       &kHeifFormat, &kJxlFormat, &kJp2Format,
    &kOtherFormat,
};

}  // namespace

std::span<const FormatReader* const> FormatReaders()
{
    return kReaders;
}

const FormatReader& ReaderFor(QByteArrayView head)
{
    for (const FormatReader* reader : kReaders) {
        if (reader->matches(head))
            return *reader;
    }
    return kOtherFormat;
}

FileFormat SniffFileFormat(QByteArrayView head)
{
    return ReaderFor(head).format;
}

std::vector<const ContentKind*> ContentKinds()
{
    std::vector<const ContentKind*> kinds;
    for (const FormatReader* reader : kReaders) {
        for (const ContentKind& kind : reader->kinds)
            kinds.push_back(&kind);
    }
    return kinds;
}

const ContentKind* FindContentKind(QByteArrayView name)
{
    for (const FormatReader* reader : kReaders) {
        for (const ContentKind& kind : reader->kinds) {
            if (name == kind.name)
                return &kind;
        }
    }
    return nullptr;
}

GpStatus ProbeFirstFrame(const FormatReader& reader, QByteArrayView file, const FileFacts& facts,
                         FrameHeader* header)
{
    if (reader.probe)
        return reader.probe(file, facts, header);
    return ProbeWithTheDecoder(reader, file, facts, header);
}

GpStatus ProbeWithTheDecoder(const FormatReader& reader, QByteArrayView file,
                             const FileFacts& facts, FrameHeader* header)
{
    const PixelHalf* half = Pixels();
    if (!half) {
        header->refusal = LoadFailureReason::CodecUnavailable;
        return UnknownImageFormat;
    }
    return half->probe(reader, file, facts, header);
}

QStringList ContentKindExtensions(QByteArrayView name)
{
    const ContentKind* kind = FindContentKind(name);
    if (!kind)
        return {};
    return QString::fromLatin1(kind->extensions).split(u' ', Qt::SkipEmptyParts);
}

}  // namespace veltra::imaging
