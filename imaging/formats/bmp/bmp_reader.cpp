#include "formats/bmp/bmp_reader.h"

#include "formats/pixel_budget.h"
#include "util/byte_reader.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>

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

// The header as Qt's BMP decoder reads it before decoding. It knows the full layout only by
// the sizes of the Windows headers (and of OS/2's second one, whose first 40 bytes it reads);
// any other size it reads as the old 12-byte header, whose fields are 16 bits wide.
struct DecodersView {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int16_t planes = 0;
    std::int16_t bitCount = 0;
    std::int32_t compression = 0;
    std::int32_t infoSize = 0;
    std::uint32_t alphaMask = 0;
};

constexpr std::int32_t kWindowsV4InfoSize = 108;
constexpr std::int32_t kWindowsV5InfoSize = 124;
constexpr std::int32_t kOs2V2InfoSize = 64;
// The decoder refuses a picture of more pixels than this, whatever the file's size.
constexpr std::uint64_t kDecoderPixelsRefused = std::uint64_t{16384} * 16384;

std::optional<DecodersView> ReadAsTheDecoder(QByteArrayView file)
{
    constexpr qsizetype kInfoAt = kInfoSizeAt + 4;
    if (file.size() < kInfoAt)
        return std::nullopt;
    DecodersView view;
    view.infoSize = static_cast<std::int32_t>(ReadLittle32(file, kInfoSizeAt));
    const bool windowsLayout = view.infoSize == std::int32_t(kBitmapInfoSize) ||
                               view.infoSize == kOs2V2InfoSize ||
                               view.infoSize == kWindowsV4InfoSize ||
                               view.infoSize == kWindowsV5InfoSize;
    if (!windowsLayout) {
        if (file.size() < kInfoAt + 8)
            return std::nullopt;
        view.width = static_cast<std::int16_t>(ReadLittle16(file, kInfoAt));
        view.height = static_cast<std::int16_t>(ReadLittle16(file, kInfoAt + 2));
        view.planes = static_cast<std::int16_t>(ReadLittle16(file, kInfoAt + 4));
        view.bitCount = static_cast<std::int16_t>(ReadLittle16(file, kInfoAt + 6));
        return view;
    }
    // What the decoder reads of each: the 40 bytes, then the masks, colour space, end points
    // and gammas of version 4, then version 5's intent and profile.
    const qsizetype read = view.infoSize >= kWindowsV4InfoSize ? view.infoSize : kBitmapInfoSize;
    if (file.size() < kInfoSizeAt + read)
        return std::nullopt;
    view.width = static_cast<std::int32_t>(ReadLittle32(file, kInfoAt));
    view.height = static_cast<std::int32_t>(ReadLittle32(file, kInfoAt + 4));
    view.planes = static_cast<std::int16_t>(ReadLittle16(file, kInfoAt + 8));
    view.bitCount = static_cast<std::int16_t>(ReadLittle16(file, kInfoAt + 10));
    view.compression = static_cast<std::int32_t>(ReadLittle32(file, kInfoAt + 12));
    if (view.infoSize >= kWindowsV4InfoSize)
        view.alphaMask = ReadLittle32(file, kInfoSizeAt + 52);
    return view;
}

bool DecoderAccepts(const DecodersView& view)
{
    constexpr std::int32_t kRle8 = 1;
    constexpr std::int32_t kRle4 = 2;
    const int bits = view.bitCount;
    const std::int32_t compression = view.compression;
    if (!(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32) ||
        view.planes != 1 || compression > std::int32_t(kBitFields))
        return false;
    if (!(compression == 0 || (bits == 4 && compression == kRle4) ||
          (bits == 8 && compression == kRle8) ||
          ((bits == 16 || bits == 32) && compression == std::int32_t(kBitFields))))
        return false;
    if (view.height == INT_MIN || view.width <= 0 || view.height == 0)
        return false;
    return std::uint64_t(view.width) * std::uint64_t(std::abs(view.height)) <=
           kDecoderPixelsRefused;
}

// Qt's BMP decoder, asked before decoding: it refuses what its header reading refuses, and
// tells the size and the kind of picture it will make. Of a picture stored top row first it
// tells no size (its height is negative) and can only be asked by decoding, so that one is left
// to it, but only within the file's pixel budget: a few bytes may declare such a picture of
// fifty million pixels, which the decoder would make in full before finding no data.
GpStatus ProbeBmp(QByteArrayView file, const FileFacts& facts, FrameHeader* header)
{
    const std::optional<DecodersView> view = ReadAsTheDecoder(file);
    if (!view || !DecoderAccepts(*view))
        return UnknownImageFormat;
    const QSize size(view->width, std::abs(view->height));
    if (!WithinPixelBudget(size, PixelBudgetFor(file.size())))
        return OutOfMemory;
    if (view->height < 0)
        return ProbeWithTheDecoder(kBmpFormat, file, facts, header);
    header->size = size;
    if (view->bitCount <= 8) {
        header->decodedPixelFormat = PixelFormat8bppIndexed;
    } else {
        const bool alpha = view->compression == std::int32_t(kBitFields) &&
                           view->infoSize >= kWindowsV4InfoSize && view->alphaMask != 0;
        header->decodedPixelFormat = alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB;
    }
    return Ok;
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
    .probe = ProbeBmp,
};

}  // namespace veltra::imaging
