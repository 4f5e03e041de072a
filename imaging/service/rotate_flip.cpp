// Turning a picture in place. The property items describe the file as stored, so they stay
// exactly as they are; the picture remembers the turns instead.

#include "imaging/gdiplus.h"
#include "service/gp_image.h"

#include <QTransform>

#include <new>

namespace veltra::imaging {

GpStatus GdipImageRotateFlip(GpImage* image, RotateFlipType rfType)
{
    if (!image || rfType < RotateNoneFlipNone || rfType > Rotate270FlipX)
        return InvalidParameter;
    try {
        const int quarterTurns = static_cast<int>(rfType) & 3;
        const bool mirror = (static_cast<int>(rfType) & 4) != 0;
        QImage turned = image->pixels();
        if (quarterTurns != 0)
            turned = turned.transformed(QTransform().rotate(90.0 * quarterTurns));
        if (mirror)
            turned = std::move(turned).mirrored(true, false);
        if (turned.isNull() && !image->pixels().isNull())
            return OutOfMemory;
        image->applyTurn(std::move(turned), rfType);
        return Ok;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

GpStatus GetImageAppliedTurn(GpImage* image, RotateFlipType* turn)
{
    if (!image || !turn)
        return InvalidParameter;
    *turn = image->appliedTurn();
    return Ok;
}

}  // namespace veltra::imaging
