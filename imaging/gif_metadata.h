#pragma once

#include "imaging/property_record.h"

#include <QByteArrayView>

namespace veltra::imaging {

// The items of a GIF file: the delay of every frame, the comment, the loop count, the global
// palette with its background index, and the first frame's transparent index. The blocks are
// walked without decoding any image data.
PropertyRecords ReadGifMetadata(QByteArrayView file);

}  // namespace veltra::imaging
