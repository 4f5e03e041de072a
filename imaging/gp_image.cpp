#include "imaging/gp_image.h"

namespace veltra::imaging {

const QImage& GpImage::smoothlyScaled(const QRectF& source, const QRectF& deviceTarget)
{
    static const QImage none;
    const QSize size = deviceTarget.size().toSize();
    // Bilinear sampling is fine down to half size; below that it skips source pixels and
    // shimmers, so an averaged copy is made instead.
    const bool muchSmaller =
        size.width() * 2 < source.width() || size.height() * 2 < source.height();
    if (!muchSmaller || size.isEmpty())
        return none;
    if (scaledCopy.pixelsKey == pixels.cacheKey() && scaledCopy.source == source &&
        scaledCopy.size == size && !scaledCopy.image.isNull())
        return scaledCopy.image;
    scaledCopy.image = pixels.copy(source.toAlignedRect())
                           .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaledCopy.pixelsKey = pixels.cacheKey();
    scaledCopy.source = source;
    scaledCopy.size = size;
    return scaledCopy.image;
}

}  // namespace veltra::imaging
