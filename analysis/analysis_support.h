#pragma once

// What every group of findings uses: the items.

#include "analysis/file_analysis.h"
#include "imaging/gdiplus_types.h"
#include "imaging/property_tags.h"
#include "info/property_facts.h"

namespace veltra::analysis {

// The item of that id, the first when there are several, or null.
inline const info::PropertyFact* FindProperty(const info::ImageFacts& facts, imaging::PROPID id)
{
    return info::FindPropertyFact(facts.properties, id);
}

}  // namespace veltra::analysis
