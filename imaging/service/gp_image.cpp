#include "service/gp_image.h"

#include "imaging/orientation.h"
#include "service/decode_ahead.h"

#include <QPainter>

#include <cmath>

namespace veltra::imaging {
namespace {

QSize TurnedSize(QSize stored, RotateFlipType turn)
{
    return (static_cast<int>(turn) & 1) ? stored.transposed() : stored;
}

// The source rectangle of a picture of size `whole`, drawn smoothly at `size` from `from`, a
// copy of the whole picture at some smaller size.
QImage CopyAtSize(const QImage& from, QSize whole, const QRectF& source, QSize size)
{
    const double sx = static_cast<double>(from.width()) / whole.width();
    const double sy = static_cast<double>(from.height()) / whole.height();
    const QRectF region(source.x() * sx, source.y() * sy, source.width() * sx,
                        source.height() * sy);
    QImage copy(size, QImage::Format_ARGB32_Premultiplied);
    if (copy.isNull())
        return QImage();
    copy.fill(Qt::transparent);
    QPainter painter(&copy);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), from, region);
    painter.end();
    return copy;
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

GpImage::~GpImage()
{
    // The last holder of decoded pixels gives them back on the service's thread.
    m_recording.reset();
    if (m_content && m_content.use_count() == 1)
        ReleaseAhead(std::move(m_content));
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

bool GpImage::showsStandIn() const
{
    return !m_painting && m_content->hasStandIn();
}

QImage GpImage::standInCovering(const QRectF& source, const QRectF& deviceTarget,
                                QRectF* standInSource)
{
    if (m_painting || m_content->settled())
        return QImage();
    const QImage standIn = m_content->standIn(m_contentTurn);
    const QSize whole = size();
    if (standIn.isNull() || whole.isEmpty())
        return QImage();
    const double sx = static_cast<double>(standIn.width()) / whole.width();
    const double sy = static_cast<double>(standIn.height()) / whole.height();
    const QRectF region(source.x() * sx, source.y() * sy, source.width() * sx,
                        source.height() * sy);
    // A pixel short is still covered: the target's size is rounded, the scale is not.
    if (region.width() + 1.0 < deviceTarget.width() || region.height() + 1.0 < deviceTarget.height())
        return QImage();
    *standInSource = region;
    return standIn;
}

QImage GpImage::smoothlyScaled(const QRectF& source, const QRectF& deviceTarget)
{
    const QSize size = deviceTarget.size().toSize();
    if (size.isEmpty() || m_painting)
        return QImage();
    const bool settled = m_content->settled();
    if (m_scaledCopy.content.lock() == m_content && m_scaledCopy.turn == m_contentTurn &&
        m_scaledCopy.source == source && m_scaledCopy.size == size &&
        !m_scaledCopy.image.isNull() && (settled || m_scaledCopy.fromStandIn))
        return m_scaledCopy.image;

    const QSize whole = this->size();
    // Until the pixels are decoded, a stand-in that covers the target is drawn instead.
    if (!settled) {
        const QImage standIn = m_content->standIn(m_contentTurn);
        const double sx = static_cast<double>(standIn.width()) / whole.width();
        const double sy = static_cast<double>(standIn.height()) / whole.height();
        // A pixel short is still covered: the target's size is rounded, the scale is not.
        const bool covers = !standIn.isNull() && source.width() * sx + 1.0 >= size.width() &&
                            source.height() * sy + 1.0 >= size.height();
        if (covers) {
            QImage copy = CopyAtSize(standIn, whole, source, size);
            if (!copy.isNull())
                m_scaledCopy = ScaledCopy{m_content, m_contentTurn, source, size, copy, true};
            return copy;
        }
    }

    // Bilinear sampling is fine down to half size; below that it skips source pixels and
    // shimmers, so the copy is drawn from a shrunk one no smaller than it.
    const bool muchSmaller =
        size.width() * 2 < source.width() || size.height() * 2 < source.height();
    if (!muchSmaller)
        return QImage();
    const double scale = std::min(size.width() / source.width(), size.height() / source.height());
    const int level = std::max(0, static_cast<int>(std::floor(std::log2(1.0 / scale))));
    QImage shrunk;
    if (reduced(level, &shrunk) != Ok)
        return QImage();
    QImage copy = CopyAtSize(shrunk, whole, source, size);
    if (!copy.isNull())
        m_scaledCopy = ScaledCopy{m_content, m_contentTurn, source, size, copy, false};
    return copy;
}

}  // namespace veltra::imaging
