#include "app/print_mapping.h"

#include <algorithm>

namespace veltra {

QTransform PrintMapping(QSize clientSize, QSizeF printableSize)
{
    if (clientSize.isEmpty() || printableSize.isEmpty())
        return QTransform();
    const qreal scale = std::min(printableSize.width() / clientSize.width(),
                                 printableSize.height() / clientSize.height());
    const qreal offsetX = (printableSize.width() - clientSize.width() * scale) / 2;
    const qreal offsetY = (printableSize.height() - clientSize.height() * scale) / 2;
    return QTransform(scale, 0, 0, scale, offsetX, offsetY);
}

}  // namespace veltra
