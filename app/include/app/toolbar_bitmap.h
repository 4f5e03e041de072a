#pragma once

// The toolbar's button images: eight 16 x 15 glyphs side by side, drawn from a table of
// pixels in the standard 16-colour palette on a light grey background.

#include <QIcon>
#include <QImage>

namespace veltra {

inline constexpr int kButtonImageWidth = 16;
inline constexpr int kButtonImageHeight = 15;
inline constexpr int kButtonImageCount = 8;

// The whole strip as stored, 128 x 15, background light grey (192, 192, 192).
QImage ToolbarBitmap();

// One button's image with the light grey background made transparent, so the button face
// shows through as the framework maps it.
QIcon ToolbarButtonIcon(int index);

}  // namespace veltra
