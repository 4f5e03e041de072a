#include "formats/webp/webp_reader.h"

#include "formats/pixel_budget.h"
#include "imaging/logging.h"
#include "metadata/ifd_walker.h"
#include "metadata/item_budget.h"
#include "util/byte_reader.h"
#include "util/shared_library.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

namespace veltra::imaging {
namespace {

constexpr qsizetype kRiffHeaderSize = 12;
constexpr qsizetype kChunkHeaderSize = 8;

bool IsWebP(QByteArrayView head)
{
    return head.size() >= kRiffHeaderSize && head.startsWith("RIFF") && head.sliced(8, 4) == "WEBP";
}

PropertyRecords WebPItems(QByteArrayView file)
{
    if (!IsWebP(file))
        return {};
    // The RIFF size counts from after its own field; bytes past it are not part of the file.
    const std::uint64_t riffEnd =
        std::min<std::uint64_t>(std::uint64_t{ReadLittle32(file, 4)} + 8,
                                static_cast<std::uint64_t>(file.size()));
    std::uint64_t at = kRiffHeaderSize;
    while (RangeInside(at, kChunkHeaderSize, riffEnd)) {
        const QByteArrayView fourCc = file.sliced(static_cast<qsizetype>(at), 4);
        const std::uint32_t size = ReadLittle32(file, static_cast<qsizetype>(at) + 4);
        const std::uint64_t dataAt = at + kChunkHeaderSize;
        if (!RangeInside(dataAt, size, riffEnd))
            return {};
        if (fourCc == "EXIF") {
            const QByteArrayView payload =
                file.sliced(static_cast<qsizetype>(dataAt), static_cast<qsizetype>(size));
            return ReadTiffItems(SkipExifPrefix(payload), TiffStructure::ExifBlock);
        }
        // Chunks are padded to an even size.
        at = dataAt + size + (size & 1);
    }
    return {};
}

FileFacts ReadWebP(QByteArrayView file)
{
    FileFacts facts;
    facts.properties = PropertySet(WebPItems(file));
    return facts;
}

// Where the picture ends (its RIFF size, padded) and its XMP packet.
void ReadWebPStructure(QByteArrayView file, FileStructure* out)
{
    if (!IsWebP(file))
        return;
    const std::uint64_t declared = std::uint64_t{ReadLittle32(file, 4)} + 8;
    const std::uint64_t riffEnd = declared + (declared & 1);
    if (riffEnd <= static_cast<std::uint64_t>(file.size()))
        out->pictureEnd = static_cast<qsizetype>(riffEnd);
    const std::uint64_t walkEnd = std::min<std::uint64_t>(riffEnd, file.size());
    std::uint64_t at = kRiffHeaderSize;
    while (RangeInside(at, kChunkHeaderSize, walkEnd)) {
        const std::uint32_t size = ReadLittle32(file, static_cast<qsizetype>(at) + 4);
        const std::uint64_t dataAt = at + kChunkHeaderSize;
        if (!RangeInside(dataAt, size, walkEnd))
            return;
        if (file.sliced(static_cast<qsizetype>(at), 4) == "XMP " &&
            size <= std::uint64_t(ItemBudget::kValueBytesPerFile)) {
            out->xmp = file.sliced(static_cast<qsizetype>(dataAt), size).toByteArray();
            return;
        }
        at = dataAt + size + (size & 1);
    }
}

// libwebp's header reading and its demultiplexer, opened by the first WebP file that is
// probed, not at every start.
struct WebPLibrary {
    VELTRA_LIBRARY_FUNCTION(WebPGetFeaturesInternal) WebPGetFeaturesInternal;
    VELTRA_LIBRARY_FUNCTION(WebPDemuxInternal) WebPDemuxInternal;
    VELTRA_LIBRARY_FUNCTION(WebPDemuxGetI) WebPDemuxGetI;
    VELTRA_LIBRARY_FUNCTION(WebPDemuxDelete) WebPDemuxDelete;
};

const WebPLibrary* OpenWebP()
{
    static SharedLibrary decoder(VELTRA_WEBP_SONAME);
    static SharedLibrary demux(VELTRA_WEBPDEMUX_SONAME);
    static const std::optional<WebPLibrary> api = []() -> std::optional<WebPLibrary> {
        WebPLibrary api{};
        const bool resolved = decoder.open() && demux.open() &&
                              VELTRA_RESOLVE(decoder, api, WebPGetFeaturesInternal) &&
                              VELTRA_RESOLVE(demux, api, WebPDemuxInternal) &&
                              VELTRA_RESOLVE(demux, api, WebPDemuxGetI) &&
                              VELTRA_RESOLVE(demux, api, WebPDemuxDelete);
        return resolved ? std::optional(api) : std::nullopt;
    }();
    return api ? &*api : nullptr;
}

// What Qt's WebP decoder knows before it decodes: the features libwebp reads from the first
// bytes of the file (the decoder hands it no more than the features structure holds, so a
// VP8X file is known by its canvas alone), and for an animation the frames the
// demultiplexer finds in the whole file, which must accept it. Nothing is decoded: an
// animation of a thousand large frames costs a walk over their headers. The decoder paints an
// animation's frames onto a canvas with alpha; a still picture has alpha when its header says.
GpStatus ProbeWebP(QByteArrayView file, const FileFacts& /*facts*/, FrameHeader* header)
{
    const WebPLibrary* webp = OpenWebP();
    if (!webp) {
        header->refusal = LoadFailureReason::CodecUnavailable;
        return UnknownImageFormat;
    }
    WebPBitstreamFeatures features{};
    const auto* data = reinterpret_cast<const std::uint8_t*>(file.data());
    const auto peeked = std::min(static_cast<std::size_t>(file.size()), sizeof features);
    if (webp->WebPGetFeaturesInternal(data, peeked, &features, WEBP_DECODER_ABI_VERSION) !=
        VP8_STATUS_OK) {
        qCInfo(lcImaging, "the WebP header cannot be read");
        return UnknownImageFormat;
    }
    if (features.has_animation) {
        const WebPData whole{data, static_cast<std::size_t>(file.size())};
        const std::unique_ptr<WebPDemuxer, decltype(webp->WebPDemuxDelete)> demuxer(
            webp->WebPDemuxInternal(&whole, 0, nullptr, WEBP_DEMUX_ABI_VERSION),
            webp->WebPDemuxDelete);
        if (!demuxer) {
            qCInfo(lcImaging, "the WebP animation's frames cannot be read");
            return UnknownImageFormat;
        }
        qCInfo(lcImaging, "a WebP animation of %u frames on a canvas of %d x %d",
               webp->WebPDemuxGetI(demuxer.get(), WEBP_FF_FRAME_COUNT), features.width,
               features.height);
    }
    const QSize canvas(features.width, features.height);
    if (!WithinPixelBudget(canvas, PixelBudgetFor(file.size())))
        return OutOfMemory;
    header->size = canvas;
    header->decodedPixelFormat = features.has_animation || features.has_alpha
                                     ? PixelFormat32bppARGB
                                     : PixelFormat24bppRGB;
    return Ok;
}

constexpr ContentKind kWebPKinds[]{
    {.name = "webp", .extensions = "webp", .mimeTypes = "image/webp", .qtDecoder = "webp"},
};

}  // namespace

const FormatReader kWebPFormat{
    .format = FileFormat::WebP,
    .kinds = kWebPKinds,
    .matches = IsWebP,
    .read = ReadWebP,
    .probe = ProbeWebP,
    .structure = ReadWebPStructure,
};

}  // namespace veltra::imaging
