#pragma once

// The pixels' half's own definitions of the flat interface's operations on pixels that the
// service's half also offers. The interface's functions of these names (gdiplus.h, defined in
// pixel_forwarders.cpp) reach them through the half's table, so that a program can call them
// whether it links the half or opens it as a module.

#include "imaging/gdiplus.h"

namespace veltra::imaging::pixel_half {

GpStatus GdipImageForceDecode(GpImage* image);
GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, int x, int y, ARGB* color);
GpStatus GdipCreateBitmapFromScan0(int width, int height, int stride, PixelFormat format,
                                   std::uint8_t* scan0, GpBitmap** bitmap);
GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics);
GpStatus GdipDeleteGraphics(GpGraphics* graphics);
GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty,
                               REAL dstwidth, REAL dstheight, REAL srcx, REAL srcy,
                               REAL srcwidth, REAL srcheight, GpUnit srcUnit,
                               const void* imageAttributes, void* abortCallback,
                               void* callbackData);
GpStatus GetImageShrunk(GpImage* image, int width, int height, GpBitmap** shrunk);

}  // namespace veltra::imaging::pixel_half
