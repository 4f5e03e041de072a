#include "imaging/file_structure.h"

#include "formats/format_registry.h"
#include "service/gp_image.h"
#include "service/regular_file.h"

#include <new>

namespace veltra::imaging {

namespace {

// What is kept of the bytes after a picture's end: enough to tell what they are.
constexpr qsizetype kTrailingSampleBytes = 64 * 1024;

GpStatus StructureOfBytes(const QByteArray& bytes, FileStructure* structure)
{
    try {
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

}  // namespace

GpStatus ReadFileStructure(const QString& filename, FileStructure* structure)
{
    if (!structure)
        return InvalidParameter;
    *structure = FileStructure{};
    QByteArray bytes;
    try {
        if (const GpStatus status = ReadRegularFile(filename, &bytes); status != Ok)
            return status;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
    return StructureOfBytes(bytes, structure);
}

GpStatus GetImageFileStructure(GpImage* image, FileStructure* structure)
{
    if (!image || !structure)
        return InvalidParameter;
    *structure = FileStructure{};
    if (!image->keepsFileBytes())
        return WrongState;
    const GpStatus status = StructureOfBytes(image->fileBytes(), structure);
    if (status == Ok && image->mappedFile() && image->mappedFile()->cutShort()) {
        *structure = FileStructure{};
        return Win32Error;
    }
    return status;
}

}  // namespace veltra::imaging
