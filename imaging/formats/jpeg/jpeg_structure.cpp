#include "formats/jpeg/jpeg_structure.h"

#include "formats/jpeg/jpeg_segments.h"
#include "metadata/ifd_walker.h"
#include "metadata/item_budget.h"
#include "metadata/photoshop_resources.h"
#include "util/byte_reader.h"

#include <algorithm>
#include <map>

namespace veltra::imaging {
namespace {

constexpr QByteArrayView kXmpPrefix("http://ns.adobe.com/xap/1.0/\0", 29);
constexpr QByteArrayView kIccPrefix("ICC_PROFILE\0", 12);
constexpr QByteArrayView kMpfPrefix("MPF\0", 4);
constexpr QByteArrayView kPhotoshopPrefix("Photoshop 3.0\0", 14);

constexpr PROPID kMpEntryTag = 0xB002;
constexpr qsizetype kMpEntrySize = 16;

std::optional<JpegFrame> ReadFrame(std::uint8_t marker, QByteArrayView payload)
{
    if (payload.size() < 6)
        return std::nullopt;
    JpegFrame frame;
    frame.marker = marker;
    frame.precision = ByteAt(payload, 0);
    frame.height = ReadBig16(payload, 1);
    frame.width = ReadBig16(payload, 3);
    const int count = ByteAt(payload, 5);
    for (int i = 0; i < count && 6 + 3 * i + 2 < payload.size(); ++i) {
        const std::uint8_t sampling = ByteAt(payload, 6 + 3 * i + 1);
        frame.components.push_back(JpegComponent{ByteAt(payload, 6 + 3 * i), sampling >> 4,
                                                 sampling & 0x0F, ByteAt(payload, 6 + 3 * i + 2)});
    }
    return frame;
}

void ReadQuantisationTables(QByteArrayView payload, FileStructure* out)
{
    qsizetype at = 0;
    while (at < payload.size()) {
        const std::uint8_t precisionAndId = ByteAt(payload, at);
        const int precision = precisionAndId >> 4;
        if (precision > 1)
            return;
        const qsizetype size = 64 * (precision + 1);
        if (at + 1 + size > payload.size())
            return;
        JpegQuantisationTable table;
        table.id = precisionAndId & 0x0F;
        table.precision = precision == 1 ? 16 : 8;
        for (int k = 0; k < 64; ++k) {
            table.steps[kJpegNaturalOrder[std::size_t(k)]] =
                precision == 1 ? ReadBig16(payload, at + 1 + 2 * k) : ByteAt(payload, at + 1 + k);
        }
        out->quantisationTables.push_back(table);
        at += 1 + size;
    }
}

// The MP Index IFD's entries: 16 bytes each, in the MPF structure's own byte order.
std::vector<MpfPicture> ReadMpfPictures(QByteArrayView tiff)
{
    const std::optional<ByteOrder> order = TiffByteOrder(tiff);
    if (!order)
        return {};
    ItemBudget budget(64 * 1024);
    for (const PropertyRecord& record : ReadTiffItems(tiff, TiffStructure::File, budget)) {
        if (record.id != kMpEntryTag)
            continue;
        std::vector<MpfPicture> pictures;
        const QByteArrayView entries(record.value);
        for (qsizetype at = 0; at + kMpEntrySize <= entries.size(); at += kMpEntrySize) {
            pictures.push_back(MpfPicture{Read32(entries, at, *order), Read32(entries, at + 4, *order),
                                          Read32(entries, at + 8, *order)});
        }
        return pictures;
    }
    return {};
}

// The first thumbnail among an APP13 segment's Photoshop resources.
std::optional<PhotoshopThumbnail> ReadPhotoshopThumbnail(QByteArrayView resources, ItemBudget& budget)
{
    std::optional<PhotoshopThumbnail> thumbnail;
    ForEachPhotoshopResource(resources, [&](std::uint16_t id, QByteArrayView data) {
        if (id != kPhotoshopThumbnail && id != kPhotoshopOldThumbnail)
            return true;
        thumbnail = ReadPhotoshopThumbnailResource(data, budget);
        return !thumbnail;
    });
    return thumbnail;
}

}  // namespace

void ReadJpegStructure(QByteArrayView file, FileStructure* out)
{
    ItemBudget budget;
    std::map<int, QByteArrayView> iccChunks;  // by sequence number, the first of each
    ForEachJpegSegment(file, [&](const JpegSegment& segment) {
        const QByteArrayView payload = segment.payload;
        if (IsJpegFrameHeader(segment.marker)) {
            if (!out->frame)
                out->frame = ReadFrame(segment.marker, payload);
        } else if (segment.marker == kJpegMarkerDqt) {
            ReadQuantisationTables(payload, out);
        } else if (segment.marker == kJpegMarkerDri && payload.size() >= 2) {
            if (!out->restartInterval)
                out->restartInterval = ReadBig16(payload, 0);
        } else if (segment.marker == kJpegMarkerApp0 && payload.size() >= 12 &&
                   payload.startsWith(QByteArrayView("JFIF\0", 5))) {
            if (!out->jfifDensity)
                out->jfifDensity = std::array<int, 3>{ByteAt(payload, 7), ReadBig16(payload, 8),
                                                      ReadBig16(payload, 10)};
        } else if (segment.marker == kJpegMarkerApp1 && payload.startsWith(kXmpPrefix)) {
            const QByteArrayView packet = payload.sliced(kXmpPrefix.size());
            if (out->xmp.isEmpty() && budget.take(packet.size()))
                out->xmp = packet.toByteArray();
        } else if (segment.marker == kJpegMarkerApp2 && payload.startsWith(kIccPrefix) &&
                   payload.size() >= kIccPrefix.size() + 2) {
            iccChunks.try_emplace(ByteAt(payload, kIccPrefix.size()),
                                  payload.sliced(kIccPrefix.size() + 2));
        } else if (segment.marker == kJpegMarkerApp2 && payload.startsWith(kMpfPrefix)) {
            if (out->mpfPictures.empty())
                out->mpfPictures = ReadMpfPictures(payload.sliced(kMpfPrefix.size()));
        } else if (segment.marker == kJpegMarkerApp11) {
            if (budget.take(payload.size()))
                out->app11Payloads.push_back(payload.toByteArray());
        } else if (segment.marker == kJpegMarkerApp13 && payload.startsWith(kPhotoshopPrefix)) {
            if (!out->photoshopThumbnail)
                out->photoshopThumbnail =
                    ReadPhotoshopThumbnail(payload.sliced(kPhotoshopPrefix.size()), budget);
        }
        return true;
    });
    // The profile's chunks are numbered from 1, in order.
    QByteArray profile;
    for (const auto& [sequence, chunk] : iccChunks) {
        if (!budget.take(chunk.size()))
            break;
        profile.append(chunk);
    }
    out->iccProfile = profile;
    out->pictureEnd = JpegEndOfImage(file);
}

}  // namespace veltra::imaging
