// The flat interface's operations on pixels, as the service's half offers them: passed on to
// the pixels' half, linked or opened now (pixel_half.h). A program whose pixels' module cannot
// be opened gets Win32Error, as for any other part of the system it lacks.

#include "imaging/gdiplus.h"
#include "service/pixel_half.h"

namespace veltra::imaging {

GpStatus GdipImageForceDecode(GpImage* image)
{
    const PixelHalf* half = Pixels();
    return half ? half->forceDecode(image) : Win32Error;
}

GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, int x, int y, ARGB* color)
{
    const PixelHalf* half = Pixels();
    return half ? half->bitmapGetPixel(bitmap, x, y, color) : Win32Error;
}

GpStatus GdipCreateBitmapFromScan0(int width, int height, int stride, PixelFormat format,
                                   std::uint8_t* scan0, GpBitmap** bitmap)
{
    const PixelHalf* half = Pixels();
    return half ? half->createBitmapFromScan0(width, height, stride, format, scan0, bitmap)
                : Win32Error;
}

GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics)
{
    const PixelHalf* half = Pixels();
    return half ? half->getImageGraphicsContext(image, graphics) : Win32Error;
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics)
{
    // A drawing context was made by the pixels' half, which is there.
    const PixelHalf* half = PresentPixelHalf();
    return half ? half->deleteGraphics(graphics) : InvalidParameter;
}

GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty,
                               REAL dstwidth, REAL dstheight, REAL srcx, REAL srcy,
                               REAL srcwidth, REAL srcheight, GpUnit srcUnit,
                               const void* imageAttributes, void* abortCallback,
                               void* callbackData)
{
    const PixelHalf* half = Pixels();
    return half ? half->drawImageRectRect(graphics, image, dstx, dsty, dstwidth, dstheight, srcx,
                                          srcy, srcwidth, srcheight, srcUnit, imageAttributes,
                                          abortCallback, callbackData)
                : Win32Error;
}

GpStatus GetImageShrunk(GpImage* image, int width, int height, GpBitmap** shrunk)
{
    const PixelHalf* half = Pixels();
    return half ? half->getImageShrunk(image, width, height, shrunk) : Win32Error;
}

}  // namespace veltra::imaging
