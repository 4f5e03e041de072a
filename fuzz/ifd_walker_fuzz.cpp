// Feeds arbitrary bytes to the IFD walker (as a TIFF file and as an Exif block) and to the
// metadata reader under every file format, so that each container walk meets hostile input.
// Beyond not crashing, the items must keep the shape every caller relies on.

#include "imaging/ifd_reader.h"
#include "imaging/metadata_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unordered_set>

namespace {

using namespace veltra::imaging;

qsizetype ElementSize(std::uint16_t type)
{
    switch (type) {
    case 3:
    case 8: return 2;
    case 4:
    case 9:
    case 11: return 4;
    case 5:
    case 10:
    case 12: return 8;
    default: return type >= 1 && type <= 12 ? 1 : 0;
    }
}

// Types 1 to 12 only, whole elements only, and (once merged) each id at most once.
void CheckItems(const PropertyRecords& items, bool idsUnique)
{
    std::unordered_set<PROPID> ids;
    for (const PropertyRecord& item : items) {
        const qsizetype size = ElementSize(item.type);
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
    for (FileFormat format : {FileFormat::Jpeg, FileFormat::Png, FileFormat::Gif, FileFormat::Tiff,
                              FileFormat::WebP, FileFormat::Bmp, FileFormat::Icon})
        CheckItems(ReadMetadata(bytes, format), true);
    return 0;
}
