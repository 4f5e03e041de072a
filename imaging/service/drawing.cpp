// Clearing, drawing pictures at a point or stretched, and tiling with a texture. Into a bitmap
// made in memory each call records one operation; onto a painter it paints at once.

#include "imaging/gdiplus.h"
#include "service/gp_image.h"
#include "service/graphics.h"
#include "service/pixel_half_operations.h"

#include <new>

namespace veltra::imaging {
namespace {

QColor ColorOf(ARGB color)
{
    return QColor::fromRgba(static_cast<QRgb>(color));
}

// Draws the source rectangle of a picture over the target rectangle through a painter: from its
// stand-in while its pixels are still being decoded, from a shrunk copy when the picture lands
// much smaller, else from its pixels, filtered.
GpStatus PaintPicture(QPainter& painter, GpImage& image, const QRectF& target,
                      const QRectF& source, bool smooth)
{
    QRectF standInSource;
    if (const QImage standIn =
            smooth ? image.standInCovering(source, painter.transform().mapRect(target), &standInSource)
                   : QImage();
        !standIn.isNull()) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(target, standIn, standInSource);
        painter.restore();
        return Ok;
    }
    const QImage scaled = smooth ? image.smoothlyScaled(source, painter.transform().mapRect(target))
                                 : QImage();
    if (!scaled.isNull()) {
        painter.drawImage(target, scaled, QRectF(scaled.rect()));
        return Ok;
    }
    QImage pixels;
    const GpStatus status = image.pixels(&pixels);
    if (status != Ok)
        return status;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.drawImage(target, pixels, source);
    painter.restore();
    return Ok;
}

// A picture drawn into a bitmap made in memory is kept as an operation. One whose pixels cannot
// be had fails here, as painting it would, and leaves the bitmap without usable pixels: what
// it holds is not what was asked of it, so encoding it must fail too.
GpStatus Record(GpImage& bitmap, const GpImage& image, const QRectF& target, const QRectF& source)
{
    const GpStatus status = image.availability();
    if (status != Ok) {
        bitmap.recordFailure(status);
        return status;
    }
    bitmap.record(DrawOperation{image.snapshot(), target, source});
    return Ok;
}

}  // namespace

GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color)
{
    if (!graphics)
        return InvalidParameter;
    if (GpImage* bitmap = graphics->recordingTarget()) {
        bitmap->clearRecording(ColorOf(color));
        return Ok;
    }
    QPainter& painter = graphics->painter();
    painter.save();
    // Every pixel of the surface is replaced, alpha included, whatever transform is set.
    painter.resetTransform();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(graphics->deviceRect(), ColorOf(color));
    painter.restore();
    return Ok;
}

GpStatus GdipDrawImageI(GpGraphics* graphics, GpImage* image, int x, int y)
{
    if (!graphics || !image)
        return InvalidParameter;
    // One picture pixel on one target pixel, whatever resolution the file declares.
    const QRectF whole(QPointF(0, 0), QSizeF(image->size()));
    return GdipDrawImagePointRectI(graphics, image, x, y, 0, 0, static_cast<int>(whole.width()),
                                   static_cast<int>(whole.height()), UnitPixel);
}

GpStatus GdipDrawImagePointRectI(GpGraphics* graphics, GpImage* image, int x, int y, int srcx,
                                 int srcy, int srcwidth, int srcheight, GpUnit srcUnit)
{
    if (!graphics || !image || srcUnit != UnitPixel)
        return InvalidParameter;
    const QRectF source(srcx, srcy, srcwidth, srcheight);
    const QRectF target(x, y, srcwidth, srcheight);
    try {
        if (GpImage* bitmap = graphics->recordingTarget())
            return Record(*bitmap, *image, target, source);
        return PaintPicture(graphics->painter(), *image, target, source, false);
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

GpStatus pixel_half::GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx,
                                           REAL dsty, REAL dstwidth, REAL dstheight, REAL srcx,
                                           REAL srcy, REAL srcwidth, REAL srcheight,
                                           GpUnit srcUnit, const void* /*imageAttributes*/,
                                           void* /*abortCallback*/, void* /*callbackData*/)
{
    if (!graphics || !image || srcUnit != UnitPixel)
        return InvalidParameter;
    const QRectF target(dstx, dsty, dstwidth, dstheight);
    const QRectF source(srcx, srcy, srcwidth, srcheight);
    try {
        if (GpImage* bitmap = graphics->recordingTarget())
            return Record(*bitmap, *image, target, source);
        return PaintPicture(graphics->painter(), *image, target, source, true);
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

GpStatus GdipCreateTexture(GpImage* image, GpWrapMode wrapMode, GpTexture** texture)
{
    if (!image || !texture || wrapMode != WrapModeTile)
        return InvalidParameter;
    try {
        QImage pixels;
        const GpStatus status = image->pixels(&pixels);
        if (status != Ok)
            return status;
        if (pixels.isNull())
            return InvalidParameter;
        *texture = new GpBrush(image->snapshot(), pixels);
        return Ok;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

GpStatus GdipFillRectangleI(GpGraphics* graphics, GpBrush* brush, int x, int y, int width,
                            int height)
{
    if (!graphics || !brush)
        return InvalidParameter;
    const QRect rect(x, y, width, height);
    try {
        if (GpImage* bitmap = graphics->recordingTarget()) {
            bitmap->record(TileOperation{brush->tile, rect});
            return Ok;
        }
        QPainter& painter = graphics->painter();
        painter.save();
        // Tiles repeat from the surface's origin, not from the rectangle's corner.
        painter.setBrushOrigin(0, 0);
        painter.fillRect(rect, QBrush(brush->pixels));
        painter.restore();
        return Ok;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

GpStatus GdipDeleteBrush(GpBrush* brush)
{
    if (!brush)
        return InvalidParameter;
    delete brush;
    return Ok;
}

}  // namespace veltra::imaging
