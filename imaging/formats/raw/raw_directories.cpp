#include "formats/raw/raw_directories.h"

#include "imaging/logging.h"
#include "imaging/property_tags.h"

#include <algorithm>
#include <limits>
#include <unordered_set>

namespace veltra::imaging {
namespace {

// A raw has a handful of directories; a hostile chain is cut short here.
constexpr int kMaxChainLength = 16;
constexpr int kMaxSubIfdsPerDirectory = 16;
constexpr int kMaxEntriesPerDirectory = 4096;
// Strips or tiles looked at one by one; a directory claiming more is judged by these.
constexpr std::uint32_t kMaxDataPieces = 65536;

constexpr std::uint16_t kTagSubIfds = 0x014A;
constexpr std::uint16_t kTagTileOffsets = 0x0144;
constexpr std::uint16_t kTagTileByteCounts = 0x0145;
constexpr std::uint16_t kTagDngVersion = 0xC612;
constexpr std::uint16_t kTagLeafData = 0x8606;
constexpr std::uint16_t kTagKodakKdcIfd = 0xFE00;

struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    qsizetype valueAt = 0;  // where the values start; -1 when they lie outside the file
};

class DirectoryReader {
public:
    DirectoryReader(QByteArrayView file, ByteOrder order) : m_file(file), m_order(order) {}

    std::optional<std::vector<Entry>> entriesAt(std::uint32_t offset, std::uint32_t* next)
    {
        *next = 0;
        if (!m_visited.insert(offset).second || !RangeInside(offset, 2, fileSize()))
            return std::nullopt;
        const int count = std::min<int>(Read16(m_file, offset, m_order), kMaxEntriesPerDirectory);
        std::vector<Entry> entries;
        for (int index = 0; index < count; ++index) {
            const std::uint64_t at = std::uint64_t{offset} + 2 + std::uint64_t(index) * 12;
            if (!RangeInside(at, 12, fileSize()))
                return entries;
            entries.push_back(entryAt(static_cast<qsizetype>(at)));
        }
        const std::uint64_t nextAt = std::uint64_t{offset} + 2 + std::uint64_t(count) * 12;
        if (RangeInside(nextAt, 4, fileSize()))
            *next = Read32(m_file, static_cast<qsizetype>(nextAt), m_order);
        return entries;
    }

    // Element `index` of a SHORT, LONG or IFD entry.
    std::optional<std::uint32_t> unsignedAt(const Entry& entry, std::uint32_t index) const
    {
        if (entry.valueAt < 0 || index >= entry.count)
            return std::nullopt;
        if (entry.type == std::uint16_t(TiffType::Short))
            return Read16(m_file, entry.valueAt + qsizetype(index) * 2, m_order);
        if (entry.type == std::uint16_t(TiffType::Long) ||
            entry.type == std::uint16_t(TiffType::Ifd))
            return Read32(m_file, entry.valueAt + qsizetype(index) * 4, m_order);
        return std::nullopt;
    }

    QByteArray bytesOf(const Entry& entry) const
    {
        if (entry.valueAt < 0 || TiffTypeElementSize(entry.type) != 1)
            return {};
        return m_file.sliced(entry.valueAt, entry.count).toByteArray();
    }

    std::uint64_t fileSize() const { return static_cast<std::uint64_t>(m_file.size()); }

private:
    Entry entryAt(qsizetype at) const
    {
        Entry entry;
        entry.tag = Read16(m_file, at, m_order);
        entry.type = Read16(m_file, at + 2, m_order);
        entry.count = Read32(m_file, at + 4, m_order);
        entry.valueAt = -1;
        const std::uint64_t elementSize = TiffTypeElementSize(entry.type);
        if (elementSize == 0 ||
            entry.count > std::numeric_limits<std::uint32_t>::max() / elementSize)
            return entry;
        const std::uint64_t bytes = entry.count * elementSize;
        const std::uint64_t valueAt =
            bytes <= 4 ? std::uint64_t(at) + 8 : Read32(m_file, at + 8, m_order);
        if (RangeInside(valueAt, bytes, fileSize()))
            entry.valueAt = static_cast<qsizetype>(valueAt);
        return entry;
    }

