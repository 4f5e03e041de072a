#include "service/recorded_content.h"

#include "service/pixel_operations.h"
#include "util/pixel_memory.h"

#include <QBrush>
#include <QPainter>

#include <cmath>

namespace veltra::imaging {

// Where a recording played in place lies on the surface: its origin, and the part of the
// surface it may paint (itself, within whatever it was played into).
struct Placement {
    QPoint origin;
    QRect clip;
};

// An operation with the pixels it needs already fetched, so that the drawing itself can run
// on two threads without touching any content.
struct ReadyOperation {
    const DrawingOperation* operation = nullptr;
    QImage pixels;      // what a draw or a tile lays down
    QRectF sourceRect;  // in those pixels
    // Where the bitmap it was recorded into lies, when that bitmap was itself drawn whole at
    // natural size: the operation is then drawn there directly, clipped to that bitmap.
    std::optional<Placement> placement;
};

namespace {

// A recording drawn whole, unscaled and unturned at a whole-pixel position onto a surface at
// full size is drawn by playing its operations there: the same pixels, since every operation
// lays its colour over what is beneath, without a surface of its own in between.
const RecordedContent* PlayableInPlace(const DrawOperation& draw, int level)
{
    const auto* recording = dynamic_cast<const RecordedContent*>(draw.source.content.get());
    if (!recording || level != 0 || draw.source.turn != RotateNoneFlipNone)
        return nullptr;
    const QRectF whole(QPointF(0, 0), QSizeF(recording->storedSize()));
    if (draw.sourceRect != whole || draw.target.size() != whole.size() ||
        draw.target.topLeft() != draw.target.topLeft().toPoint())
        return nullptr;
    for (const DrawingOperation& operation : recording->operations()) {
        const auto* fill = std::get_if<FillOperation>(&operation);
        if (fill && fill->replace)
            return nullptr;
    }
    return recording;
}

using PlacedOperation = std::pair<const DrawingOperation*, std::optional<Placement>>;

// The operations to draw, with recordings that can be played in place opened up.
void Expand(const std::vector<DrawingOperation>& operations, int level,
            const std::optional<Placement>& placement, std::vector<PlacedOperation>& out)
{
    for (const DrawingOperation& operation : operations) {
        const auto* draw = std::get_if<DrawOperation>(&operation);
        const RecordedContent* nested = draw ? PlayableInPlace(*draw, level) : nullptr;
        if (!nested) {
            out.emplace_back(&operation, placement);
            continue;
        }
        const QPoint outer = placement ? placement->origin : QPoint(0, 0);
        const QPoint origin = outer + draw->target.topLeft().toPoint();
        QRect clip(origin, nested->storedSize());
        if (placement)
            clip = clip.intersected(placement->clip);
        Expand(nested->operations(), level, Placement{origin, clip}, out);
    }
}

// True when the first operation paints every pixel opaque, so the result has no alpha.
bool StartsOpaque(const std::vector<DrawingOperation>& operations, QSize size)
{
    if (operations.empty())
        return false;
    const auto* fill = std::get_if<FillOperation>(&operations.front());
    return fill && fill->replace && fill->color.alpha() == 255 &&
           fill->rect.contains(QRect(QPoint(0, 0), size));
}

// The smallest shrunk copy of a picture that is still at least as large as it is drawn.
int LevelFor(double deviceScale)
{
    if (!(deviceScale > 0.0) || deviceScale >= 1.0)
        return 0;
    return std::max(0, static_cast<int>(std::floor(std::log2(1.0 / deviceScale))));
}

GpStatus Prepare(const DrawingOperation& operation, double canvasScale, ReadyOperation* ready)
{
    ready->operation = &operation;
    if (const auto* draw = std::get_if<DrawOperation>(&operation)) {
        const PictureSnapshot& source = draw->source;
        const double deviceScale = draw->sourceRect.width() > 0
                                       ? canvasScale * draw->target.width() / draw->sourceRect.width()
                                       : 1.0;
        const GpStatus status =
            source.content->reduced(LevelFor(deviceScale), source.turn, &ready->pixels);
        if (status != Ok)
            return status;
        const double sx = static_cast<double>(ready->pixels.width()) / source.size.width();
        const double sy = static_cast<double>(ready->pixels.height()) / source.size.height();
        const QRectF& r = draw->sourceRect;
        ready->sourceRect = QRectF(r.x() * sx, r.y() * sy, r.width() * sx, r.height() * sy);
    } else if (const auto* tile = std::get_if<TileOperation>(&operation)) {
        return tile->tile.content->pixels(tile->tile.turn, &ready->pixels);
    }
    return Ok;
}

void Apply(QPainter& painter, const ReadyOperation& ready)
{
    if (ready.placement) {
        painter.save();
        painter.setClipRect(ready.placement->clip, Qt::IntersectClip);
        painter.translate(ready.placement->origin);
        ReadyOperation inner = ready;
        inner.placement.reset();
        Apply(painter, inner);
        painter.restore();
        return;
    }
    if (const auto* fill = std::get_if<FillOperation>(ready.operation)) {
        painter.save();
        if (fill->replace)
            painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(fill->rect, fill->color);
        painter.restore();
    } else if (const auto* draw = std::get_if<DrawOperation>(ready.operation)) {
        painter.drawImage(draw->target, ready.pixels, ready.sourceRect);
    } else if (const auto* tile = std::get_if<TileOperation>(ready.operation)) {
        // Tiles repeat from the bitmap's origin, not from the rectangle's corner.
        painter.setBrushOrigin(0, 0);
        painter.fillRect(tile->rect, QBrush(ready.pixels));
    }
}

}  // namespace

OperationPainter::OperationPainter() = default;
OperationPainter::~OperationPainter() = default;

GpStatus OperationPainter::prepare(const std::vector<DrawingOperation>& operations, QSize size,
                                  int level)
{
    const int divisor = 1 << std::min(level, 30);
    const QSize canvasSize((size.width() + divisor - 1) / divisor,
                           (size.height() + divisor - 1) / divisor);
    // A surface painted opaque first needs no alpha, and can go to an encoder as it is.
    m_format = StartsOpaque(operations, size) ? QImage::Format_RGB32
                                              : QImage::Format_ARGB32_Premultiplied;
    // Fresh memory that is cleared already: transparent, and what an opaque surface's first
    // fill covers anyway.
    m_canvas = NewLargeImage(canvasSize, m_format);
    if (m_canvas.isNull())
        return OutOfMemory;
    m_scaleX = static_cast<double>(canvasSize.width()) / size.width();
    m_scaleY = static_cast<double>(canvasSize.height()) / size.height();

    std::vector<PlacedOperation> expanded;
    Expand(operations, level, std::nullopt, expanded);
    m_ready.assign(expanded.size(), ReadyOperation{});
    for (std::size_t i = 0; i < expanded.size(); ++i) {
        const GpStatus status = Prepare(*expanded[i].first, m_scaleX, &m_ready[i]);
        if (status != Ok)
            return status;
        m_ready[i].placement = expanded[i].second;
    }
    return Ok;
}

void OperationPainter::paintRows(int firstRow, int endRow)
{
    // Each band is painted through a picture of its own over the same memory.
    const qsizetype bytesPerLine = m_canvas.bytesPerLine();
    QImage band(m_canvas.bits() + firstRow * bytesPerLine, m_canvas.width(), endRow - firstRow,
                bytesPerLine, m_format);
    QPainter painter(&band);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.translate(0, -firstRow);
    painter.scale(m_scaleX, m_scaleY);
    for (const ReadyOperation& operation : m_ready)
        Apply(painter, operation);
}

GpStatus DrawOperations(const std::vector<DrawingOperation>& operations, QSize size, int level,
                        QImage* out)
{
    OperationPainter painter;
    const GpStatus status = painter.prepare(operations, size, level);
    if (status != Ok)
        return status;
    ForEachBand(painter.canvas().height(),
                [&painter](int firstRow, int endRow) { painter.paintRows(firstRow, endRow); });
    *out = painter.canvas();
    return Ok;
}

GpStatus RecordedContent::availability()
{
    if (m_failure)
        return *m_failure;
    for (const DrawingOperation& operation : m_operations) {
        const PictureSnapshot* source = nullptr;
        if (const auto* draw = std::get_if<DrawOperation>(&operation))
            source = &draw->source;
        else if (const auto* tile = std::get_if<TileOperation>(&operation))
            source = &tile->tile;
        if (source) {
            const GpStatus status = source->content->availability();
            if (status != Ok)
                return status;
        }
    }
    return Ok;
}

GpStatus RecordedContent::makeStoredPixels(QImage* out)
{
    if (m_failure)
        return *m_failure;
    return DrawOperations(m_operations, storedSize(), 0, out);
}

std::optional<GpStatus> RecordedContent::makeStoredReduced(int level, QImage* out)
{
    if (m_failure)
        return *m_failure;
    return DrawOperations(m_operations, storedSize(), level, out);
}

}  // namespace veltra::imaging
