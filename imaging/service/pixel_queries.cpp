// Asking a picture for its pixels: all of them decoded now, or one of them.

#include "service/gp_image.h"
#include "service/pixel_half_operations.h"

namespace veltra::imaging {

GpStatus pixel_half::GdipImageForceDecode(GpImage* image)
{
    if (!image)
        return InvalidParameter;
    QImage pixels;
    return image->pixels(&pixels);
}

GpStatus pixel_half::GdipBitmapGetPixel(GpBitmap* bitmap, int x, int y, ARGB* color)
{
    if (!bitmap || !color)
        return InvalidParameter;
    QImage pixels;
    const GpStatus status = bitmap->pixels(&pixels);
    if (status != Ok)
        return status;
    if (!pixels.valid(x, y))
        return InvalidParameter;
    *color = pixels.pixel(x, y);
    return Ok;
}

}  // namespace veltra::imaging
