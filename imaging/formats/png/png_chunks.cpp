#include "formats/png/png_chunks.h"

#include "util/byte_reader.h"

namespace veltra::imaging {

void ForEachPngChunk(QByteArrayView file, const std::function<bool(const PngChunk&)>& visit)
{
    constexpr qsizetype kSignatureSize = 8;
    // Each chunk: length (4), type (4), data, CRC (4).
    qsizetype at = kSignatureSize;
    const auto fileSize = static_cast<std::uint64_t>(file.size());
    while (RangeInside(static_cast<std::uint64_t>(at), 8, fileSize)) {
        const std::uint32_t length = ReadBig32(file, at);
        const QByteArrayView type = file.sliced(at + 4, 4);
        const std::uint64_t dataAt = static_cast<std::uint64_t>(at) + 8;
        if (!RangeInside(dataAt, length, fileSize) || type == "IEND")
            return;
        if (!visit(PngChunk{type, file.sliced(static_cast<qsizetype>(dataAt), length)}))
            return;
        at = static_cast<qsizetype>(dataAt) + length + 4;
    }
}

}  // namespace veltra::imaging
