#include "service/gp_image.h"

#include "imaging/orientation.h"

namespace veltra::imaging {

GpImage::GpImage(QImage pixels, const GUID& rawFormat, PixelFormat pixelFormat,
                 Resolution resolution, PropertySet properties)
    : m_pixels(std::move(pixels)),
      m_rawFormat(rawFormat),
      m_pixelFormat(pixelFormat),
      m_resolution(resolution),
      m_properties(std::move(properties))
{
}

void GpImage::applyTurn(QImage turned, RotateFlipType turn)
{
    m_pixels = std::move(turned);
    m_appliedTurn = ComposeTurns(m_appliedTurn, turn);
}

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
    if (m_scaledCopy.pixelsKey == m_pixels.cacheKey() && m_scaledCopy.source == source &&
        m_scaledCopy.size == size && !m_scaledCopy.image.isNull())
        return m_scaledCopy.image;
    m_scaledCopy.image = m_pixels.copy(source.toAlignedRect())
                             .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_scaledCopy.pixelsKey = m_pixels.cacheKey();
    m_scaledCopy.source = source;
    m_scaledCopy.size = size;
    return m_scaledCopy.image;
}

}  // namespace veltra::imaging
