// Bitmaps made in memory and the drawing contexts on painters and bitmaps.

#include "formats/pixel_budget.h"
#include "imaging/gdiplus.h"
#include "service/gp_image.h"
#include "service/graphics.h"
#include "service/pixel_half_operations.h"

#include <new>

namespace veltra::imaging {

GpGraphics::GpGraphics(GpImage* target)
{
    if (target->isRecording()) {
        m_recordingTarget = target;
        return;
    }
    if (QImage* pixels = target->beginPainting()) {
        m_paintedTarget = target;
        m_ownPainter = std::make_unique<QPainter>(pixels);
        m_painter = m_ownPainter.get();
    }
}

GpGraphics::~GpGraphics()
{
    if (m_paintedTarget) {
        m_ownPainter.reset();  // ends the painting before the pixels are handed back
        m_paintedTarget->endPainting();
    }
}

QRect GpGraphics::deviceRect() const
{
    if (m_recordingTarget)
        return QRect(QPoint(0, 0), m_recordingTarget->size());
    const QPaintDevice* device = m_painter->device();
    return device ? QRect(0, 0, device->width(), device->height()) : QRect();
}

GpStatus pixel_half::GdipCreateBitmapFromScan0(int width, int height, int stride,
                                               PixelFormat format, std::uint8_t* scan0,
                                               GpBitmap** bitmap)
{
    if (!bitmap)
        return InvalidParameter;
    *bitmap = nullptr;
    // Only the service's own memory is supported: the callers never hand in pixels.
    if (width <= 0 || height <= 0 || stride != 0 || scan0 != nullptr ||
        format != PixelFormat32bppARGB)
        return InvalidParameter;
    const QSize size(width, height);
    // The pixels are made only when drawn, but a bitmap too large to ever hold is refused now.
    if (!WithinPixelBudget(size, kMaxPixelBytes))
        return OutOfMemory;
    try {
        *bitmap = NewMemoryBitmap(size, format);
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

GpStatus pixel_half::GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics)
{
    if (!image || !graphics)
        return InvalidParameter;
    *graphics = nullptr;
    if (!image->isRecording()) {
        // Indexed and one-bit pictures cannot be painted on, as with any bitmap of that kind.
        QImage pixels;
        const GpStatus status = image->pixels(&pixels);
        if (status != Ok)
            return status;
        const QImage::Format format = pixels.format();
        if (format == QImage::Format_Indexed8 || format == QImage::Format_Mono ||
            format == QImage::Format_MonoLSB)
            return InvalidParameter;
    }
    try {
        auto context = std::make_unique<GpGraphics>(image);
        if (!context->isValid() || (!context->recordingTarget() && !context->painter().isActive()))
            return GenericError;
        *graphics = context.release();
        return Ok;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

GpStatus pixel_half::GdipDeleteGraphics(GpGraphics* graphics)
{
    if (!graphics)
        return InvalidParameter;
    delete graphics;
    return Ok;
}

GpStatus pixel_half::GetImageShrunk(GpImage* image, int width, int height,
                                    GpBitmap** shrunk)
{
    if (!image || !shrunk || width <= 0 || height <= 0)
        return InvalidParameter;
    *shrunk = nullptr;
    try {
        const QRectF whole(QPointF(0, 0), QSizeF(image->size()));
        QImage copy = image->smoothlyScaled(whole, QRectF(0, 0, width, height));
        // Less than halved: from the whole picture.
        if (copy.isNull()) {
            QImage pixels;
            if (const GpStatus status = image->pixels(&pixels); status != Ok)
                return status;
            copy = pixels.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            if (copy.isNull())
                return OutOfMemory;
        }
        *shrunk = new GpImage(std::move(copy), ImageFormatMemoryBMP, PixelFormat32bppARGB);
        return Ok;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

}  // namespace veltra::imaging
