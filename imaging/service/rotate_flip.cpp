// Turning a picture in place. The property items describe the file as stored, so they stay
// exactly as they are; the picture remembers the turns instead, and its pixels are turned
// when something first needs them.

#include "imaging/gdiplus.h"
#include "service/gp_image.h"

namespace veltra::imaging {

GpStatus GdipImageRotateFlip(GpImage* image, RotateFlipType rfType)
{
    if (!image || rfType < RotateNoneFlipNone || rfType > Rotate270FlipX)
        return InvalidParameter;
    image->turn(rfType);
    return Ok;
}

GpStatus GetImageAppliedTurn(GpImage* image, RotateFlipType* turn)
{
    if (!image || !turn)
        return InvalidParameter;
    *turn = image->appliedTurn();
    return Ok;
}

GpStatus GetImageOrientedByContainer(GpImage* image, bool* oriented)
{
    if (!image || !oriented)
        return InvalidParameter;
    *oriented = image->orientedByContainer();
    return Ok;
}

GpStatus GetImageContentFormat(GpImage* image, QByteArray* name)
{
    if (!image || !name)
        return InvalidParameter;
    *name = image->contentFormat();
    return Ok;
}

}  // namespace veltra::imaging
