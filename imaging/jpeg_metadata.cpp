#include "imaging/jpeg_metadata.h"

#include "imaging/byte_order.h"
#include "imaging/ifd_reader.h"
#include "imaging/jpeg_segments.h"

#include <array>
#include <cstdint>
#include <optional>

namespace veltra::imaging {
namespace {

constexpr std::uint8_t kMarkerDqt = 0xDB;
constexpr std::uint8_t kMarkerApp1 = 0xE1;
constexpr std::uint8_t kMarkerCom = 0xFE;

constexpr PROPID kPropertyTagExifUserComment = 0x9286;
constexpr PROPID kPropertyTagLuminanceTable = 0x5090;
constexpr PROPID kPropertyTagChrominanceTable = 0x5091;

constexpr int kCoefficients = 64;

// A quantisation table is stored in zig-zag order; entry k of the stored table belongs at
// row-major position kNaturalOrder[k] of the 8 x 8 block.
constexpr std::array<std::uint8_t, kCoefficients> kNaturalOrder{
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

// A table as 64 SHORT values, little-endian, in row-major order.
QByteArray NaturalOrderTable(QByteArrayView stored, bool sixteenBit)
{
    QByteArray table(kCoefficients * 2, '\0');
    for (int k = 0; k < kCoefficients; ++k) {
        const std::uint16_t value = sixteenBit ? ReadBig16(stored, qsizetype{k} * 2)
                                               : ByteAt(stored, k);
        const qsizetype at = qsizetype{kNaturalOrder[static_cast<std::size_t>(k)]} * 2;
        table[at] = static_cast<char>(value & 0xFF);
        table[at + 1] = static_cast<char>(value >> 8);
    }
    return table;
}

struct JpegBlocks {
    std::optional<QByteArrayView> exif;
    std::optional<QByteArrayView> comment;
    std::array<std::optional<QByteArray>, 2> quantisationTables;
};

// One DQT segment may define several tables; the first definition of a table wins.
void ReadQuantisationTables(QByteArrayView segment, JpegBlocks& blocks)
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
        if (tableId < 2 && !blocks.quantisationTables[static_cast<std::size_t>(tableId)]) {
            blocks.quantisationTables[static_cast<std::size_t>(tableId)] =
                NaturalOrderTable(segment.sliced(at + 1, tableSize), precision == 1);
        }
        at += 1 + tableSize;
    }
}

JpegBlocks FindBlocks(QByteArrayView file)
{
    JpegBlocks blocks;
    ForEachJpegSegment(file, [&blocks](const JpegSegment& segment) {
        const QByteArrayView exifPrefix("Exif\0\0", 6);
        if (segment.marker == kMarkerApp1 && !blocks.exif && segment.payload.startsWith(exifPrefix))
            blocks.exif = segment.payload.sliced(exifPrefix.size());
        else if (segment.marker == kMarkerCom && !blocks.comment)
            blocks.comment = segment.payload;
        else if (segment.marker == kMarkerDqt)
            ReadQuantisationTables(segment.payload, blocks);
        return true;
    });
    return blocks;
}

}  // namespace

PropertyRecords ReadJpegMetadata(QByteArrayView file)
{
    const JpegBlocks blocks = FindBlocks(file);
    PropertyRecords items;
    if (blocks.exif)
        items = ReadTiffItems(*blocks.exif, TiffStructure::ExifBlock);
    if (blocks.comment) {
        items.push_back(
            PropertyRecord{kPropertyTagExifUserComment, 2, blocks.comment->toByteArray()});
    }
    const std::array tableIds{kPropertyTagLuminanceTable, kPropertyTagChrominanceTable};
    for (std::size_t table = 0; table < tableIds.size(); ++table) {
        if (blocks.quantisationTables[table])
            items.push_back(PropertyRecord{tableIds[table], 3, *blocks.quantisationTables[table]});
    }
    return items;
}

}  // namespace veltra::imaging
