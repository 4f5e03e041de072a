#include "metadata/property_set.h"

#include "imaging/work_counters.h"
#include "util/byte_reader.h"

namespace veltra::imaging {

PropertySet::PropertySet(PropertyRecords records)
{
    m_records.reserve(records.size());
    m_index.reserve(records.size());
    std::uint64_t valueBytes = 0;
    for (PropertyRecord& record : records) {
        if (m_index.emplace(record.id, m_records.size()).second) {
            valueBytes += static_cast<std::uint64_t>(record.value.size());
            m_records.push_back(std::move(record));
        }
    }
    CountWork(Work::ItemValueBytes, valueBytes);
}

const PropertyRecord* PropertySet::find(PROPID id) const
{
    const auto found = m_index.find(id);
    return found == m_index.end() ? nullptr : &m_records[found->second];
}

std::optional<std::uint32_t> PropertySet::firstUnsigned(PROPID id) const
{
    const PropertyRecord* record = find(id);
    if (!record)
        return std::nullopt;
    if (record->type == TiffType::Short && record->value.size() >= 2)
        return ReadLittle16(record->value, 0);
    if (record->type == TiffType::Long && record->value.size() >= 4)
        return ReadLittle32(record->value, 0);
    return std::nullopt;
}

std::optional<double> PropertySet::firstRational(PROPID id) const
{
    const PropertyRecord* record = find(id);
    if (!record || record->type != TiffType::Rational || record->value.size() < 8)
        return std::nullopt;
    const std::uint32_t numerator = ReadLittle32(record->value, 0);
    const std::uint32_t denominator = ReadLittle32(record->value, 4);
    if (denominator == 0)
        return std::nullopt;
    return static_cast<double>(numerator) / denominator;
}

}  // namespace veltra::imaging
