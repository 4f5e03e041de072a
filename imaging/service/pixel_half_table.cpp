// The pixels' half's table, given to the service's half as this half starts: when the program
// that links it starts, or when veltra-info opens it as a module.

#include "formats/format_decoder.h"
#include "formats/pixel_budget.h"
#include "service/decode_ahead.h"
#include "service/gp_image.h"
#include "service/library_messages.h"
#include "service/pixel_half.h"
#include "service/pixel_half_operations.h"

#include <QImageReader>

#include <mutex>

namespace veltra::imaging {
namespace {

void Prepare()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Qt refuses pictures above 256 MB by default; ours is the service's limit (in MiB).
        QImageReader::setAllocationLimit(static_cast<int>(kMaxPixelBytes >> 20));
        QuietCodecLibraries();
    });
}

void DecodeImageAhead(GpImage& image, const QString& filename, QSize viewSize)
{
    image.decodeAhead(filename, viewSize);
}

constexpr PixelHalf kPixelHalf{
    .prepare = Prepare,
    .probe = ProbeWithDecoder,
    .decodeAhead = DecodeImageAhead,
    .releaseContent = ReleaseAhead,
    .forceDecode = pixel_half::GdipImageForceDecode,
    .bitmapGetPixel = pixel_half::GdipBitmapGetPixel,
    .createBitmapFromScan0 = pixel_half::GdipCreateBitmapFromScan0,
    .getImageGraphicsContext = pixel_half::GdipGetImageGraphicsContext,
    .deleteGraphics = pixel_half::GdipDeleteGraphics,
    .drawImageRectRect = pixel_half::GdipDrawImageRectRect,
    .getImageShrunk = pixel_half::GetImageShrunk,
};

[[maybe_unused]] const bool g_registered = (RegisterPixelHalf(&kPixelHalf), true);

}  // namespace
}  // namespace veltra::imaging
