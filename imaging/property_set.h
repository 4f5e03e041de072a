#pragma once

#include "imaging/property_record.h"

namespace veltra::imaging {

// A picture lists each tag id at most once. The readers produce items in the service's order
// and may meet an id twice (an Exif UserComment and a JPEG comment, a repeated entry in a
// damaged directory); the first one read is the one the picture keeps.
PropertyRecords KeepFirstOfEachId(PropertyRecords records);

}  // namespace veltra::imaging
