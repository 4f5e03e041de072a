#include "formats/tiff/tiff_facts.h"

#include "imaging/property_tags.h"
#include "metadata/ifd_walker.h"
#include "util/byte_writer.h"

#include <algorithm>
#include <array>
#include <limits>

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

// The sizes of a directory's parts: classic TIFF counts entries in 2 bytes, gives each 12
// and points with 4; BigTIFF counts in 8, gives each 20 and points with 8.
struct Layout {
    qsizetype header;
    qsizetype count;
    qsizetype entry;
    qsizetype offset;
    std::uint64_t largestOffset;
};

constexpr Layout kClassic{8, 2, 12, 4, std::numeric_limits<std::uint32_t>::max()};
constexpr Layout kBig{16, 8, 20, 8, std::numeric_limits<qsizetype>::max()};

void AppendField(QByteArray& bytes, std::uint64_t value, qsizetype size, ByteOrder order)
{
    if (size == 8)
        Append64(bytes, value, order);
    else if (size == 4)
        Append32(bytes, static_cast<std::uint32_t>(value), order);
    else
        Append16(bytes, static_cast<std::uint16_t>(value), order);
}

std::uint64_t ReadField(QByteArrayView bytes, qsizetype at, qsizetype size, ByteOrder order)
{
    if (size == 8)
        return Read64(bytes, at, order);
    if (size == 4)
        return Read32(bytes, at, order);
    return Read16(bytes, at, order);
}

// The file as the decoder sees it: its own bytes, with the header pointing at a copy of the
// first directory, appended at the end, that holds only the entries the pixels need and no
// next page. Entries are copied as they stand, so their values are read where they are.
// Nothing when the first directory cannot be found; the decoder then reads the file as it is.
std::vector<DecoderPiece> DecoderInputForFirstPage(QByteArrayView file)
{
    const std::optional<TiffHeader> header = ReadTiffHeader(file);
    if (!header)
        return {};
    const Layout& layout = header->variant == TiffVariant::Big ? kBig : kClassic;
    const ByteOrder order = header->order;
    const std::uint64_t directory = header->firstDirectory;
    const auto size = static_cast<std::uint64_t>(file.size());
    if (!RangeInside(directory, static_cast<std::uint64_t>(layout.count), size))
        return {};
    const auto at = static_cast<qsizetype>(directory);
    const std::uint64_t declared = ReadField(file, at, layout.count, order);
    const qsizetype entries = static_cast<qsizetype>(std::min<std::uint64_t>(
        declared, (size - directory - static_cast<std::uint64_t>(layout.count)) /
                      static_cast<std::uint64_t>(layout.entry)));

    QByteArray kept;
    std::uint64_t keptCount = 0;
    for (qsizetype index = 0; index < entries; ++index) {
        const qsizetype entry = at + layout.count + index * layout.entry;
        if (NeededForPixels(Read16(file, entry, order))) {
            kept.append(file.sliced(entry, layout.entry));
            ++keptCount;
        }
    }
    const qsizetype padding = file.size() % 2;  // a directory starts on a word boundary
    const auto newDirectory = static_cast<std::uint64_t>(file.size() + padding);
    if (newDirectory + static_cast<std::uint64_t>(layout.count + kept.size() + layout.offset) >
        layout.largestOffset)
        return {};

    QByteArray start = file.first(layout.header - layout.offset).toByteArray();
    AppendField(start, newDirectory, layout.offset, order);
    QByteArray appended(padding, '\0');
    AppendField(appended, keptCount, layout.count, order);
    appended.append(kept);
    AppendField(appended, 0, layout.offset, order);  // no next page
    return {DecoderPiece::Made(start),
            DecoderPiece::FromFile(layout.header, file.size() - layout.header),
            DecoderPiece::Made(appended)};
}

}  // namespace

FileFacts ReadTiffFacts(QByteArrayView file)
{
    FileFacts facts;
    facts.properties = PropertySet(ReadTiffItems(file, TiffStructure::File));
    facts.pixelFormat = PixelFormatOf(facts.properties);
    facts.resolution = ResolutionFromTiffTags(facts.properties).value_or(Resolution{});
    facts.decoderInput = DecoderInputForFirstPage(file);
    return facts;
}

}  // namespace veltra::imaging
