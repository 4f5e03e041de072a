#pragma once

// The drawing context and brush objects behind GpGraphics and GpBrush.

#include "imaging/gdiplus.h"

#include <QBrush>
#include <QPainter>

#include <memory>

namespace veltra::imaging {

// Draws either through a painter that the caller owns (a window, a printer page) or through
// a painter of its own on a bitmap's pixels.
class GpGraphics {
public:
    explicit GpGraphics(QPainter* borrowed) : m_painter(borrowed) {}
    explicit GpGraphics(GpImage* target);

    QPainter& painter() { return *m_painter; }
    // The drawing surface's full extent in device pixels.
    QRect deviceRect() const;

private:
    std::unique_ptr<QPainter> m_ownPainter;
    QPainter* m_painter = nullptr;
};

class GpBrush {
public:
    explicit GpBrush(QBrush brush) : brush(std::move(brush)) {}
    QBrush brush;
};

}  // namespace veltra::imaging
