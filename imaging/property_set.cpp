#include "imaging/property_set.h"

#include <unordered_set>

namespace veltra::imaging {

PropertyRecords KeepFirstOfEachId(PropertyRecords records)
{
    std::unordered_set<PROPID> seen;
    PropertyRecords kept;
    kept.reserve(records.size());
    for (PropertyRecord& record : records) {
        if (seen.insert(record.id).second)
            kept.push_back(std::move(record));
    }
    return kept;
}

}  // namespace veltra::imaging
