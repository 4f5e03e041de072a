// Feeds arbitrary bytes to the IFD walker (as a TIFF file and as an Exif block) and to every
// format's reader, so that each container walk meets hostile input. Beyond not crashing, the
// items must keep the shape every caller relies on.

#include "formats/format_registry.h"
#include "metadata/ifd_walker.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unordered_set>

namespace {

using namespace veltra::imaging;

// Types 1 to 12 only, whole elements only, and (once merged) each id at most once.
void CheckItems(const PropertyRecords& items, bool idsUnique)
{
    std::unordered_set<PROPID> ids;
    for (const PropertyRecord& item : items) {
        const auto type = static_cast<std::uint16_t>(item.type);
        const qsizetype size = IsItemType(type) ? TiffTypeElementSize(type) : 0;
        if (size == 0 || item.value.size() % size != 0)
            std::abort();
        if (idsUnique && !ids.insert(item.id).second)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CheckItems(ReadTiffItems(bytes, TiffStructure::File), false);
    CheckItems(ReadTiffItems(bytes, TiffStructure::ExifBlock), false);
    for (const FormatReader* reader : FormatReaders())
        CheckItems(reader->read(bytes).properties.records(), true);
    return 0;
}
