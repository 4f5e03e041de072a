#include "formats/metafile/metafile_reader.h"

#include "util/byte_reader.h"

namespace veltra::imaging {
namespace {

// The first record is the header record (type 1), with " EMF" at offset 40.
bool IsEmf(QByteArrayView head)
{
    return head.size() >= 44 && ReadLittle32(head, 0) == 1 && head.sliced(40, 4) == " EMF";
}

// A placeable metafile starts with its key; a standard one with its header: type 1 (memory)
// or 2 (disk), a header of 9 words, version 1.0 or 3.0.
bool IsWmf(QByteArrayView head)
{
    if (head.startsWith(QByteArrayView("\xD7\xCD\xC6\x9A", 4)))
        return true;
    if (head.size() < 6)
        return false;
    const std::uint16_t type = ReadLittle16(head, 0);
    const std::uint16_t headerWords = ReadLittle16(head, 2);
    const std::uint16_t version = ReadLittle16(head, 4);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

constexpr ContentKind kEmfKinds[]{
    {.name = "emf", .extensions = "emf", .mimeTypes = "image/emf"},
};
constexpr ContentKind kWmfKinds[]{
    {.name = "wmf", .extensions = "wmf", .mimeTypes = "image/wmf"},
};

}  // namespace

// Recognised, but with no decoder: loading a metafile fails.
const FormatReader kEmfFormat{
    .format = FileFormat::Emf,
    .rawFormat = ImageFormatEMF,
    .kinds = kEmfKinds,
    .matches = IsEmf,
};
const FormatReader kWmfFormat{
    .format = FileFormat::Wmf,
    .rawFormat = ImageFormatWMF,
    .kinds = kWmfKinds,
    .matches = IsWmf,
};

}  // namespace veltra::imaging
