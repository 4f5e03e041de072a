#include "formats/tiff/tiff_reader.h"

#include "imaging/property_tags.h"
#include "metadata/ifd_walker.h"
#include "util/byte_writer.h"

#include <algorithm>
#include <array>

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

// The tags libtiff needs to decode a page's pixels, ascending. Everything else in the first
// directory is left out of what the decoder sees: libtiff reads every entry's value when it
// opens a directory, taking memory at the size each entry claims, so a few thousand entries
// pointing into one large value would take gigabytes (the report reads them within its own
// budget instead).
constexpr std::array<std::uint16_t, 31> kTagsForPixels{
    256, 257, 258, 259, 262, 266, 273, 277, 278, 279, 282, 283, 284, 292, 293, 296,
    317, 320, 322, 323, 324, 325, 332, 334, 338, 339, 347, 529, 530, 531, 532};

bool NeededForPixels(std::uint16_t tag)
{
    return std::binary_search(kTagsForPixels.begin(), kTagsForPixels.end(), tag);
}

// The file as the decoder sees it: its own bytes, with the header pointing at a copy of the
// first directory, appended at the end, that holds only the entries the pixels need and no
// next page. Entries are copied as they stand, so their values are read where they are.
// Nothing when the first directory cannot be found; the decoder then reads the file as it is.
std::vector<DecoderPiece> DecoderInputForFirstPage(QByteArrayView file)
{
    constexpr qsizetype kHeaderSize = 8;
    constexpr qsizetype kEntrySize = 12;
    const std::optional<ByteOrder> order = TiffByteOrder(file);
    if (!order || file.size() < kHeaderSize)
        return {};
    const std::uint32_t directory = Read32(file, 4, *order);
    if (!RangeInside(directory, 2, static_cast<std::uint64_t>(file.size())))
        return {};
    const std::uint16_t declared = Read16(file, directory, *order);
    const qsizetype entries =
        std::min<qsizetype>(declared, (file.size() - directory - 2) / kEntrySize);

    QByteArray kept;
    std::uint16_t keptCount = 0;
    for (qsizetype index = 0; index < entries; ++index) {
        const qsizetype entry = directory + 2 + index * kEntrySize;
        if (NeededForPixels(Read16(file, entry, *order))) {
            kept.append(file.sliced(entry, kEntrySize));
            ++keptCount;
        }
    }
    const qsizetype padding = file.size() % 2;  // a directory starts on a word boundary
    const std::uint64_t newDirectory = static_cast<std::uint64_t>(file.size() + padding);
    if (newDirectory + 2 + kept.size() + 4 > 0xFFFFFFFFu)
        return {};

    QByteArray header = file.first(4).toByteArray();
    Append32(header, static_cast<std::uint32_t>(newDirectory), *order);
    QByteArray appended(padding, '\0');
    Append16(appended, keptCount, *order);
    appended.append(kept);
    Append32(appended, 0, *order);  // no next page
    return {DecoderPiece::Made(header),
            DecoderPiece::FromFile(kHeaderSize, file.size() - kHeaderSize),
            DecoderPiece::Made(appended)};
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
    facts.decoderInput = DecoderInputForFirstPage(file);
    return facts;
}

constexpr ContentKind kTiffKinds[]{
    {.name = "tiff", .extensions = "tif tiff", .mimeTypes = "image/tiff", .qtDecoder = "tiff"},
};

}  // namespace

const FormatReader kTiffFormat{
    .format = FileFormat::Tiff,
    .rawFormat = ImageFormatTIFF,
    .kinds = kTiffKinds,
    .matches = IsTiff,
    .read = ReadTiff,
};

}  // namespace veltra::imaging
