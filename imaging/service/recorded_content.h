#pragma once

// A bitmap made in memory keeps what was drawn into it as a short list of operations rather
// than as pixels, and draws them at the size they are wanted in: a working copy of a
// 24-megapixel photo with a watermark laid on is shown from a copy drawn at a quarter of the
// pixels, and drawn whole only when it is saved. The list is never changed: each drawing
// makes a new content with one more operation, so whatever held the old one keeps what it saw.

#include "service/picture_content.h"

#include <QColor>
#include <QRect>
#include <QRectF>

#include <memory>
#include <variant>
#include <vector>

namespace veltra::imaging {

// Another picture's pixels as they were when drawn: its content and its turn.
struct PictureSnapshot {
    std::shared_ptr<PictureContent> content;
    RotateFlipType turn = RotateNoneFlipNone;
    QSize size;  // after the turn
};

// Every pixel of the rectangle becomes the colour, alpha included, or the colour is laid over.
struct FillOperation {
    QRect rect;
    QColor color;
    bool replace = true;
};

// The source rectangle of a picture laid over the target rectangle, scaled when they differ.
struct DrawOperation {
    PictureSnapshot source;
    QRectF target;
    QRectF sourceRect;
};

// The rectangle filled with a picture repeated from the bitmap's origin.
struct TileOperation {
    PictureSnapshot tile;
    QRect rect;
};

using DrawingOperation = std::variant<FillOperation, DrawOperation, TileOperation>;

class RecordedContent final : public PictureContent {
public:
    // `failure`: a drawing into the bitmap failed for want of its source's pixels, so the
    // bitmap's pixels cannot be had either, until it is cleared.
    RecordedContent(QSize size, std::vector<DrawingOperation> operations,
                    std::optional<GpStatus> failure = std::nullopt)
        : PictureContent(size), m_operations(std::move(operations)), m_failure(failure)
    {
    }

    const std::vector<DrawingOperation>& operations() const { return m_operations; }
    const std::optional<GpStatus>& failure() const { return m_failure; }
    GpStatus availability() override;

protected:
    GpStatus makeStoredPixels(QImage* out) override;
    std::optional<GpStatus> makeStoredReduced(int level, QImage* out) override;

private:
    const std::vector<DrawingOperation> m_operations;
    const std::optional<GpStatus> m_failure;
};

struct ReadyOperation;

// Draws operations onto a surface a band of rows at a time, so that the bands can be painted
// on two threads, or one after another while an encoder takes the rows already done.
class OperationPainter {
public:
    OperationPainter();
    ~OperationPainter();
    // Makes the surface (transparent, or opaque when the first operation paints it all
    // opaque) for a picture of `size` shrunk by 2^level, and fetches the pixels each
    // operation needs.
    GpStatus prepare(const std::vector<DrawingOperation>& operations, QSize size, int level);
    // Paints every operation into the rows [firstRow, endRow). Bands that do not overlap may
    // be painted at once on different threads.
    void paintRows(int firstRow, int endRow);
    QImage& canvas() { return m_canvas; }

private:
    QImage m_canvas;
    QImage::Format m_format = QImage::Format_ARGB32_Premultiplied;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
    std::vector<ReadyOperation> m_ready;
};

// Draws the operations onto a picture of `size` shrunk by 2^level.
GpStatus DrawOperations(const std::vector<DrawingOperation>& operations, QSize size, int level,
                        QImage* out);

}  // namespace veltra::imaging
