#pragma once

#include "imaging/gdiplus_types.h"

#include <QByteArray>

#include <vector>

namespace veltra::imaging {

// A property item as the service keeps it: the value bytes are already little-endian,
// element by element, and the length is value.size().
struct PropertyRecord {
    PROPID id = 0;
    TiffType type = TiffType::Byte;
    QByteArray value;

    friend bool operator==(const PropertyRecord&, const PropertyRecord&) = default;
};

using PropertyRecords = std::vector<PropertyRecord>;

}  // namespace veltra::imaging
