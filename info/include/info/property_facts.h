#pragma once

// Reading the facts' items: the item of an id, and the numbers its value holds. Values are
// read byte by byte and every read is checked against the value's length.

#include "info/image_facts.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace veltra::info {

// The item of that id, the first when there are several (the one the report shows), or null.
const PropertyFact* FindPropertyFact(const std::vector<PropertyFact>& properties,
                                     imaging::PROPID id);

// The first value of a SHORT or LONG item.
std::optional<std::uint32_t> FirstUnsigned(const PropertyFact* fact);

// The rational at `index` of a RATIONAL or SRATIONAL item, when the item holds it and its
// denominator is not zero.
std::optional<double> RationalAt(const PropertyFact* fact, qsizetype index);

}  // namespace veltra::info
