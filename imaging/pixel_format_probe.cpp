#include "imaging/pixel_format_probe.h"

#include "imaging/byte_order.h"
#include "imaging/jpeg_segments.h"
#include "imaging/png_chunks.h"

#include <QImage>

#include <optional>

namespace veltra::imaging {
namespace {

std::optional<PixelFormat> JpegPixelFormat(QByteArrayView file)
{
    std::optional<PixelFormat> result;
    ForEachJpegSegment(file, [&result](const JpegSegment& segment) {
        // Every SOFn carries the component count; C4, C8 and CC are other markers.
        const bool isFrameHeader = segment.marker >= 0xC0 && segment.marker <= 0xCF &&
                                   segment.marker != 0xC4 && segment.marker != 0xC8 &&
                                   segment.marker != 0xCC;
        if (!isFrameHeader)
            return true;
        if (segment.payload.size() >= 6) {
            switch (ByteAt(segment.payload, 5)) {
            case 1: result = PixelFormat8bppIndexed; break;
            case 3: result = PixelFormat24bppRGB; break;
            case 4: result = PixelFormat32bppCMYK; break;
            default: break;
            }
        }
        return false;
    });
    return result;
}

PixelFormat IndexedByDepth(int bitDepth)
{
    if (bitDepth == 1)
        return PixelFormat1bppIndexed;
    if (bitDepth <= 4)
        return PixelFormat4bppIndexed;
    return PixelFormat8bppIndexed;
}

// tRNS only counts before the image data, where the format puts it.
bool PngHasTransparencyChunk(QByteArrayView file)
{
    bool found = false;
    ForEachPngChunk(file, [&found](const PngChunk& chunk) {
        found = chunk.type == "tRNS";
        return !found && chunk.type != "IDAT";
    });
    return found;
}

std::optional<PixelFormat> PngPixelFormat(QByteArrayView file)
{
    // Signature (8), IHDR length and type (8), width and height (8), then depth and colour type.
    if (file.size() < 26 || file.sliced(12, 4) != "IHDR")
        return std::nullopt;
    const int depth = ByteAt(file, 24);
    const int colourType = ByteAt(file, 25);
    const bool transparency = PngHasTransparencyChunk(file);
    const bool sixteenBit = depth == 16;
    switch (colourType) {
    case 3:  // palette
        return IndexedByDepth(depth);
    case 0:  // grey
        if (transparency)
            return sixteenBit ? PixelFormat64bppARGB : PixelFormat32bppARGB;
        return sixteenBit ? PixelFormat16bppGrayScale : IndexedByDepth(depth);
    case 2:  // RGB
        if (transparency)
            return sixteenBit ? PixelFormat64bppARGB : PixelFormat32bppARGB;
        return sixteenBit ? PixelFormat48bppRGB : PixelFormat24bppRGB;
    case 4:  // grey and alpha
    case 6:  // RGBA
        return sixteenBit ? PixelFormat64bppARGB : PixelFormat32bppARGB;
    default:
        return std::nullopt;
    }
}

std::optional<PixelFormat> BmpPixelFormat(QByteArrayView file)
{
    if (file.size() < 30)
        return std::nullopt;
    const std::uint32_t infoSize = ReadLittle32(file, 14);
    // The old OS/2 header keeps the bit count in a 16-bit field at another place.
    const int bitCount = infoSize == 12 ? ReadLittle16(file, 24) : ReadLittle16(file, 28);
    std::uint32_t compression = 0;
    if (infoSize >= 40 && file.size() >= 34)
        compression = ReadLittle32(file, 30);
    constexpr std::uint32_t kBitFields = 3;
    constexpr std::uint32_t kAlphaBitFields = 6;
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

std::optional<std::uint32_t> FirstNumber(const PropertyRecords& properties, PROPID id)
{
    for (const PropertyRecord& record : properties) {
        if (record.id != id)
            continue;
        if (record.type == PropertyTagTypeShort && record.value.size() >= 2)
            return ReadLittle16(record.value, 0);
        if (record.type == PropertyTagTypeLong && record.value.size() >= 4)
            return ReadLittle32(record.value, 0);
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<PixelFormat> TiffPixelFormat(const PropertyRecords& properties)
{
    const std::uint32_t bits = FirstNumber(properties, 0x0102).value_or(1);
    const std::uint32_t samples = FirstNumber(properties, 0x0115).value_or(1);
    const std::optional<std::uint32_t> photometric = FirstNumber(properties, 0x0106);
    const std::uint32_t extraSample = FirstNumber(properties, 0x0152).value_or(0);
    if (!photometric)
        return std::nullopt;
    switch (*photometric) {
    case 0:  // white is zero
    case 1:  // black is zero
    case 3:  // palette
        if (samples != 1)
            return std::nullopt;
        if (bits == 16 && *photometric != 3)
            return PixelFormat16bppGrayScale;
        if (bits > 8)
            return std::nullopt;
        return IndexedByDepth(static_cast<int>(bits));
    case 2:  // RGB
    case 6:  // YCbCr, decoded to RGB
        if (samples == 3)
            return bits == 16 ? PixelFormat48bppRGB : PixelFormat24bppRGB;
        if (samples >= 4) {
            if (bits == 16)
                return PixelFormat64bppARGB;
            return extraSample == 1 ? PixelFormat32bppPARGB : PixelFormat32bppARGB;
        }
        return std::nullopt;
    case 5:  // separated: CMYK
        return bits == 8 && samples == 4 ? std::optional(PixelFormat32bppCMYK) : std::nullopt;
    default:
        return std::nullopt;
    }
}

}  // namespace

PixelFormat PixelFormatOfDecoded(const QImage& decoded)
{
    if (decoded.format() == QImage::Format_Indexed8 || decoded.format() == QImage::Format_Mono ||
        decoded.format() == QImage::Format_MonoLSB)
        return PixelFormat8bppIndexed;
    return decoded.hasAlphaChannel() ? PixelFormat32bppARGB : PixelFormat24bppRGB;
}

PixelFormat ProbePixelFormat(QByteArrayView file, FileFormat format,
                             const PropertyRecords& properties, const QImage& decoded)
{
    std::optional<PixelFormat> fromHeader;
    switch (format) {
    case FileFormat::Jpeg: fromHeader = JpegPixelFormat(file); break;
    case FileFormat::Png: fromHeader = PngPixelFormat(file); break;
    case FileFormat::Gif: fromHeader = PixelFormat8bppIndexed; break;
    case FileFormat::Bmp: fromHeader = BmpPixelFormat(file); break;
    case FileFormat::Tiff: fromHeader = TiffPixelFormat(properties); break;
    case FileFormat::Icon: fromHeader = PixelFormat32bppARGB; break;
    default: break;
    }
    return fromHeader.value_or(PixelFormatOfDecoded(decoded));
}

}  // namespace veltra::imaging
