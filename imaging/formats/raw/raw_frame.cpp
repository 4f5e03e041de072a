#include "formats/raw/raw_frame.h"

#include "formats/pixel_budget.h"
#include "formats/raw/libraw_library.h"
#include "imaging/logging.h"

#include <array>

namespace veltra::imaging {
namespace {

// LibRaw's flip, as dcraw numbers it (bit 4 transposes, 2 mirrors top to bottom, 1 left to
// right), as the turn that does the same.
RotateFlipType TurnOfFlip(int flip)
{
    constexpr std::array<RotateFlipType, 8> kTurns{
        RotateNoneFlipNone, RotateNoneFlipX,  Rotate180FlipX, Rotate180FlipNone,
        Rotate90FlipX,      Rotate270FlipNone, Rotate90FlipNone, Rotate270FlipX};
    return kTurns[static_cast<std::size_t>(flip) & 7];
}

QByteArray CfaPattern(LibRawSession& session)
{
    const libraw_iparams_t& camera = session.data().idata;
    if (camera.filters == 0)
        return {};
    if (camera.filters == 9)
        return "X-Trans";
    QByteArray pattern;
    for (const auto& [row, column] : {std::pair{0, 0}, {0, 1}, {1, 0}, {1, 1}}) {
        const int colour = session.api().libraw_COLOR(&session.data(), row, column);
        pattern += colour >= 0 && colour < 4 ? camera.cdesc[colour] : '?';
    }
    return pattern;
}

// The preview LibRaw offers as a file the service decodes.
QByteArray PreviewFileOf(LibRawSession& session)
{
    if (session.api().libraw_unpack_thumb(&session.data()) != LIBRAW_SUCCESS)
        return {};
    int error = 0;
    const LibRawSession::ProcessedImage thumbnail = session.makeThumbnail(&error);
    if (!thumbnail)
        return {};
    const auto* data = reinterpret_cast<const char*>(thumbnail->data);
    if (thumbnail->type == LIBRAW_IMAGE_JPEG)
        return QByteArray(data, thumbnail->data_size);
    if (thumbnail->type == LIBRAW_IMAGE_BITMAP && thumbnail->colors == 3 && thumbnail->bits == 8 &&
        std::uint64_t(thumbnail->data_size) ==
            std::uint64_t(thumbnail->width) * thumbnail->height * 3)
        return "P6\n" + QByteArray::number(thumbnail->width) + ' ' +
               QByteArray::number(thumbnail->height) + "\n255\n" +
               QByteArray(data, thumbnail->data_size);
    return {};
}

}  // namespace

std::uint64_t RawMemoryBudget(QByteArrayView file)
{
    return PixelBudgetFor(file.size());
}

GpStatus ReadRawFrame(QByteArrayView file, RawFrame* frame, LoadFailureReason* refusal)
{
    const LibRawApi* api = OpenLibRaw();
    if (!api) {
        *refusal = LoadFailureReason::CodecUnavailable;
        return UnknownImageFormat;
    }
    LibRawSession session(*api);
    if (!session.valid())
        return OutOfMemory;
    if (const int error = session.open(file, RawMemoryBudget(file)); error != LIBRAW_SUCCESS) {
        qCInfo(lcLibraries, "LibRaw does not take the file: %s", session.errorText(error));
        return UnknownImageFormat;
    }
    libraw_data_t& data = session.data();
    const libraw_image_sizes_t& sizes = data.sizes;
    frame->sensorSize = QSize(sizes.raw_width, sizes.raw_height);
    frame->visibleArea = QRect(sizes.left_margin, sizes.top_margin, sizes.width, sizes.height);
    frame->turn = TurnOfFlip(sizes.flip);
    frame->make = QByteArray(data.idata.make);
    frame->model = QByteArray(data.idata.model);
    frame->cfaPattern = CfaPattern(session);
    frame->whiteLevel = data.color.maximum;
    if (data.thumbnail.tlength > 0) {
        frame->previewFormat = data.thumbnail.tformat == LIBRAW_THUMBNAIL_JPEG ? "jpeg" : "rgb";
        frame->previewSize = QSize(data.thumbnail.twidth, data.thumbnail.theight);
        frame->previewBytes = qsizetype(data.thumbnail.tlength);
    }
    // The developed size: margins cut, pixels stretched to square, Fujifilm's turned sensors
    // turned back, and the flip; LibRaw works it out without developing.
    if (session.api().libraw_adjust_sizes_info_only(&data) != LIBRAW_SUCCESS)
        return UnknownImageFormat;
    frame->size = QSize(sizes.iwidth, sizes.iheight);
    return Ok;
}

QByteArray RawPreviewFile(QByteArrayView file)
{
    const LibRawApi* api = OpenLibRaw();
    if (!api)
        return {};
    LibRawSession session(*api);
    if (!session.valid() || session.open(file, RawMemoryBudget(file)) != LIBRAW_SUCCESS)
        return {};
    return PreviewFileOf(session);
}

}  // namespace veltra::imaging
