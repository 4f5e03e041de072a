#include "formats/bmp/bmp_reader.h"

#include "util/byte_reader.h"

#include <algorithm>
#include <array>

namespace veltra::imaging {
namespace {

// File header: "BM", file size (4), reserved (4), pixel offset (4). The info header follows at
// 14 and starts with its own size.
constexpr qsizetype kPixelOffsetAt = 10;
constexpr qsizetype kInfoSizeAt = 14;
constexpr std::uint32_t kOs2InfoSize = 12;
constexpr std::uint32_t kBitmapInfoSize = 40;

constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

// "BM" alone is two printable letters; a real header also has a known info-header size and a
// pixel offset that lies after the headers.
bool IsBmp(QByteArrayView head)
{
    if (!head.startsWith("BM") || head.size() < 18)
        return false;
    constexpr std::array kKnownInfoSizes{12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u};
    const std::uint32_t pixelOffset = ReadLittle32(head, kPixelOffsetAt);
    const std::uint32_t infoSize = ReadLittle32(head, kInfoSizeAt);
    return std::find(kKnownInfoSizes.begin(), kKnownInfoSizes.end(), infoSize) !=
               kKnownInfoSizes.end() &&
           pixelOffset >= 14 + infoSize;
}

std::optional<PixelFormat> PixelFormatOf(QByteArrayView file)
{
    if (file.size() < 30)
        return std::nullopt;
    const std::uint32_t infoSize = ReadLittle32(file, kInfoSizeAt);
    // The old OS/2 header keeps the bit count in a 16-bit field at another place.
    const int bitCount = infoSize == kOs2InfoSize ? ReadLittle16(file, 24) : ReadLittle16(file, 28);
    std::uint32_t compression = 0;
    if (infoSize >= kBitmapInfoSize && file.size() >= 34)
        compression = ReadLittle32(file, 30);
    // Masks follow a 40-byte header or lie inside the larger ones, in the same place.
    auto maskAt = [&file](qsizetype offset) -> std::uint32_t {
        return offset + 4 <= file.size() ? ReadLittle32(file, offset) : 0;
    };
    const bool hasMasks = compression == kBitFields || compression == kAlphaBitFields;
    switch (bitCount) {
    case 1: return PixelFormat1bppIndexed;
    case 4: return PixelFormat4bppIndexed;
    case 8: return PixelFormat8bppIndexed;
    case 16:
        if (hasMasks && maskAt(54) == 0xF800 && maskAt(58) == 0x07E0 && maskAt(62) == 0x001F)
            return PixelFormat16bppRGB565;
        return PixelFormat16bppRGB555;
    case 24: return PixelFormat24bppRGB;
    case 32: {
        const bool alphaMaskPossible = compression == kAlphaBitFields || infoSize >= 56;
        const bool hasAlphaMask = alphaMaskPossible && maskAt(66) != 0;
        return hasAlphaMask ? PixelFormat32bppARGB : PixelFormat32bppRGB;
    }
    default: return std::nullopt;
    }
}

// Pels per metre, taken only when both are positive.
Resolution ResolutionOf(QByteArrayView file)
{
    if (file.size() < 46 || ReadLittle32(file, kInfoSizeAt) < kBitmapInfoSize)
        return Resolution{};
    const auto x = static_cast<std::int32_t>(ReadLittle32(file, 38));
    const auto y = static_cast<std::int32_t>(ReadLittle32(file, 42));
    return DeclaredResolution(x * kInchesPerMetre, y * kInchesPerMetre).value_or(Resolution{});
}

FileFacts ReadBmp(QByteArrayView file)
{
    FileFacts facts;
    facts.pixelFormat = PixelFormatOf(file);
    facts.resolution = ResolutionOf(file);
    return facts;
}

constexpr ContentKind kBmpKinds[]{
    {.name = "bmp", .extensions = "bmp dib", .mimeTypes = "image/bmp", .qtDecoder = "bmp"},
};

}  // namespace

const FormatReader kBmpFormat{
    .format = FileFormat::Bmp,
    .rawFormat = ImageFormatBMP,
    .kinds = kBmpKinds,
    .matches = IsBmp,
    .read = ReadBmp,
};

}  // namespace veltra::imaging
