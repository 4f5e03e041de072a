#pragma once

// Owning holders for the service's objects, so that no caller frees one by hand.

#include "imaging/gdiplus.h"

#include <memory>

namespace veltra::imaging {

struct ImageDisposer {
    void operator()(GpImage* image) const { GdipDisposeImage(image); }
};
struct GraphicsDeleter {
    void operator()(GpGraphics* graphics) const { GdipDeleteGraphics(graphics); }
};
struct BrushDeleter {
    void operator()(GpBrush* brush) const { GdipDeleteBrush(brush); }
};

using ImagePtr = std::unique_ptr<GpImage, ImageDisposer>;
using GraphicsPtr = std::unique_ptr<GpGraphics, GraphicsDeleter>;
using BrushPtr = std::unique_ptr<GpBrush, BrushDeleter>;

}  // namespace veltra::imaging
