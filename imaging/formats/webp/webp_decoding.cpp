#include "formats/format_decoder.h"

#include "formats/pixel_budget.h"
#include "util/pixel_memory.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <memory>

namespace veltra::imaging {
namespace {

struct DemuxDelete {
    void operator()(WebPDemuxer* demuxer) const { WebPDemuxDelete(demuxer); }
};

struct IteratorRelease {
    void operator()(WebPIterator* frame) const { WebPDemuxReleaseIterator(frame); }
};

// The first frame, decoded by libwebp straight into the picture's memory: in huge pages that
// the other core has the kernel clear ahead, and, for an animation, at the frame's place on a
// canvas that starts transparent, which is all that painting the first frame does. Qt's
// decoder would take the canvas, the frame and a painter's pass over both; a 23170 x 23170
// canvas then costs two copies of 2 GB and many seconds. The layout is the one Qt's decoder
// gives: an animation's canvas has alpha, a still picture when its header says so.
GpStatus DecodeWebP(QByteArrayView file, const FileFacts& /*facts*/, QImage* pixels)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(file.data());
    WebPBitstreamFeatures features{};
    const auto peeked = std::min(static_cast<std::size_t>(file.size()), sizeof features);
    if (WebPGetFeatures(data, peeked, &features) != VP8_STATUS_OK)
        return UnknownImageFormat;
    const WebPData whole{data, static_cast<std::size_t>(file.size())};
    const std::unique_ptr<WebPDemuxer, DemuxDelete> demuxer(WebPDemux(&whole));
    WebPIterator frame{};
    if (!demuxer || !WebPDemuxGetFrame(demuxer.get(), 1, &frame))
        return UnknownImageFormat;
    const std::unique_ptr<WebPIterator, IteratorRelease> release(&frame);
    const int width = static_cast<int>(WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_WIDTH));
    const int height = static_cast<int>(WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_HEIGHT));
    if (!WithinPixelBudget(QSize(width, height), PixelBudgetFor(file.size())))
        return OutOfMemory;
    const qsizetype bytesPerLine = qsizetype{width} * 4;
    const auto pixelBytes = static_cast<std::uint64_t>(bytesPerLine) * std::uint64_t(height);
    PixelMapping memory(pixelBytes);
    if (!memory.isValid())
        return OutOfMemory;
    {
        const PrefaultAhead prefault(memory.pixels(), pixelBytes);
        uchar* const at = memory.pixels() + qsizetype{frame.y_offset} * bytesPerLine +
                          qsizetype{frame.x_offset} * 4;
        const auto room = static_cast<std::size_t>(memory.pixels() + pixelBytes - at);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        const auto* decoded = WebPDecodeBGRAInto(frame.fragment.bytes, frame.fragment.size, at,
                                                 room, static_cast<int>(bytesPerLine));
#else
        const auto* decoded = WebPDecodeARGBInto(frame.fragment.bytes, frame.fragment.size, at,
                                                 room, static_cast<int>(bytesPerLine));
#endif
        if (!decoded)
            return UnknownImageFormat;
    }
    *pixels = memory.TakeAsImage(width, height, bytesPerLine,
                                 features.has_animation || features.has_alpha
                                     ? QImage::Format_ARGB32
                                     : QImage::Format_RGB32);
    return pixels->isNull() ? OutOfMemory : Ok;
}

}  // namespace

const FormatDecoder kWebPDecoder{
    .format = FileFormat::WebP,
    .decode = DecodeWebP,
};

}  // namespace veltra::imaging
