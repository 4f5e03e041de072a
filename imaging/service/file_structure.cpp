#include "imaging/file_structure.h"

#include "formats/format_registry.h"
#include "service/regular_file.h"

#include <new>

namespace veltra::imaging {

namespace {

// What is kept of the bytes after a picture's end: enough to tell what they are.
constexpr qsizetype kTrailingSampleBytes = 64 * 1024;

}  // namespace

GpStatus ReadFileStructure(const QString& filename, FileStructure* structure)
{
    if (!structure)
        return InvalidParameter;
    *structure = FileStructure{};
    try {
        QByteArray bytes;
        if (const GpStatus status = ReadRegularFile(filename, &bytes); status != Ok)
            return status;
        structure->fileSize = bytes.size();
        const FormatReader& reader = ReaderFor(bytes);
        if (reader.structure)
            reader.structure(bytes, structure);
        if (structure->pictureEnd && *structure->pictureEnd < bytes.size()) {
            structure->trailingSample =
                bytes.sliced(*structure->pictureEnd)
                    .first(std::min(kTrailingSampleBytes, bytes.size() - *structure->pictureEnd));
        }
        return Ok;
    } catch (const std::bad_alloc&) {
        *structure = FileStructure{};
        return OutOfMemory;
    }
}

}  // namespace veltra::imaging
