#include "formats/raw/raw_containers.h"

#include "formats/jpeg/jpeg_segments.h"
#include "imaging/iso_boxes.h"
#include "imaging/logging.h"
#include "imaging/property_tags.h"
#include "metadata/ifd_walker.h"
#include "util/byte_reader.h"

#include <QDateTime>
#include <QTimeZone>

#include <unordered_set>

namespace veltra::imaging {
namespace {

// The uuid box inside moov that holds Canon's metadata boxes, and the top-level one that
// holds the preview.
constexpr QByteArrayView kCanonMetadataUuid(
    "\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48", 16);
constexpr QByteArrayView kCanonPreviewUuid(
    "\xea\xf4\x2b\x5e\x1c\x98\x4b\x88\xb9\xfb\xb7\xdc\x40\x6e\x4d\x16", 16);
constexpr qsizetype kUuidSize = 16;

// The JPEG that starts within the first bytes of a box: Canon puts a few header fields of
// its own (version, size) before it.
QByteArrayView JpegWithin(QByteArrayView content)
{
    constexpr qsizetype kLookedAt = 64;
    const qsizetype start = content.first(std::min(content.size(), kLookedAt))
                                .indexOf(QByteArrayView("\xFF\xD8\xFF", 3));
    return start < 0 ? QByteArrayView() : content.sliced(start);
}

QByteArrayView Uuid(const IsoBox& box)
{
    return box.content.size() >= kUuidSize ? box.content.first(kUuidSize) : QByteArrayView();
}

void ReadCanonMetadata(QByteArrayView content, Cr3Boxes& found)
{
    for (const IsoBox& box : SplitIsoBoxes(content).boxes) {
        if (box.type == BoxType("CMT1"))
            found.cmt1 = box.content;
        else if (box.type == BoxType("CMT2"))
            found.cmt2 = box.content;
        else if (box.type == BoxType("CMT4"))
            found.cmt4 = box.content;
        else if (box.type == BoxType("THMB"))
            found.thumbnailJpeg = JpegWithin(box.content);
    }
}

// CIFF records: a 16-bit tag whose top bits tell where the value is, a size and an offset
// from the start of the heap that holds it.
constexpr std::uint16_t kCiffValueInRecord = 0x4000;
constexpr std::uint16_t kCiffMakeModel = 0x080A;
constexpr std::uint16_t kCiffFirmware = 0x080B;
constexpr std::uint16_t kCiffOwnerName = 0x0810;
constexpr std::uint16_t kCiffTimeStamp = 0x180E;
constexpr int kCiffMaxDepth = 4;
constexpr int kCiffMaxRecords = 4096;

struct CiffValues {
    QByteArray make;
    QByteArray model;
    QByteArray firmware;
    QByteArray owner;
    std::optional<std::uint32_t> timeStamp;
};

QByteArray CiffText(QByteArrayView value)
{
    const qsizetype end = value.indexOf('\0');
    return (end < 0 ? value : value.first(end)).toByteArray();
}

class CiffReader {
public:
    CiffReader(QByteArrayView file, ByteOrder order) : m_file(file), m_order(order) {}

    void readHeap(qsizetype start, qsizetype length, int depth)
    {
        if (depth > kCiffMaxDepth || length < 4 || !m_heaps.insert(start).second)
            return;
        const std::uint64_t table = std::uint64_t(start) + Read32(m_file, start + length - 4, m_order);
        if (!RangeInside(table, 2, std::uint64_t(start + length)))
            return;
        const int count = Read16(m_file, qsizetype(table), m_order);
        for (int index = 0; index < count && m_records < kCiffMaxRecords; ++index, ++m_records) {
            const std::uint64_t record = table + 2 + std::uint64_t(index) * 10;
            if (!RangeInside(record, 10, std::uint64_t(start + length)))
                return;
            readRecord(qsizetype(record), start, length, depth);
        }
    }

    CiffValues values;

private:
    void readRecord(qsizetype record, qsizetype heapStart, qsizetype heapLength, int depth)
    {
        const std::uint16_t tag = Read16(m_file, record, m_order);
        QByteArrayView value;
        if (tag & kCiffValueInRecord) {
            value = m_file.sliced(record + 2, 8);
        } else {
            const std::uint32_t size = Read32(m_file, record + 2, m_order);
            const std::uint64_t at = std::uint64_t(heapStart) + Read32(m_file, record + 6, m_order);
            if (!RangeInside(at, size, std::uint64_t(heapStart + heapLength)))
                return;
            value = m_file.sliced(qsizetype(at), qsizetype(size));
            const int storage = (tag >> 8) & 0x38;
            if (storage == 0x28 || storage == 0x30) {
                readHeap(qsizetype(at), qsizetype(size), depth + 1);
                return;
            }
        }
        switch (tag & 0x3FFF) {
        case kCiffMakeModel:
            values.make = CiffText(value);
            if (values.make.size() + 1 < value.size())
                values.model = CiffText(value.sliced(values.make.size() + 1));
            break;
        case kCiffFirmware: values.firmware = CiffText(value); break;
        case kCiffOwnerName: values.owner = CiffText(value); break;
        case kCiffTimeStamp:
            if (value.size() >= 4)
                values.timeStamp = Read32(value, 0, m_order);
            break;
        default: break;
        }
    }

