// Bitmaps made in memory and the drawing contexts on painters and bitmaps.

#include "imaging/gdiplus.h"
#include "service/gp_image.h"
#include "service/graphics.h"

#include <new>

namespace veltra::imaging {

GpGraphics::GpGraphics(GpImage* target)
    : m_ownPainter(std::make_unique<QPainter>(&target->paintablePixels())),
      m_painter(m_ownPainter.get())
{
}

QRect GpGraphics::deviceRect() const
{
    const QPaintDevice* device = m_painter->device();
    return device ? QRect(0, 0, device->width(), device->height()) : QRect();
}

GpStatus GdipCreateBitmapFromScan0(int width, int height, int stride, PixelFormat format,
                                   std::uint8_t* scan0, GpBitmap** bitmap)
{
    if (!bitmap)
        return InvalidParameter;
    *bitmap = nullptr;
    // Only the service's own memory is supported: the callers never hand in pixels.
    if (width <= 0 || height <= 0 || stride != 0 || scan0 != nullptr ||
        format != PixelFormat32bppARGB)
        return InvalidParameter;
    try {
        // Premultiplied storage paints fastest; the picture still reports 32bppARGB.
        QImage pixels(width, height, QImage::Format_ARGB32_Premultiplied);
        if (pixels.isNull())
            return OutOfMemory;
        pixels.fill(Qt::transparent);
        *bitmap = new GpImage(std::move(pixels), ImageFormatMemoryBMP, format);
        return Ok;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

GpStatus GdipCreateFromHDC(QPainter* hdc, GpGraphics** graphics)
{
    if (!hdc || !graphics || !hdc->isActive())
        return InvalidParameter;
    try {
        *graphics = new GpGraphics(hdc);
        return Ok;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics)
{
    if (!image || !graphics)
        return InvalidParameter;
    *graphics = nullptr;
    // Indexed and one-bit pictures cannot be painted on, as with any bitmap of that kind.
    const QImage::Format format = image->pixels().format();
    if (image->pixels().isNull() || format == QImage::Format_Indexed8 ||
        format == QImage::Format_Mono || format == QImage::Format_MonoLSB)
        return InvalidParameter;
    try {
        auto context = std::make_unique<GpGraphics>(image);
        if (!context->painter().isActive())
            return GenericError;
        *graphics = context.release();
        return Ok;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics)
{
    if (!graphics)
        return InvalidParameter;
    delete graphics;
    return Ok;
}

}  // namespace veltra::imaging
