#include "metadata/ifd_walker.h"

#include "imaging/logging.h"
#include "imaging/property_tags.h"
#include "util/byte_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

namespace veltra::imaging {
namespace {

// A real directory holds a few dozen entries. The count field allows 65535, which in a
// hostile file means thousands of junk items; more than this many are not read.
constexpr int kMaxEntriesPerDirectory = 4096;

// BigTIFF's 64-bit types. None is an item type, but a pointer to a directory may be stored
// as LONG8 or IFD8, and is followed all the same.
constexpr std::uint16_t kTypeLong8 = 16;
constexpr std::uint16_t kTypeSLong8 = 17;
constexpr std::uint16_t kTypeIfd8 = 18;

// How a directory is laid out: classic TIFF counts entries in 2 bytes and gives each 12 bytes
// (tag, type, 4-byte count, 4-byte value or offset); BigTIFF counts in 8 bytes and gives each
// 20 (tag, type, 8-byte count, 8-byte value or offset).
struct DirectoryLayout {
    std::uint64_t countSize;
    std::uint64_t entrySize;
    std::uint64_t fieldSize;  // of an entry's count, its inline value and an offset

    static DirectoryLayout Of(TiffVariant variant)
    {
        return variant == TiffVariant::Big ? DirectoryLayout{8, 20, 8} : DirectoryLayout{2, 12, 4};
    }
};

std::uint32_t ElementSize(std::uint16_t type)
{
    if (type == kTypeLong8 || type == kTypeSLong8 || type == kTypeIfd8)
        return 8;
    return TiffTypeElementSize(type);
}

struct ThumbnailIdRow {
    PROPID ifd1Tag;
    PROPID listedId;
};

// IFD1 tags that have a thumbnail counterpart of their own.
constexpr std::array kThumbnailIds{
    ThumbnailIdRow{PropertyTagImageWidth, PropertyTagThumbnailImageWidth},
    ThumbnailIdRow{PropertyTagImageHeight, PropertyTagThumbnailImageHeight},
    ThumbnailIdRow{PropertyTagBitsPerSample, PropertyTagThumbnailBitsPerSample},
    ThumbnailIdRow{PropertyTagCompression, PropertyTagThumbnailCompression},
    ThumbnailIdRow{PropertyTagPhotometricInterp, PropertyTagThumbnailPhotometricInterp},
    ThumbnailIdRow{PropertyTagImageDescription, PropertyTagThumbnailImageDescription},
    ThumbnailIdRow{PropertyTagEquipMake, PropertyTagThumbnailEquipMake},
    ThumbnailIdRow{PropertyTagEquipModel, PropertyTagThumbnailEquipModel},
    ThumbnailIdRow{PropertyTagStripOffsets, PropertyTagThumbnailStripOffsets},
    ThumbnailIdRow{PropertyTagOrientation, PropertyTagThumbnailOrientation},
    ThumbnailIdRow{PropertyTagSamplesPerPixel, PropertyTagThumbnailSamplesPerPixel},
    ThumbnailIdRow{PropertyTagRowsPerStrip, PropertyTagThumbnailRowsPerStrip},
    ThumbnailIdRow{PropertyTagStripBytesCount, PropertyTagThumbnailStripBytesCount},
    ThumbnailIdRow{PropertyTagXResolution, PropertyTagThumbnailResolutionX},
    ThumbnailIdRow{PropertyTagYResolution, PropertyTagThumbnailResolutionY},
    ThumbnailIdRow{PropertyTagPlanarConfig, PropertyTagThumbnailPlanarConfig},
    ThumbnailIdRow{PropertyTagResolutionUnit, PropertyTagThumbnailResolutionUnit},
    ThumbnailIdRow{PropertyTagTransferFuncition, PropertyTagThumbnailTransferFunction},
    ThumbnailIdRow{PropertyTagSoftwareUsed, PropertyTagThumbnailSoftwareUsed},
    ThumbnailIdRow{PropertyTagDateTime, PropertyTagThumbnailDateTime},
    ThumbnailIdRow{PropertyTagArtist, PropertyTagThumbnailArtist},
    ThumbnailIdRow{PropertyTagWhitePoint, PropertyTagThumbnailWhitePoint},
    ThumbnailIdRow{PropertyTagPrimaryChromaticities, PropertyTagThumbnailPrimaryChromaticities},
    ThumbnailIdRow{PropertyTagYCbCrCoefficients, PropertyTagThumbnailYCbCrCoefficients},
    ThumbnailIdRow{PropertyTagYCbCrSubsampling, PropertyTagThumbnailYCbCrSubsampling},
    ThumbnailIdRow{PropertyTagYCbCrPositioning, PropertyTagThumbnailYCbCrPositioning},
    ThumbnailIdRow{PropertyTagREFBlackWhite, PropertyTagThumbnailRefBlackWhite},
    ThumbnailIdRow{PropertyTagCopyright, PropertyTagThumbnailCopyRight},
};

// The width of the numbers that change byte order: a rational is two 4-byte numbers, not
// one 8-byte number; bytes and text never change.
qsizetype SwapUnit(TiffType type)
{
    switch (type) {
    case TiffType::Short:
    case TiffType::SShort:
        return 2;
    case TiffType::Long:
    case TiffType::Rational:
    case TiffType::SLong:
    case TiffType::SRational:
    case TiffType::Float:
        return 4;
    case TiffType::Double:
        return 8;
    default:
        return 1;
    }
}

QByteArray ToLittleEndian(QByteArrayView stored, TiffType type, ByteOrder order)
{
    QByteArray value = stored.toByteArray();
    const qsizetype unit = SwapUnit(type);
    if (order == ByteOrder::Big && unit > 1) {
        for (qsizetype at = 0; at + unit <= value.size(); at += unit)
            std::reverse(value.begin() + at, value.begin() + at + unit);
    }
    return value;
}

struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint64_t count = 0;
    // The value bytes in the file's byte order; unset when the type is unknown, the size
    // overflows or the bytes lie outside the structure.
    std::optional<QByteArrayView> stored;
};

struct Directory {
    std::vector<Entry> entries;
    std::optional<std::uint64_t> nextOffset;
};

class IfdWalker {
public:
    IfdWalker(QByteArrayView tiff, const TiffHeader& header)
        : m_tiff(tiff),
          m_order(header.order),
          m_layout(DirectoryLayout::Of(header.variant))
    {
    }