    QByteArrayView m_file;
    ByteOrder m_order;
    std::unordered_set<qsizetype> m_heaps;
    int m_records = 0;
};

void AppendText(PropertyRecords& items, PROPID id, const QByteArray& text, ItemBudget& budget)
{
    if (text.isEmpty() || !budget.take(text.size() + 1))
        return;
    items.push_back(PropertyRecord{id, TiffType::Ascii, text + '\0'});
}

}  // namespace

Cr3Boxes ReadCr3Boxes(QByteArrayView file)
{
    Cr3Boxes found;
    for (const IsoBox& box : SplitIsoBoxes(file).boxes) {
        if (box.type == BoxType("moov")) {
            for (const IsoBox& child : SplitIsoBoxes(box.content).boxes) {
                if (child.type == BoxType("uuid") && Uuid(child) == kCanonMetadataUuid)
                    ReadCanonMetadata(child.content.sliced(kUuidSize), found);
            }
        } else if (box.type == BoxType("uuid") && Uuid(box) == kCanonPreviewUuid) {
            // The PRVW box follows a few bytes of Canon's own after the uuid.
            const QByteArrayView rest = box.content.sliced(kUuidSize);
            const qsizetype at = rest.first(std::min<qsizetype>(rest.size(), 32)).indexOf("PRVW");
            if (at >= 4)
                found.previewJpeg = JpegWithin(rest.sliced(at + 4));
        }
    }
    return found;
}

QByteArrayView RafJpeg(QByteArrayView file)
{
    constexpr qsizetype kJpegOffsetAt = 84;
    if (file.size() < kJpegOffsetAt + 8)
        return {};
    const std::uint32_t offset = ReadBig32(file, kJpegOffsetAt);
    const std::uint32_t length = ReadBig32(file, kJpegOffsetAt + 4);
    if (!RangeInside(offset, length, std::uint64_t(file.size())))
        return {};
    return file.sliced(offset, length);
}

QByteArrayView JpegExifBlock(QByteArrayView jpeg)
{
    QByteArrayView exif;
    ForEachJpegSegment(jpeg, [&exif](const JpegSegment& segment) {
        if (segment.marker == kJpegMarkerApp1 && segment.payload.startsWith(kExifPrefix)) {
            exif = segment.payload.sliced(kExifPrefix.size());
            return false;
        }
        return true;
    });
    return exif;
}

QByteArrayView MrwTiffBlock(QByteArrayView file)
{
    constexpr qsizetype kBlockHeader = 8;
    if (file.size() < kBlockHeader)
        return {};
    const std::uint64_t end = std::min<std::uint64_t>(std::uint64_t(kBlockHeader) + ReadBig32(file, 4),
                                                      std::uint64_t(file.size()));
    std::uint64_t at = kBlockHeader;
    while (RangeInside(at, kBlockHeader, end)) {
        const QByteArrayView name = file.sliced(qsizetype(at), 4);
        const std::uint32_t length = ReadBig32(file, qsizetype(at) + 4);
        if (!RangeInside(at + kBlockHeader, length, end))
            return {};
        if (name == QByteArrayView("\0TTW", 4))
            return file.sliced(qsizetype(at) + kBlockHeader, length);
        at += kBlockHeader + length;
    }
    return {};
}

PropertyRecords ReadCiffItems(QByteArrayView file, ItemBudget& budget)
{
    PropertyRecords items;
    constexpr qsizetype kHeaderFields = 14;
    if (file.size() < kHeaderFields)
        return items;
    const ByteOrder order = file.startsWith("MM") ? ByteOrder::Big : ByteOrder::Little;
    const std::uint32_t heapStart = Read32(file, 2, order);
    if (heapStart < kHeaderFields || heapStart >= file.size()) {
        qCInfo(lcImaging, "the CRW's heap lies outside the file");
        return items;
    }
    CiffReader reader(file, order);
    reader.readHeap(heapStart, file.size() - heapStart, 0);
    const CiffValues& values = reader.values;
    AppendText(items, PropertyTagEquipMake, values.make, budget);
    AppendText(items, PropertyTagEquipModel, values.model, budget);
    AppendText(items, PropertyTagSoftwareUsed, values.firmware, budget);
    AppendText(items, PropertyTagArtist, values.owner, budget);
    if (values.timeStamp) {
        // The camera's clock, counted from 1970 as if it were universal time.
        const QByteArray when = QDateTime::fromSecsSinceEpoch(*values.timeStamp, QTimeZone::utc())
                                    .toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"))
                                    .toLatin1();
        AppendText(items, PropertyTagExifDTOrig, when, budget);
    }
    return items;
}

}  // namespace veltra::imaging
