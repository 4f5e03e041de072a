#include "formats/jpeg/jpeg_reader.h"

#include "formats/jpeg/jpeg_frame_size.h"
#include "formats/jpeg/jpeg_segments.h"
#include "formats/jpeg/jpeg_structure.h"
#include "formats/pixel_budget.h"
#include "imaging/property_tags.h"
#include "metadata/ifd_walker.h"
#include "util/byte_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace veltra::imaging {
namespace {


constexpr int kCoefficients = 64;

// A table as 64 SHORT values, little-endian, in row-major order.
QByteArray NaturalOrderTable(QByteArrayView stored, bool sixteenBit)
{
    QByteArray table(kCoefficients * 2, '\0');
    for (int k = 0; k < kCoefficients; ++k) {
        const std::uint16_t value = sixteenBit ? ReadBig16(stored, qsizetype{k} * 2)
                                               : ByteAt(stored, k);
        const qsizetype at = qsizetype{kJpegNaturalOrder[static_cast<std::size_t>(k)]} * 2;
        table[at] = static_cast<char>(value & 0xFF);
        table[at + 1] = static_cast<char>(value >> 8);
    }
    return table;
}

// What the segments before the first scan hold, each the first of its kind.
struct JpegSegments {
    bool frameSeen = false;
    std::optional<PixelFormat> pixelFormat;
    // The 8 x 8 blocks the first frame header declares, over all components, and whether its
    // data is arithmetic-coded.
    std::uint64_t blocks = 0;
    bool arithmetic = false;
    std::optional<Resolution> jfifDensity;
    bool jfifSeen = false;
    std::optional<QByteArrayView> exif;
    std::optional<QByteArrayView> comment;
    std::array<std::optional<QByteArray>, 2> quantisationTables;
};

// Arithmetic coding: SOF9 to SOF11 and SOF13 to SOF15.
bool IsArithmeticFrame(std::uint8_t marker)
{
    return marker >= 0xC9 && marker != 0xCC;
}

// Each component covers its share of the picture, by its sampling factors against the largest,
// in whole blocks of 8 x 8 samples.
std::uint64_t BlocksDeclared(QByteArrayView frameHeader)
{
    constexpr qsizetype kComponentsAt = 6;
    if (frameHeader.size() < kComponentsAt)
        return 0;
    const std::uint64_t height = ReadBig16(frameHeader, 1);
    const std::uint64_t width = ReadBig16(frameHeader, 3);
    const int components = ByteAt(frameHeader, 5);
    if (frameHeader.size() < kComponentsAt + 3 * components)
        return 0;
    std::uint64_t maxHorizontal = 1;
    std::uint64_t maxVertical = 1;
    for (int i = 0; i < components; ++i) {
        const std::uint8_t sampling = ByteAt(frameHeader, kComponentsAt + 3 * i + 1);
        maxHorizontal = std::max<std::uint64_t>(maxHorizontal, sampling >> 4);
        maxVertical = std::max<std::uint64_t>(maxVertical, sampling & 0x0F);
    }
    std::uint64_t blocks = 0;
    for (int i = 0; i < components; ++i) {
        const std::uint8_t sampling = ByteAt(frameHeader, kComponentsAt + 3 * i + 1);
        const std::uint64_t samplesAcross = (width * (sampling >> 4) + maxHorizontal - 1) / maxHorizontal;
        const std::uint64_t samplesDown = (height * (sampling & 0x0F) + maxVertical - 1) / maxVertical;
        blocks += ((samplesAcross + 7) / 8) * ((samplesDown + 7) / 8);
    }
    return blocks;
}

std::optional<PixelFormat> PixelFormatOfComponents(QByteArrayView frameHeader)
{
    // Precision (1), height (2), width (2), component count (1).
    if (frameHeader.size() < 6)
        return std::nullopt;
    switch (ByteAt(frameHeader, 5)) {
    case 1: return PixelFormat8bppIndexed;
    case 3: return PixelFormat24bppRGB;
    case 4: return PixelFormat32bppCMYK;
    default: return std::nullopt;
    }
}

// "JFIF\0", version (2), unit (1), x density (2), y density (2). Unit 1 is dots per inch, 2
// dots per centimetre; 0 gives only the aspect ratio.
std::optional<Resolution> JfifDensity(QByteArrayView app0)
{
    const int unit = ByteAt(app0, 7);
    const double x = ReadBig16(app0, 8);
    const double y = ReadBig16(app0, 10);
    if (unit == 1)
        return DeclaredResolution(x, y);
    if (unit == 2)
        return DeclaredResolution(x * kCentimetresPerInch, y * kCentimetresPerInch);
    return std::nullopt;
}

// One DQT segment may define several tables; the first definition of a table wins.
void ReadQuantisationTables(QByteArrayView segment, JpegSegments& found)
{
    qsizetype at = 0;
    while (at < segment.size()) {
        const std::uint8_t precisionAndId = ByteAt(segment, at);
        const int precision = precisionAndId >> 4;
        const int tableId = precisionAndId & 0x0F;
        if (precision > 1)
            return;
        const qsizetype tableSize = kCoefficients * (precision + 1);
        if (!RangeInside(static_cast<std::uint64_t>(at) + 1, static_cast<std::uint64_t>(tableSize),
                         static_cast<std::uint64_t>(segment.size())))
            return;
        if (tableId < 2 && !found.quantisationTables[static_cast<std::size_t>(tableId)]) {
            found.quantisationTables[static_cast<std::size_t>(tableId)] =
                NaturalOrderTable(segment.sliced(at + 1, tableSize), precision == 1);
        }
        at += 1 + tableSize;
    }
}

JpegSegments WalkSegments(QByteArrayView file)
{
    JpegSegments found;
    ForEachJpegSegment(file, [&found](const JpegSegment& segment) {
        const QByteArrayView payload = segment.payload;
        // Only the first frame header counts, even when it says nothing usable.
        if (IsJpegFrameHeader(segment.marker) && !found.frameSeen) {
            found.frameSeen = true;
            found.pixelFormat = PixelFormatOfComponents(payload);
            found.blocks = BlocksDeclared(payload);
            found.arithmetic = IsArithmeticFrame(segment.marker);
        } else if (segment.marker == kJpegMarkerApp0 && !found.jfifSeen && payload.size() >= 12 &&
            payload.first(5) == QByteArrayView("JFIF\0", 5)) {
            found.jfifSeen = true;
            found.jfifDensity = JfifDensity(payload);
        } else if (segment.marker == kJpegMarkerApp1 && !found.exif && payload.startsWith(kExifPrefix)) {
            found.exif = payload.sliced(kExifPrefix.size());
        } else if (segment.marker == kJpegMarkerCom && !found.comment) {
            found.comment = payload;
        } else if (segment.marker == kJpegMarkerDqt) {
            ReadQuantisationTables(payload, found);
        }
        return true;
    });
    return found;
}

bool IsJpeg(QByteArrayView head)
{
    return head.startsWith("\xFF\xD8\xFF");
}

// The items: those of the first Exif APP1 segment, then the first comment as 0x9286 (ASCII,
// as stored), then quantisation tables 0 and 1.
FileFacts ReadJpeg(QByteArrayView file)
{
    const JpegSegments found = WalkSegments(file);
    PropertyRecords items;
    ItemBudget budget;
    if (found.exif)
        items = ReadTiffItems(*found.exif, TiffStructure::ExifBlock, budget);
    if (found.comment && budget.take(found.comment->size())) {
        items.push_back(
            PropertyRecord{PropertyTagExifUserComment, TiffType::Ascii, found.comment->toByteArray()});
    }
    const std::array tableIds{PropertyTagLuminanceTable, PropertyTagChrominanceTable};
    for (std::size_t table = 0; table < tableIds.size(); ++table) {
        if (found.quantisationTables[table]) {
            items.push_back(
                PropertyRecord{tableIds[table], TiffType::Short, *found.quantisationTables[table]});
        }
    }

    FileFacts facts;
    facts.pixelFormat = found.pixelFormat;
    // Huffman coding spends at least one bit on every block it codes: a file with fewer bits
    // than blocks cannot hold its picture. Arithmetic coding can spend less on a flat picture;
    // its files are left to the pixel budget.
    facts.tooLittleDataForDeclaredSize =
        !found.arithmetic && found.blocks > static_cast<std::uint64_t>(file.size()) * 8;
    facts.properties = PropertySet(std::move(items));
    // A JFIF density in real units wins; otherwise the Exif resolution tags; otherwise 96.
    std::optional<Resolution> resolution = found.jfifDensity;
    if (!resolution)
        resolution = ResolutionFromTiffTags(facts.properties);
    facts.resolution = resolution.value_or(Resolution{});
    return facts;
}

// The decoder's own reading of the headers says whether it accepts the file and its size.
GpStatus ProbeJpeg(QByteArrayView file, const FileFacts& /*facts*/, FrameHeader* header)
{
    const GpStatus status = ReadJpegFrameSize(file, &header->size, PixelBudgetFor(file.size()));
    if (status == Ok)
        header->decodedPixelFormat = PixelFormat24bppRGB;  // decoded JPEG pixels have no alpha
    return status;
}

constexpr ContentKind kJpegKinds[]{
    {.name = "jpeg", .extensions = "jpg jpeg jpe jfif", .mimeTypes = "image/jpeg"},
};

}  // namespace

const FormatReader kJpegFormat{
    .format = FileFormat::Jpeg,
    .rawFormat = ImageFormatJPEG,
    .kinds = kJpegKinds,
    .matches = IsJpeg,
    .read = ReadJpeg,
    .probe = ProbeJpeg,
    .structure = ReadJpegStructure,
};

}  // namespace veltra::imaging