    ByteOrder order() const { return m_order; }
    QByteArrayView bytes() const { return m_tiff; }

    // The directory at `offset`, or nothing when it lies outside the structure or was read
    // before: a pointer back to an earlier directory would otherwise repeat it forever.
    std::optional<Directory> readDirectory(std::uint64_t offset)
    {
        if (!m_visited.insert(offset).second) {
            qCInfo(lcImaging, "directory at offset %llu was read already; the pointer is ignored",
                   static_cast<unsigned long long>(offset));
            return std::nullopt;
        }
        const auto size = static_cast<std::uint64_t>(m_tiff.size());
        if (!RangeInside(offset, m_layout.countSize, size)) {
            qCInfo(lcImaging, "directory at offset %llu lies outside the data; ignored",
                   static_cast<unsigned long long>(offset));
            return std::nullopt;
        }
        const std::uint64_t storedCount = readField(offset, m_layout.countSize);
        const std::uint64_t firstEntry = offset + m_layout.countSize;

        Directory directory;
        const auto readable =
            static_cast<int>(std::min<std::uint64_t>(storedCount, kMaxEntriesPerDirectory));
        if (static_cast<std::uint64_t>(readable) < storedCount)
            qCInfo(lcImaging, "directory at offset %llu claims %llu entries; only %d are read",
                   static_cast<unsigned long long>(offset),
                   static_cast<unsigned long long>(storedCount), readable);
        directory.entries.reserve(static_cast<std::size_t>(readable));
        for (int index = 0; index < readable; ++index) {
            const std::uint64_t at =
                firstEntry + static_cast<std::uint64_t>(index) * m_layout.entrySize;
            // A truncated directory ends where the structure ends.
            if (!RangeInside(at, m_layout.entrySize, size)) {
                qCInfo(lcImaging, "directory at offset %llu is cut off after %d entries",
                       static_cast<unsigned long long>(offset), index);
                break;
            }
            directory.entries.push_back(readEntry(static_cast<qsizetype>(at)));
        }
        // A count the structure cannot hold leaves no place for the next offset; a BigTIFF
        // count of 2^60 entries would overflow the product.
        if (storedCount <= size / m_layout.entrySize) {
            const std::uint64_t nextAt = firstEntry + storedCount * m_layout.entrySize;
            if (RangeInside(nextAt, m_layout.fieldSize, size))
                directory.nextOffset = readField(nextAt, m_layout.fieldSize);
        }
        return directory;
    }

