#include "formats/format_decoder.h"

#include "formats/qt_decoding.h"
#include "imaging/work_counters.h"

namespace veltra::imaging {
namespace {

constexpr const FormatDecoder* kDecoders[]{
    &kPngDecoder, &kJpegDecoder, &kBigTiffDecoder, &kWebPDecoder, &kPsdDecoder,
    &kHeifDecoder, &kJxlDecoder, &kJp2Decoder, &kCameraRawDecoder, &kOtherDecoder,
};

}  // namespace

const FormatDecoder* DecoderFor(FileFormat format)
{
    for (const FormatDecoder* decoder : kDecoders) {
        if (decoder->format == format)
            return decoder;
    }
    return nullptr;
}

GpStatus ProbeWithDecoder(const FormatReader& reader, QByteArrayView file, const FileFacts& facts,
                          FrameHeader* header)
{
    const FormatDecoder* decoder = DecoderFor(reader.format);
    if (decoder && decoder->probe)
        return decoder->probe(file, facts, header);
    if (!reader.mainKind().qtDecoder) {
        if (!decoder)
            header->refusal = LoadFailureReason::NotDecodable;
        return UnknownImageFormat;
    }
    return ProbeWithQt(file, facts, reader.mainKind().qtDecoder, header);
}

GpStatus DecodeFirstFrame(const FormatReader& reader, QByteArrayView file, const FileFacts& facts,
                          const FrameHeader& header, QImage* pixels)
{
    GpStatus status = UnknownImageFormat;
    const FormatDecoder* decoder = DecoderFor(reader.format);
    if (decoder && decoder->decode)
        status = decoder->decode(file, facts, pixels);
    else if (const ContentKind& kind = header.kind ? *header.kind : reader.mainKind();
             kind.qtDecoder)
        status = DecodeWithQt(file, facts, kind.qtDecoder, pixels, MemoryFor(kind.qtDecoder));
    if (status == Ok)
        CountFrame(Work::FramesDecoded, pixels->size());
    return status;
}

GpStatus DecodeFirstFrameScaled(const FormatReader& reader, QByteArrayView file,
                                const FileFacts& facts, int denominator, QImage* pixels)
{
    const FormatDecoder* decoder = DecoderFor(reader.format);
    if (!decoder || !decoder->decodeScaled)
        return NotImplemented;
    return decoder->decodeScaled(file, facts, denominator, pixels);
}

}  // namespace veltra::imaging
