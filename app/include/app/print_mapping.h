#pragma once

// How the window's painting lands on a printed page: one uniform scale, the largest at which
// the whole client area fits the printable area, centred on it. Keeping this a function of
// two sizes lets the page layout be checked without a printer.

#include <QRectF>
#include <QSize>
#include <QTransform>

namespace veltra {

// Maps client coordinates (origin at the client's top-left) onto page coordinates (origin
// at the printable area's top-left). An empty client or page gives the identity.
QTransform PrintMapping(QSize clientSize, QSizeF printableSize);

}  // namespace veltra
