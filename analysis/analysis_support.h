#pragma once

// What every group of findings uses: the sentence in the user's language, and the items.

#include "analysis/file_analysis.h"
#include "imaging/gdiplus_types.h"
#include "imaging/property_tags.h"

#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <cstdint>

namespace veltra::analysis {

inline QString Say(Language language, const QString& chinese, const QString& english)
{
    return language == Language::Chinese ? chinese : english;
}

// An unsigned little-endian number of `size` bytes (at most 4) at `offset`; callers check
// the bounds. Byte by byte, so that no read can reach past the value.
inline std::uint32_t LittleEndianAt(QByteArrayView bytes, qsizetype offset, int size)
{
    std::uint32_t value = 0;
    for (int index = size - 1; index >= 0; --index)
        value = value << 8 | static_cast<std::uint8_t>(bytes[offset + index]);
    return value;
}

// The item of that id, the first when there are several, or null.
inline const info::PropertyFact* FindProperty(const info::ImageFacts& facts, imaging::PROPID id)
{
    const auto found = std::find_if(facts.properties.begin(), facts.properties.end(),
                                    [id](const info::PropertyFact& fact) { return fact.id == id; });
    return found == facts.properties.end() ? nullptr : &*found;
}

}  // namespace veltra::analysis
