#include "service/gp_image.h"

#include "imaging/orientation.h"

#include <QPainter>

#include <cmath>

namespace veltra::imaging {
namespace {

QSize TurnedSize(QSize stored, RotateFlipType turn)
{
    return (static_cast<int>(turn) & 1) ? stored.transposed() : stored;
}

}  // namespace

GpImage::GpImage(std::shared_ptr<PictureContent> content, const GUID& rawFormat,
                 PixelFormat pixelFormat, Resolution resolution, PropertySet properties)
    : m_content(std::move(content)),
      m_rawFormat(rawFormat),
      m_pixelFormat(pixelFormat),
      m_resolution(resolution),
      m_properties(std::move(properties))
{
}

GpImage::GpImage(QImage pixels, const GUID& rawFormat, PixelFormat pixelFormat,
                 Resolution resolution, PropertySet properties)
    : GpImage(std::make_shared<GivenContent>(std::move(pixels)), rawFormat, pixelFormat,
              resolution, std::move(properties))
{
}

GpImage* NewMemoryBitmap(QSize size, PixelFormat format)
{
    auto recording = std::make_shared<RecordedContent>(size, std::vector<DrawingOperation>{});
    auto* bitmap = new GpImage(recording, ImageFormatMemoryBMP, format);
    bitmap->m_recording = std::move(recording);
    return bitmap;
}

QSize GpImage::size() const
{
    if (m_painting)
        return m_paintable.size();
    return TurnedSize(m_content->storedSize(), m_contentTurn);
}

void GpImage::setOrientedByContainer(RotateFlipType containerTurn)
{
    m_orientedByContainer = true;
    m_appliedTurn = containerTurn;
}

void GpImage::turn(RotateFlipType turn)
{
    m_appliedTurn = ComposeTurns(m_appliedTurn, turn);
    m_contentTurn = ComposeTurns(m_contentTurn, turn);
    // A turned memory bitmap draws from its turned pixels from now on.
    m_recording.reset();
}

GpStatus GpImage::pixels(QImage* out) const
{
    if (m_painting) {
        *out = m_paintable;
        return Ok;
    }
    return m_content->pixels(m_contentTurn, out);
}

GpStatus GpImage::reduced(int level, QImage* out) const
{
    return m_content->reduced(level, m_contentTurn, out);
}

PictureSnapshot GpImage::snapshot() const
{
    return PictureSnapshot{m_content, m_contentTurn, size()};
}

void GpImage::record(DrawingOperation operation)
{
    std::vector<DrawingOperation> operations = m_recording->operations();
    operations.push_back(std::move(operation));
    m_recording = std::make_shared<RecordedContent>(m_recording->storedSize(), std::move(operations),
                                                    m_recording->failure());
    m_content = m_recording;
}

void GpImage::recordFailure(GpStatus status)
{
    m_recording = std::make_shared<RecordedContent>(m_recording->storedSize(),
                                                    m_recording->operations(), status);
    m_content = m_recording;
}

void GpImage::clearRecording(const QColor& color)
{
    const QSize size = m_recording->storedSize();
    m_recording = std::make_shared<RecordedContent>(
        size, std::vector<DrawingOperation>{FillOperation{QRect(QPoint(0, 0), size), color, true}});
    m_content = m_recording;
}

QImage* GpImage::beginPainting()
{
    QImage current;
    if (pixels(&current) != Ok)
        return nullptr;
    // A copy of its own, so no content that something else holds changes under it.
    m_paintable = current.copy();
    if (m_paintable.isNull())
        return nullptr;
    m_painting = true;
    m_recording.reset();
    return &m_paintable;
}

void GpImage::endPainting()
{
    if (!m_painting)
        return;
    m_content = std::make_shared<GivenContent>(std::move(m_paintable));
    m_contentTurn = RotateNoneFlipNone;
    m_paintable = QImage();
    m_painting = false;
}

QImage GpImage::smoothlyScaled(const QRectF& source, const QRectF& deviceTarget)
{
    const QSize size = deviceTarget.size().toSize();
    // Bilinear sampling is fine down to half size; below that it skips source pixels and
    // shimmers, so the copy is drawn from a shrunk one no smaller than it.
    const bool muchSmaller =
        size.width() * 2 < source.width() || size.height() * 2 < source.height();
    if (!muchSmaller || size.isEmpty() || m_painting)
        return QImage();
    if (m_scaledCopy.content.lock() == m_content && m_scaledCopy.turn == m_contentTurn &&
        m_scaledCopy.source == source && m_scaledCopy.size == size && !m_scaledCopy.image.isNull())
        return m_scaledCopy.image;

    const double scale = std::min(size.width() / source.width(), size.height() / source.height());
    const int level = std::max(0, static_cast<int>(std::floor(std::log2(1.0 / scale))));
    QImage shrunk;
    if (reduced(level, &shrunk) != Ok)
        return QImage();
    const QSize whole = this->size();
    const double sx = static_cast<double>(shrunk.width()) / whole.width();
    const double sy = static_cast<double>(shrunk.height()) / whole.height();
    const QRectF from(source.x() * sx, source.y() * sy, source.width() * sx, source.height() * sy);

    QImage copy(size, QImage::Format_ARGB32_Premultiplied);
    if (copy.isNull())
        return QImage();
    copy.fill(Qt::transparent);
    QPainter painter(&copy);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), shrunk, from);
    painter.end();

    m_scaledCopy = ScaledCopy{m_content, m_contentTurn, source, size, copy};
    return copy;
}

}  // namespace veltra::imaging
