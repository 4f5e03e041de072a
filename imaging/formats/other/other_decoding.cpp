#include "formats/format_decoder.h"

#include "formats/gif/gif_reader.h"
#include "formats/other/other_reader.h"
#include "formats/qt_decoding.h"
#include "imaging/logging.h"
#include "imaging/work_counters.h"

namespace veltra::imaging {
namespace {

// Decoded at once by the first listed decoder that reads the file: only decoding tells whether
// a decoder without a signature to check (TGA) really reads it.
GpStatus DecodeWithAListedDecoder(QByteArrayView file, const FileFacts& facts,
                                  FrameHeader* header)
{
    GpStatus status = UnknownImageFormat;
    const ContentKind* signedKind = nullptr;
    for (const ContentKind& kind : kOtherFormat.kinds) {
        if (kind.signature && !kind.signature(file))
            continue;
        if (kind.signature && !signedKind)
            signedKind = &kind;
        QImage decoded;
        status = DecodeWithQt(file, facts, kind.qtDecoder, &decoded);
        if (status == UnknownImageFormat)
            continue;
        if (status == Ok) {
            CountFrame(Work::FramesDecodedToRecognise, decoded.size());
            header->kind = &kind;
            header->size = decoded.size();
            header->decodedPixelFormat = PixelFormatOfDecoded(decoded.format());
            header->pixels = std::make_shared<const QImage>(std::move(decoded));
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

const FormatDecoder kOtherDecoder{
    .format = FileFormat::Unknown,
    .probe = ProbeOther,
};

}  // namespace veltra::imaging
