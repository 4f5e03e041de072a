#include "formats/tiff/tiff_reader.h"

#include "imaging/property_tags.h"
#include "metadata/ifd_walker.h"

namespace veltra::imaging {
namespace {

// PhotometricInterpretation values.
constexpr std::uint32_t kWhiteIsZero = 0;
constexpr std::uint32_t kBlackIsZero = 1;
constexpr std::uint32_t kRgb = 2;
constexpr std::uint32_t kPalette = 3;
constexpr std::uint32_t kSeparated = 5;  // CMYK
constexpr std::uint32_t kYCbCr = 6;      // decoded to RGB

// ExtraSamples value of associated (premultiplied) alpha.
constexpr std::uint32_t kAssociatedAlpha = 1;

std::optional<PixelFormat> PixelFormatOf(const PropertySet& properties)
{
    const std::uint32_t bits = properties.firstUnsigned(PropertyTagBitsPerSample).value_or(1);
    const std::uint32_t samples = properties.firstUnsigned(PropertyTagSamplesPerPixel).value_or(1);
    const std::optional<std::uint32_t> photometric =
        properties.firstUnsigned(PropertyTagPhotometricInterp);
    const std::uint32_t extraSample = properties.firstUnsigned(PropertyTagExtraSamples).value_or(0);
    if (!photometric)
        return std::nullopt;
    switch (*photometric) {
    case kWhiteIsZero:
    case kBlackIsZero:
    case kPalette:
        if (samples != 1)
            return std::nullopt;
        if (bits == 16 && *photometric != kPalette)
            return PixelFormat16bppGrayScale;
        if (bits > 8)
            return std::nullopt;
        return IndexedPixelFormat(static_cast<int>(bits));
    case kRgb:
    case kYCbCr:
        if (samples == 3)
            return bits == 16 ? PixelFormat48bppRGB : PixelFormat24bppRGB;
        if (samples >= 4) {
            if (bits == 16)
                return PixelFormat64bppARGB;
            return extraSample == kAssociatedAlpha ? PixelFormat32bppPARGB : PixelFormat32bppARGB;
        }
        return std::nullopt;
    case kSeparated:
        return bits == 8 && samples == 4 ? std::optional(PixelFormat32bppCMYK) : std::nullopt;
    default:
        return std::nullopt;
    }
}

bool IsTiff(QByteArrayView head)
{
    return TiffByteOrder(head).has_value();
}

FileFacts ReadTiff(QByteArrayView file)
{
    FileFacts facts;
    facts.properties = PropertySet(ReadTiffItems(file, TiffStructure::File));
    facts.pixelFormat = PixelFormatOf(facts.properties);
    facts.resolution = ResolutionFromTiffTags(facts.properties).value_or(Resolution{});
    return facts;
}

}  // namespace

const FormatReader kTiffFormat{FileFormat::Tiff, ImageFormatTIFF, IsTiff, ReadTiff, "tiff"};

}  // namespace veltra::imaging
