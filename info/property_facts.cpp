#include "info/property_facts.h"

#include <algorithm>

namespace veltra::info {

namespace {

using namespace imaging;

// An unsigned little-endian number of `size` bytes (at most 4) at `offset`; callers check
// the bounds.
std::uint32_t LittleEndianAt(const QByteArray& bytes, qsizetype offset, int size)
{
    std::uint32_t value = 0;
    for (int index = size - 1; index >= 0; --index)
        value = value << 8 | static_cast<std::uint8_t>(bytes[offset + index]);
    return value;
}

}  // namespace

const PropertyFact* FindPropertyFact(const std::vector<PropertyFact>& properties, PROPID id)
{
    const auto found = std::find_if(properties.begin(), properties.end(),
                                    [id](const PropertyFact& fact) { return fact.id == id; });
    return found == properties.end() ? nullptr : &*found;
}

std::optional<std::uint32_t> FirstUnsigned(const PropertyFact* fact)
{
    if (!fact)
        return std::nullopt;
    if (fact->type == PropertyTagTypeShort && fact->bytes.size() >= 2)
        return LittleEndianAt(fact->bytes, 0, 2);
    if (fact->type == PropertyTagTypeLong && fact->bytes.size() >= 4)
        return LittleEndianAt(fact->bytes, 0, 4);
    return std::nullopt;
}

std::optional<double> RationalAt(const PropertyFact* fact, qsizetype index)
{
    if (!fact || fact->bytes.size() < 8 * (index + 1))
        return std::nullopt;
    const bool isSigned = fact->type == static_cast<std::uint16_t>(TiffType::SRational);
    if (fact->type != PropertyTagTypeRational && !isSigned)
        return std::nullopt;
    const std::uint32_t numerator = LittleEndianAt(fact->bytes, 8 * index, 4);
    const std::uint32_t denominator = LittleEndianAt(fact->bytes, 8 * index + 4, 4);
    if (denominator == 0)
        return std::nullopt;
    if (isSigned)
        return double(std::int32_t(numerator)) / double(std::int32_t(denominator));
    return double(numerator) / double(denominator);
}

}  // namespace veltra::info
