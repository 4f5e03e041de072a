#pragma once

#include "imaging/property_record.h"

#include <cstdint>
#include <optional>
#include <unordered_map>

namespace veltra::imaging {

// The items of one picture in the service's order, each id at most once, found by id in
// constant time. The readers produce items in order and may meet an id twice (an Exif
// UserComment and a JPEG comment, a repeated entry in a damaged directory); the first one read
// is the one the picture keeps.
class PropertySet {
public:
    PropertySet() = default;
    explicit PropertySet(PropertyRecords records);

    const PropertyRecords& records() const { return m_records; }
    const PropertyRecord* find(PROPID id) const;

    // The first element of a SHORT or LONG item, as a reader of header facts wants it.
    std::optional<std::uint32_t> firstUnsigned(PROPID id) const;
    // The first RATIONAL of an item as a number; nothing for a zero denominator.
    std::optional<double> firstRational(PROPID id) const;

private:
    PropertyRecords m_records;
    std::unordered_map<PROPID, std::size_t> m_index;
};

}  // namespace veltra::imaging