    // The offset a pointer entry holds: its first element, stored as LONG or IFD (or, in a
    // BigTIFF, as LONG8 or IFD8).
    std::optional<std::uint64_t> pointerTarget(const Entry& entry) const
    {
        if (!entry.stored || entry.count == 0)
            return std::nullopt;
        const auto type = static_cast<TiffType>(entry.type);
        if (type == TiffType::Long || type == TiffType::Ifd)
            return Read32(*entry.stored, 0, m_order);
        if (entry.type == kTypeLong8 || entry.type == kTypeIfd8)
            return Read64(*entry.stored, 0, m_order);
        return std::nullopt;
    }

    // The first element of a SHORT or LONG entry, as thumbnail offsets and lengths are kept.
    std::optional<std::uint32_t> firstUnsigned(const Entry& entry) const
    {
        if (!entry.stored || entry.count == 0)
            return std::nullopt;
        if (static_cast<TiffType>(entry.type) == TiffType::Short)
            return Read16(*entry.stored, 0, m_order);
        if (static_cast<TiffType>(entry.type) == TiffType::Long)
            return Read32(*entry.stored, 0, m_order);
        return std::nullopt;
    }

    // The entry as an item, when its value fits what is left of the file's budget.
    std::optional<PropertyRecord> toRecord(const Entry& entry, PROPID id, ItemBudget& budget) const
    {
        if (!budget.take(entry.stored->size())) {
            qCInfo(lcImaging, "tag 0x%04x: its %lld value bytes pass the file's budget; skipped",
                   entry.tag, static_cast<long long>(entry.stored->size()));
            return std::nullopt;
        }
        const auto type = static_cast<TiffType>(entry.type);
        return PropertyRecord{id, type, ToLittleEndian(*entry.stored, type, m_order)};
    }

private:
    std::uint64_t readField(std::uint64_t at, std::uint64_t fieldSize) const
    {
        const auto offset = static_cast<qsizetype>(at);
        if (fieldSize == 8)
            return Read64(m_tiff, offset, m_order);
        if (fieldSize == 4)
            return Read32(m_tiff, offset, m_order);
        return Read16(m_tiff, offset, m_order);
    }

