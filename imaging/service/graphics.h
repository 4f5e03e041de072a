#pragma once

// The drawing context and brush objects behind GpGraphics and GpBrush.

#include "imaging/gdiplus.h"
#include "service/recorded_content.h"

#include <QBrush>
#include <QPainter>

#include <memory>
#include <optional>

namespace veltra::imaging {

// Draws through a painter the caller owns (a window, a printer page), into a bitmap made in
// memory by recording operations, or straight into another picture's pixels.
class GpGraphics {
public:
    explicit GpGraphics(QPainter* borrowed) : m_painter(borrowed) {}
    // A context on a picture; check isValid() afterwards.
    explicit GpGraphics(GpImage* target);
    ~GpGraphics();

    bool isValid() const { return m_recordingTarget != nullptr || m_painter != nullptr; }
    // The bitmap whose recording this context adds to, or null when it paints.
    GpImage* recordingTarget() const { return m_recordingTarget; }
    QPainter& painter() { return *m_painter; }
    // The drawing surface's full extent in device pixels.
    QRect deviceRect() const;

private:
    GpImage* m_recordingTarget = nullptr;
    GpImage* m_paintedTarget = nullptr;
    std::unique_ptr<QPainter> m_ownPainter;
    QPainter* m_painter = nullptr;
};

// A brush: a picture repeated from the surface's origin.
class GpBrush {
public:
    explicit GpBrush(PictureSnapshot tile, QImage pixels) : tile(std::move(tile)), pixels(std::move(pixels)) {}
    PictureSnapshot tile;
    QImage pixels;
};

}  // namespace veltra::imaging
