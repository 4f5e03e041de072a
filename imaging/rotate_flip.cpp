// Turning a picture in place, and keeping its orientation item true to the turned pixels.

#include "imaging/byte_order.h"
#include "imaging/gdiplus.h"
#include "imaging/gp_image.h"
#include "imaging/orientation.h"

#include <QTransform>

#include <new>

namespace veltra::imaging {
namespace {

// After a turn the stored orientation would describe the old pixels; rewrite it so that the
// upright view stays the same and the next report does not turn the picture again.
void RewriteOrientation(GpImage& image, RotateFlipType applied)
{
    for (PropertyRecord& record : image.properties) {
        if (record.id != PropertyTagOrientation)
            continue;
        if (record.type != PropertyTagTypeShort || record.value.size() != 2)
            return;
        const std::uint16_t stored = ReadLittle16(record.value, 0);
        if (stored < 1 || stored > 8)
            return;
        const std::uint16_t turned = OrientationAfterTurn(stored, applied);
        record.value[0] = static_cast<char>(turned & 0xFF);
        record.value[1] = static_cast<char>(turned >> 8);
        return;
    }
}

}  // namespace

GpStatus GdipImageRotateFlip(GpImage* image, RotateFlipType rfType)
{
    if (!image || rfType < RotateNoneFlipNone || rfType > Rotate270FlipX)
        return InvalidParameter;
    try {
        const int quarterTurns = static_cast<int>(rfType) & 3;
        const bool mirror = (static_cast<int>(rfType) & 4) != 0;
        QImage turned = image->pixels;
        if (quarterTurns != 0)
            turned = turned.transformed(QTransform().rotate(90.0 * quarterTurns));
        if (mirror)
            turned = std::move(turned).mirrored(true, false);
        if (turned.isNull() && !image->pixels.isNull())
            return OutOfMemory;
        image->pixels = std::move(turned);
        RewriteOrientation(*image, rfType);
        return Ok;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

}  // namespace veltra::imaging