    Entry readEntry(qsizetype at) const
    {
        Entry entry;
        entry.tag = Read16(m_tiff, at, m_order);
        entry.type = Read16(m_tiff, at + 2, m_order);
        entry.count = readField(static_cast<std::uint64_t>(at) + 4, m_layout.fieldSize);
        const std::uint64_t elementSize = ElementSize(entry.type);
        if (elementSize == 0) {
            qCInfo(lcImaging, "tag 0x%04x has unknown type %u; skipped", entry.tag, entry.type);
            return entry;
        }
        // A value larger than the structure cannot be inside it; checking here keeps a wrapped
        // product from passing as a small size.
        const auto size = static_cast<std::uint64_t>(m_tiff.size());
        if (entry.count > size / elementSize) {
            qCInfo(lcImaging, "tag 0x%04x claims %llu values, more than the data holds; skipped",
                   entry.tag, static_cast<unsigned long long>(entry.count));
            return entry;
        }
        const std::uint64_t byteCount = entry.count * elementSize;
        const std::uint64_t valueField = static_cast<std::uint64_t>(at) + 4 + m_layout.fieldSize;
        std::uint64_t valueAt = valueField;
        if (byteCount > m_layout.fieldSize)
            valueAt = readField(valueField, m_layout.fieldSize);
        if (!RangeInside(valueAt, byteCount, size)) {
            qCInfo(lcImaging, "tag 0x%04x: its %llu value bytes lie outside the data; skipped",
                   entry.tag, static_cast<unsigned long long>(byteCount));
            return entry;
        }
        entry.stored = m_tiff.sliced(static_cast<qsizetype>(valueAt),
                                     static_cast<qsizetype>(byteCount));
        return entry;
    }

    QByteArrayView m_tiff;
    ByteOrder m_order;
    DirectoryLayout m_layout;
    std::unordered_set<std::uint64_t> m_visited;
};

bool IsListable(const Entry& entry)
{
    return entry.stored.has_value() && IsItemType(entry.type);
}

void Append(const IfdWalker& walker, const Entry& entry, PROPID id, ItemBudget& budget,
            PropertyRecords& items)
{
    if (!IsListable(entry))
        return;
    if (std::optional<PropertyRecord> record = walker.toRecord(entry, id, budget))
        items.push_back(std::move(*record));
}

// The Exif and GPS directories are listed directly after the IFD0 entry that points to them.
void AppendIfd0(IfdWalker& walker, const Directory& ifd0, ItemBudget& budget,
                PropertyRecords& items)
{
    for (const Entry& entry : ifd0.entries) {
        Append(walker, entry, entry.tag, budget, items);
        if (entry.tag != PropertyTagExifIFD && entry.tag != PropertyTagGpsIFD)
            continue;
        const std::optional<std::uint64_t> target = walker.pointerTarget(entry);
        if (!target)
            continue;
        const std::optional<Directory> subDirectory = walker.readDirectory(*target);
        if (!subDirectory)
            continue;
        // The Exif directory's interoperability pointer (0xA005) is listed like any entry,
        // but its directory is not read: its ids 1 and 2 would pass for GPS tags.
        for (const Entry& subEntry : subDirectory->entries)
            Append(walker, subEntry, subEntry.tag, budget, items);
    }
}

std::optional<QByteArrayView> ThumbnailData(const IfdWalker& walker, const Directory& ifd1)
{
    std::optional<std::uint32_t> offset;
    std::optional<std::uint32_t> length;
    for (const Entry& entry : ifd1.entries) {
        if (entry.tag == PropertyTagJPEGInterFormat && !offset)
            offset = walker.firstUnsigned(entry);
        else if (entry.tag == PropertyTagJPEGInterLength && !length)
            length = walker.firstUnsigned(entry);
    }
    if (!offset || !length || *length == 0 ||
        !RangeInside(*offset, *length, static_cast<std::uint64_t>(walker.bytes().size())))
        return std::nullopt;
    return walker.bytes().sliced(static_cast<qsizetype>(*offset), static_cast<qsizetype>(*length));
}

void AppendIfd1(IfdWalker& walker, const Directory& ifd1, ItemBudget& budget,
                PropertyRecords& items)
{
    if (const std::optional<QByteArrayView> thumbnail = ThumbnailData(walker, ifd1)) {
        if (budget.take(thumbnail->size()))
            items.push_back(
                PropertyRecord{PropertyTagThumbnailData, TiffType::Byte, thumbnail->toByteArray()});
    }
    for (const Entry& entry : ifd1.entries)
        Append(walker, entry, ThumbnailPropertyId(entry.tag), budget, items);
}

}  // namespace

