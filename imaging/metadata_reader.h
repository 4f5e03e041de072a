#pragma once

#include "imaging/format_sniffer.h"
#include "imaging/property_record.h"

#include <QByteArrayView>

namespace veltra::imaging {

// Every property item of a file, in the service's order, each id at most once (the first
// occurrence wins). Reads only the container structure and the metadata blocks, never the
// pixel data, and never fails: a damaged block yields the items read before the damage.
PropertyRecords ReadMetadata(QByteArrayView file, FileFormat format);

}  // namespace veltra::imaging
