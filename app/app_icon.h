#pragma once

// The application icon: the frame's window icon and the About box's picture.

#include <QIcon>

#include <span>

namespace veltra {

// The square sizes the icon is drawn at, smallest first.
std::span<const int> ApplicationIconSizes();

// Every size from the resources, so each place picks the drawing made for its size.
QIcon ApplicationIcon();

}  // namespace veltra