namespace {

// The items of the directories under a header, IFD0 entries below `firstIfd0Tag` left out.
PropertyRecords ReadItemsUnder(QByteArrayView tiff, const TiffHeader& header,
                               TiffStructure structure, ItemBudget& budget, PROPID firstIfd0Tag);

}  // namespace

PropertyRecords ReadTiffItems(QByteArrayView tiff, TiffStructure structure, ItemBudget& budget)
{
    const std::optional<TiffHeader> header = ReadTiffHeader(tiff);
    if (!header)
        return {};
    return ReadItemsUnder(tiff, *header, structure, budget, 0);
}

PropertyRecords ReadTiffLikeItems(QByteArrayView tiff, ByteOrder order, TiffStructure structure,
                                  ItemBudget& budget, PROPID firstIfd0Tag)
{
    if (tiff.size() < 8)
        return {};
    const TiffHeader header{order, TiffVariant::Classic, Read32(tiff, 4, order)};
    return ReadItemsUnder(tiff, header, structure, budget, firstIfd0Tag);
}

namespace {

PropertyRecords ReadItemsUnder(QByteArrayView tiff, const TiffHeader& header,
                               TiffStructure structure, ItemBudget& budget, PROPID firstIfd0Tag)
{
    PropertyRecords items;
    IfdWalker walker(tiff, header);
    std::optional<Directory> ifd0 = walker.readDirectory(header.firstDirectory);
    if (!ifd0)
        return items;
    std::erase_if(ifd0->entries,
                  [firstIfd0Tag](const Entry& entry) { return entry.tag < firstIfd0Tag; });
    AppendIfd0(walker, *ifd0, budget, items);

    if (structure != TiffStructure::ExifBlock || !ifd0->nextOffset || *ifd0->nextOffset == 0)
        return items;
    if (const std::optional<Directory> ifd1 = walker.readDirectory(*ifd0->nextOffset))
        AppendIfd1(walker, *ifd1, budget, items);
    return items;
}

}  // namespace

PropertyRecords ReadTiffItems(QByteArrayView tiff, TiffStructure structure)
{
    ItemBudget budget;
    return ReadTiffItems(tiff, structure, budget);
}

std::optional<ByteOrder> TiffByteOrder(QByteArrayView head)
{
    if (head.startsWith(QByteArrayView("II\x2A\x00", 4)))
        return ByteOrder::Little;
    if (head.startsWith(QByteArrayView("MM\x00\x2A", 4)))
        return ByteOrder::Big;
    return std::nullopt;
}

std::optional<ByteOrder> BigTiffByteOrder(QByteArrayView head)
{
    // The version 43 and then the size of an offset, 8, and a zero word.
    if (head.startsWith(QByteArrayView("II\x2B\x00\x08\x00\x00\x00", 8)))
        return ByteOrder::Little;
    if (head.startsWith(QByteArrayView("MM\x00\x2B\x00\x08\x00\x00", 8)))
        return ByteOrder::Big;
    return std::nullopt;
}

std::optional<TiffHeader> ReadTiffHeader(QByteArrayView bytes)
{
    if (const std::optional<ByteOrder> order = TiffByteOrder(bytes); order && bytes.size() >= 8)
        return TiffHeader{*order, TiffVariant::Classic, Read32(bytes, 4, *order)};
    if (const std::optional<ByteOrder> order = BigTiffByteOrder(bytes); order && bytes.size() >= 16)
        return TiffHeader{*order, TiffVariant::Big, Read64(bytes, 8, *order)};
    return std::nullopt;
}

QByteArrayView SkipExifPrefix(QByteArrayView payload)
{
    return payload.startsWith(kExifPrefix) ? payload.sliced(kExifPrefix.size()) : payload;
}

PROPID ThumbnailPropertyId(PROPID ifd1Tag)
{
    for (const ThumbnailIdRow& row : kThumbnailIds) {
        if (row.ifd1Tag == ifd1Tag)
            return row.listedId;
    }
    return ifd1Tag;
}

}  // namespace veltra::imaging
