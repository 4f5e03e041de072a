// Clearing, drawing pictures at a point or stretched, and tiling with a texture.

#include "imaging/gdiplus.h"
#include "service/gp_image.h"
#include "service/graphics.h"

#include <new>

namespace veltra::imaging {
namespace {

QColor ColorOf(ARGB color)
{
    return QColor::fromRgba(static_cast<QRgb>(color));
}

}  // namespace

GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color)
{
    if (!graphics)
        return InvalidParameter;
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
    graphics->painter().drawImage(QPoint(x, y), image->pixels());
    return Ok;
}

GpStatus GdipDrawImagePointRectI(GpGraphics* graphics, GpImage* image, int x, int y, int srcx,
                                 int srcy, int srcwidth, int srcheight, GpUnit srcUnit)
{
    if (!graphics || !image || srcUnit != UnitPixel)
        return InvalidParameter;
    graphics->painter().drawImage(QPoint(x, y), image->pixels(),
                                  QRect(srcx, srcy, srcwidth, srcheight));
    return Ok;
}

GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty,
                               REAL dstwidth, REAL dstheight, REAL srcx, REAL srcy,
                               REAL srcwidth, REAL srcheight, GpUnit srcUnit,
                               const void* /*imageAttributes*/, void* /*abortCallback*/,
                               void* /*callbackData*/)
{
    if (!graphics || !image || srcUnit != UnitPixel)
        return InvalidParameter;
    const QRectF target(dstx, dsty, dstwidth, dstheight);
    const QRectF source(srcx, srcy, srcwidth, srcheight);
    QPainter& painter = graphics->painter();
    try {
        const QImage& scaled = image->smoothlyScaled(source, painter.transform().mapRect(target));
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        if (scaled.isNull())
            painter.drawImage(target, image->pixels(), source);
        else
            painter.drawImage(target, scaled, QRectF(scaled.rect()));
        painter.restore();
        return Ok;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

GpStatus GdipCreateTexture(GpImage* image, GpWrapMode wrapMode, GpTexture** texture)
{
    if (!image || !texture || wrapMode != WrapModeTile || image->pixels().isNull())
        return InvalidParameter;
    try {
        *texture = new GpBrush(QBrush(image->pixels()));
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
    QPainter& painter = graphics->painter();
    painter.save();
    // Tiles repeat from the surface's origin, not from the rectangle's corner.
    painter.setBrushOrigin(0, 0);
    painter.fillRect(QRect(x, y, width, height), brush->brush);
    painter.restore();
    return Ok;
}

GpStatus GdipDeleteBrush(GpBrush* brush)
{
    if (!brush)
        return InvalidParameter;
    delete brush;
    return Ok;
}

}  // namespace veltra::imaging
