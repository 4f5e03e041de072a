#pragma once

#include "imaging/gdiplus_types.h"

#include <QString>

#include <span>
#include <string_view>

namespace veltra::info {

// One row of the tag name table: a property tag id and the name the report lists it under.
struct TagName {
    imaging::PROPID id;
    std::string_view name;
};

// The whole table, for callers that check it as data.
std::span<const TagName> TagNameTable();

// Stores into `out` the name of the item's tag id, or, for an id the table does not hold, the
// id in signed decimal. Only the id is read.
void GetPropertyTagName(const imaging::PropertyItem& item, QString& out);

}  // namespace veltra::info
