#include "metadata/photoshop_resources.h"

#include "util/byte_reader.h"

namespace veltra::imaging {

void ForEachPhotoshopResource(QByteArrayView resources,
                              const std::function<bool(std::uint16_t id, QByteArrayView data)>& visit)
{
    qsizetype at = 0;
    while (at + 12 <= resources.size() && resources.sliced(at, 4) == "8BIM") {
        const std::uint16_t id = ReadBig16(resources, at + 4);
        const qsizetype nameLength = ByteAt(resources, at + 6);
        // The name's length byte and characters together take an even number of bytes.
        const qsizetype sizeAt = at + 6 + ((nameLength + 2) & ~qsizetype{1});
        if (sizeAt + 4 > resources.size())
            return;
        const std::uint32_t size = ReadBig32(resources, sizeAt);
        const qsizetype dataAt = sizeAt + 4;
        if (!RangeInside(std::uint64_t(dataAt), size, std::uint64_t(resources.size())))
            return;
        if (!visit(id, resources.sliced(dataAt, size)))
            return;
        at = dataAt + size + (size & 1);
    }
}

std::optional<PhotoshopThumbnail> ReadPhotoshopThumbnailResource(QByteArrayView data,
                                                                 ItemBudget& budget)
{
    // Format (1: JFIF), width, height, bytes a row, total and compressed sizes, bits a pixel
    // and planes, then the data.
    constexpr qsizetype kThumbnailHeader = 28;
    constexpr std::uint32_t kJfifFormat = 1;
    if (data.size() < kThumbnailHeader)
        return std::nullopt;
    PhotoshopThumbnail thumbnail;
    thumbnail.width = static_cast<int>(ReadBig32(data, 4));
    thumbnail.height = static_cast<int>(ReadBig32(data, 8));
    const QByteArrayView jpeg = data.sliced(kThumbnailHeader);
    if (ReadBig32(data, 0) == kJfifFormat && budget.take(jpeg.size()))
        thumbnail.jpeg = jpeg.toByteArray();
    return thumbnail;
}

}  // namespace veltra::imaging
