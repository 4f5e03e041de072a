#include "formats/ico/ico_reader.h"

#include "util/byte_reader.h"

namespace veltra::imaging {
namespace {

// 00 00 01 00 is also the start of many unrelated files; the directory that follows must name
// at least one image with a sane colour-plane and bit-depth entry. The header is 6 bytes, then
// 16 bytes per image: width, height, colour count, reserved, planes (2), bit count (2), size (4).
bool IsIcon(QByteArrayView head)
{
    constexpr qsizetype kFirstEntry = 6;
    if (!head.startsWith(QByteArrayView("\x00\x00\x01\x00", 4)) || head.size() < 22)
        return false;
    const std::uint16_t count = ReadLittle16(head, 4);
    const std::uint8_t reserved = ByteAt(head, kFirstEntry + 3);
    const std::uint16_t planes = ReadLittle16(head, kFirstEntry + 4);
    const std::uint16_t bitCount = ReadLittle16(head, kFirstEntry + 6);
    const std::uint32_t bytesInRes = ReadLittle32(head, kFirstEntry + 8);
    const bool saneBits = bitCount == 0 || bitCount == 1 || bitCount == 4 || bitCount == 8 ||
                          bitCount == 16 || bitCount == 24 || bitCount == 32;
    return count >= 1 && reserved == 0 && planes <= 1 && saneBits && bytesInRes > 0;
}

FileFacts ReadIcon(QByteArrayView /*file*/)
{
    FileFacts facts;
    facts.pixelFormat = PixelFormat32bppARGB;
    return facts;
}

constexpr ContentKind kIconKinds[]{
    {.name = "ico",
     .extensions = "ico",
     .mimeTypes = "image/vnd.microsoft.icon",
     .qtDecoder = "ico"},
};

}  // namespace

const FormatReader kIconFormat{
    .format = FileFormat::Icon,
    .rawFormat = ImageFormatIcon,
    .kinds = kIconKinds,
    .matches = IsIcon,
    .read = ReadIcon,
};

}  // namespace veltra::imaging