    QByteArrayView m_file;
    ByteOrder m_order;
    std::unordered_set<std::uint32_t> m_visited;
};

QByteArray TextOf(QByteArray bytes)
{
    const qsizetype end = bytes.indexOf('\0');
    if (end >= 0)
        bytes.truncate(end);
    return bytes.trimmed();
}

// The strips or tiles of a directory: the first, and whether all lie inside the file.
void ReadData(const DirectoryReader& reader, const Entry& offsets, const Entry& counts,
              RawDirectory& directory)
{
    directory.dataPieces = std::min(offsets.count, counts.count);
    const std::uint32_t looked = std::min(directory.dataPieces, kMaxDataPieces);
    for (std::uint32_t index = 0; index < looked; ++index) {
        const std::optional<std::uint32_t> offset = reader.unsignedAt(offsets, index);
        const std::optional<std::uint32_t> length = reader.unsignedAt(counts, index);
        if (!offset || !length) {
            directory.dataInsideFile = false;
            return;
        }
        if (index == 0)
            directory.firstData = ByteSpan{qsizetype(*offset), qsizetype(*length)};
        directory.dataBytes += *length;
        if (!RangeInside(*offset, *length, reader.fileSize()))
            directory.dataInsideFile = false;
    }
}

struct Walk {
    DirectoryReader reader;
    RawDirectories result;
    int directoriesRead = 0;
};

// Reads one directory into the result; returns its SubIFD offsets and the next one's.
std::vector<std::uint32_t> ReadOne(Walk& walk, std::uint32_t offset, QByteArray name,
                                   std::uint32_t* next)
{
    const std::optional<std::vector<Entry>> entries = walk.reader.entriesAt(offset, next);
    if (!entries)
        return {};
    RawDirectory directory;
    directory.name = std::move(name);
    std::optional<Entry> offsets;
    std::optional<Entry> counts;
    std::optional<std::uint32_t> jpegAt;
    std::optional<std::uint32_t> jpegLength;
    std::vector<std::uint32_t> subIfds;
    const DirectoryReader& reader = walk.reader;
    for (const Entry& entry : *entries) {
        const std::optional<std::uint32_t> first = reader.unsignedAt(entry, 0);
        switch (entry.tag) {
        case PropertyTagNewSubfileType: directory.subfileType = first.value_or(0); break;
        case PropertyTagImageWidth: directory.width = first.value_or(0); break;
        case PropertyTagImageHeight: directory.height = first.value_or(0); break;
        case PropertyTagBitsPerSample: directory.bitsPerSample = first.value_or(0); break;
        case PropertyTagSamplesPerPixel: directory.samplesPerPixel = first.value_or(1); break;
        case PropertyTagCompression: directory.compression = first.value_or(1); break;
        case PropertyTagPhotometricInterp: directory.photometric = first; break;
        case PropertyTagStripOffsets:
        case kTagTileOffsets: offsets = entry; break;
        case PropertyTagStripBytesCount:
        case kTagTileByteCounts: counts = entry; break;
        case PropertyTagJPEGInterFormat: jpegAt = first; break;
        case PropertyTagJPEGInterLength: jpegLength = first; break;
        case PropertyTagEquipMake:
            if (walk.result.make.isEmpty())
                walk.result.make = TextOf(reader.bytesOf(entry));
            break;
        case PropertyTagEquipModel:
            if (walk.result.model.isEmpty())
                walk.result.model = TextOf(reader.bytesOf(entry));
            break;
        case kTagDngVersion:
            if (const QByteArray version = reader.bytesOf(entry); version.size() == 4)
                walk.result.dngVersion = QByteArray::number(quint8(version[0])) + '.' +
                                         QByteArray::number(quint8(version[1])) + '.' +
                                         QByteArray::number(quint8(version[2])) + '.' +
                                         QByteArray::number(quint8(version[3]));
            break;
        case kTagLeafData:
        case kTagKodakKdcIfd: walk.result.makerRawBlock = true; break;
        case kTagSubIfds:
            for (std::uint32_t index = 0;
                 index < std::min<std::uint32_t>(entry.count, kMaxSubIfdsPerDirectory); ++index) {
                if (const std::optional<std::uint32_t> sub = reader.unsignedAt(entry, index))
                    subIfds.push_back(*sub);
            }
            break;
        default: break;
        }
    }
    if (offsets && counts)
        ReadData(reader, *offsets, *counts, directory);
    if (jpegAt && jpegLength && *jpegLength > 0) {
        // A JPEG preview kept the way Exif keeps thumbnails.
        directory.firstData = ByteSpan{qsizetype(*jpegAt), qsizetype(*jpegLength)};
        directory.dataPieces = 1;
        directory.dataBytes = *jpegLength;
        directory.dataInsideFile = RangeInside(*jpegAt, *jpegLength, reader.fileSize());
        if (directory.compression == 1)
            directory.compression = 6;
    }
    walk.result.directories.push_back(std::move(directory));
    ++walk.directoriesRead;
    return subIfds;
}

}  // namespace

RawDirectories ReadRawDirectories(QByteArrayView file, ByteOrder order)
{
    Walk walk{DirectoryReader(file, order), {}, 0};
    walk.result.order = order;
    if (file.size() < 8)
        return walk.result;
    std::uint32_t offset = Read32(file, 4, order);
    for (int chain = 0; chain < kMaxChainLength && offset != 0; ++chain) {
        std::uint32_t next = 0;
        const std::vector<std::uint32_t> subIfds =
            ReadOne(walk, offset, "IFD" + QByteArray::number(chain), &next);
        int subIndex = 0;
        for (const std::uint32_t sub : subIfds) {
            std::uint32_t ignored = 0;
            ReadOne(walk, sub, "IFD" + QByteArray::number(chain) + " SubIFD " +
                                   QByteArray::number(++subIndex),
                    &ignored);
        }
        offset = next;
    }
    if (walk.directoriesRead == 0)
        qCInfo(lcImaging, "the raw's first directory cannot be read");
    return walk.result;
}

}  // namespace veltra::imaging
