#pragma once

// The application icon: the frame's window icon and the About box's picture.

#include <QIcon>

namespace veltra {

// Every size from the resources, so each place picks the drawing made for its size.
QIcon ApplicationIcon();

}  // namespace veltra
