#include "formats/heif/heif_boxes.h"

#include "util/byte_reader.h"

#include <algorithm>

namespace veltra::imaging {
namespace {

// Reads big-endian fields one after another out of untrusted bytes; a read past the end gives
// zero and marks the cursor as short, so a caller checks once after a group of fields.
class FieldCursor {
public:
    explicit FieldCursor(QByteArrayView bytes) : m_bytes(bytes) {}

    std::uint64_t read(int size)
    {
        if (size == 0)
            return 0;
        if (!RangeInside(std::uint64_t(m_at), std::uint64_t(size), std::uint64_t(m_bytes.size()))) {
            m_short = true;
            m_at = m_bytes.size();
            return 0;
        }
        std::uint64_t value = 0;
        for (int i = 0; i < size; ++i)
            value = value << 8 | ByteAt(m_bytes, m_at + i);
        m_at += size;
        return value;
    }
    std::uint8_t read8() { return static_cast<std::uint8_t>(read(1)); }
    std::uint16_t read16() { return static_cast<std::uint16_t>(read(2)); }
    std::uint32_t read32() { return static_cast<std::uint32_t>(read(4)); }
    // A NUL-terminated string; the rest of the bytes when there is no NUL.
    QByteArray readString()
    {
        const QByteArrayView rest = m_bytes.sliced(m_at);
        const qsizetype end = rest.indexOf('\0');
        const qsizetype length = end < 0 ? rest.size() : end;
        m_at += end < 0 ? rest.size() : end + 1;
        return rest.first(length).toByteArray();
    }
    QByteArrayView rest() const { return m_bytes.sliced(m_at); }
    qsizetype remaining() const { return m_bytes.size() - m_at; }
    bool isShort() const { return m_short; }

private:
    QByteArrayView m_bytes;
    qsizetype m_at = 0;
    bool m_short = false;
};

// A full box's version and flags.
struct FullBoxHeader {
    std::uint8_t version = 0;
    std::uint32_t flags = 0;
};

FullBoxHeader ReadFullBoxHeader(FieldCursor& cursor)
{
    const std::uint32_t word = cursor.read32();
    return FullBoxHeader{static_cast<std::uint8_t>(word >> 24), word & 0xFFFFFF};
}

void NoteProblem(HeifBoxes& boxes, const QString& problem)
{
    if (boxes.problem.isEmpty())
        boxes.problem = problem;
}

void ReadFileType(QByteArrayView content, HeifBoxes& boxes)
{
    if (content.size() < 8)
        return;
    boxes.majorBrand = ReadBig32(content, 0);
    for (qsizetype at = 8; at + 4 <= content.size(); at += 4) {
        if (boxes.compatibleBrands.size() == kMaxHeifEntries)
            break;
        boxes.compatibleBrands.push_back(ReadBig32(content, at));
    }
}

// Item information: one `infe` box per item. Versions 0 and 1 name no type and describe a
// MIME item; versions 2 and 3 give a type.
void ReadItemInfo(QByteArrayView content, HeifBoxes& boxes)
{
    FieldCursor cursor(content);
    const FullBoxHeader header = ReadFullBoxHeader(cursor);
    cursor.read(header.version == 0 ? 2 : 4);  // the count: the boxes themselves say
    if (cursor.isShort())
        return;
    const IsoBoxes entries = SplitIsoBoxes(cursor.rest());
    for (const IsoBox& entry : entries.boxes) {
        if (entry.type != BoxType("infe") || entry.truncated)
            continue;
        if (boxes.items.size() == kMaxHeifEntries) {
            NoteProblem(boxes, QStringLiteral("more than %1 items").arg(kMaxHeifEntries));
            return;
        }
        FieldCursor fields(entry.content);
        const FullBoxHeader info = ReadFullBoxHeader(fields);
        HeifItem item;
        item.hidden = (info.flags & 1) != 0;
        if (info.version >= 2) {
            item.id = info.version == 2 ? fields.read16() : fields.read32();
            fields.read16();  // protection index
            item.type = fields.read32();
            if (fields.isShort())
                continue;
            fields.readString();  // name
            if (item.type == BoxType("mime"))
                item.contentType = fields.readString();
        } else {
            item.id = fields.read16();
            fields.read16();
            if (fields.isShort())
                continue;
            fields.readString();
            item.type = BoxType("mime");
            item.contentType = fields.readString();
        }
        // A second description of an item already described is ignored.
        if (boxes.itemIndex.emplace(item.id, boxes.items.size()).second)
            boxes.items.push_back(std::move(item));
    }
    if (!entries.problem.isEmpty())
        NoteProblem(boxes, QStringLiteral("iinf: ") + entries.problem);
}

bool IsFieldSize(int size) { return size == 0 || size == 4 || size == 8; }

void ReadItemLocations(QByteArrayView content, HeifBoxes& boxes)
{
    FieldCursor cursor(content);
    const FullBoxHeader header = ReadFullBoxHeader(cursor);
    const std::uint8_t sizes = cursor.read8();
    const std::uint8_t moreSizes = cursor.read8();
    const int offsetSize = sizes >> 4;
    const int lengthSize = sizes & 0x0F;
    const int baseOffsetSize = moreSizes >> 4;
    const int indexSize = header.version >= 1 ? moreSizes & 0x0F : 0;
    if (header.version > 2 || !IsFieldSize(offsetSize) || !IsFieldSize(lengthSize) ||
        !IsFieldSize(baseOffsetSize) || !IsFieldSize(indexSize)) {
        NoteProblem(boxes, QStringLiteral("iloc of an unknown version or field size"));
        return;
    }
    const std::uint32_t count = header.version < 2 ? cursor.read16() : cursor.read32();
    const int extentSize = indexSize + offsetSize + lengthSize;
    for (std::uint32_t index = 0; index < count && !cursor.isShort(); ++index) {
        if (index == kMaxHeifEntries) {
            NoteProblem(boxes, QStringLiteral("iloc lists %1 items").arg(count));
            return;
        }
        const std::uint32_t id = header.version < 2 ? cursor.read16() : cursor.read32();
        const int method = header.version >= 1 ? cursor.read16() & 0x0F : 0;
        const std::uint16_t dataReference = cursor.read16();
        const std::uint64_t baseOffset = cursor.read(baseOffsetSize);
        const std::uint16_t extentCount = cursor.read16();
        // The extents must fit in what is left; the count alone is not trusted.
        if (cursor.isShort() || std::uint64_t(extentCount) * std::uint64_t(extentSize) >
                                    std::uint64_t(cursor.remaining())) {
            NoteProblem(boxes, QStringLiteral("iloc entry of item %1 runs past its box").arg(id));
            return;
        }
        std::vector<HeifExtent> extents;
        extents.reserve(extentCount);
        for (std::uint16_t e = 0; e < extentCount; ++e) {
            cursor.read(indexSize);
            const std::uint64_t offset = cursor.read(offsetSize);
            const std::uint64_t length = cursor.read(lengthSize);
            extents.push_back(HeifExtent{offset, length});
        }
        const auto found = boxes.itemIndex.find(id);
        if (found == boxes.itemIndex.end())
            continue;
        HeifItem& item = boxes.items[found->second];
        if (!item.located) {
            item.located = true;
            item.constructionMethod = method;
            item.dataReferenceIndex = dataReference;
            item.baseOffset = baseOffset;
            item.extents = std::move(extents);
        }
    }
}

void ReadItemReferences(QByteArrayView content, HeifBoxes& boxes)
{
    FieldCursor cursor(content);
    const FullBoxHeader header = ReadFullBoxHeader(cursor);
    if (cursor.isShort())
        return;
    const int idSize = header.version == 0 ? 2 : 4;
    const IsoBoxes entries = SplitIsoBoxes(cursor.rest());
    for (const IsoBox& entry : entries.boxes) {
        if (boxes.references.size() == kMaxHeifEntries) {
            NoteProblem(boxes, QStringLiteral("more than %1 references").arg(kMaxHeifEntries));
            return;
        }
        FieldCursor fields(entry.content);
        HeifReference reference;
        reference.type = entry.type;
        reference.from = static_cast<std::uint32_t>(fields.read(idSize));
        const std::uint16_t count = fields.read16();
        if (fields.isShort() || std::uint64_t(count) * idSize > std::uint64_t(fields.remaining()))
            continue;
        reference.to.reserve(count);
        for (std::uint16_t i = 0; i < count; ++i)
            reference.to.push_back(static_cast<std::uint32_t>(fields.read(idSize)));
        boxes.referencesFrom[reference.from].push_back(boxes.references.size());
        boxes.references.push_back(std::move(reference));
    }
}

void ReadPropertyAssociations(QByteArrayView content, HeifBoxes& boxes)
{
    FieldCursor cursor(content);
    const FullBoxHeader header = ReadFullBoxHeader(cursor);
    const std::uint32_t count = cursor.read32();
    const bool wideIndex = (header.flags & 1) != 0;
    for (std::uint32_t index = 0; index < count && !cursor.isShort(); ++index) {
        if (boxes.associations.size() == kMaxHeifEntries) {
            NoteProblem(boxes, QStringLiteral("ipma lists %1 items").arg(count));
            return;
        }
        const std::uint32_t id = header.version < 1 ? cursor.read16() : cursor.read32();
        const std::uint8_t associationCount = cursor.read8();
        std::vector<HeifAssociation> associations;
        for (std::uint8_t a = 0; a < associationCount && !cursor.isShort(); ++a) {
            const std::uint16_t value = wideIndex ? cursor.read16() : cursor.read8();
            const int bits = wideIndex ? 15 : 7;
            associations.push_back(HeifAssociation{
                static_cast<std::uint16_t>(value & ((1u << bits) - 1)), (value >> bits) != 0});
        }
        if (cursor.isShort())
            break;
        // The first entry of an item counts.
        if (boxes.associationIndex.emplace(id, boxes.associations.size()).second)
            boxes.associations.emplace_back(id, std::move(associations));
    }
}

void ReadItemProperties(QByteArrayView content, HeifBoxes& boxes)
{
    const IsoBoxes children = SplitIsoBoxes(content);
    for (const IsoBox& child : children.boxes) {
        if (child.type == BoxType("ipco") && boxes.properties.empty()) {
            const IsoBoxes properties = SplitIsoBoxes(child.content);
            for (const IsoBox& property : properties.boxes) {
                boxes.properties.push_back(HeifProperty{
                    property.type, property.content,
                    child.content.sliced(property.offset,
                                         property.headerSize + property.content.size())});
            }
            if (!properties.problem.isEmpty())
                NoteProblem(boxes, QStringLiteral("ipco: ") + properties.problem);
        } else if (child.type == BoxType("ipma")) {
            ReadPropertyAssociations(child.content, boxes);
        }
    }
}

void ReadMeta(QByteArrayView content, HeifBoxes& boxes)
{
    // A full box in HEIF; QuickTime's meta box, which some writers copy, has no version and
    // flags and starts straight with its handler.
    const bool fullBox = !(content.size() >= 8 && content.sliced(4, 4) == "hdlr");
    const IsoBoxes children =
        SplitIsoBoxes(fullBox ? content.sliced(std::min<qsizetype>(4, content.size())) : content);
    if (!children.problem.isEmpty())
        NoteProblem(boxes, QStringLiteral("meta: ") + children.problem);
    // Items first, so that their locations find them whatever the order of the boxes.
    if (const std::optional<IsoBox> info = FindIsoBox(children, BoxType("iinf")))
        ReadItemInfo(info->content, boxes);
    for (const IsoBox& child : children.boxes) {
        FieldCursor cursor(child.content);
        if (child.type == BoxType("hdlr")) {
            ReadFullBoxHeader(cursor);
            cursor.read32();  // pre_defined
            boxes.handler = cursor.read32();
        } else if (child.type == BoxType("pitm") && !boxes.primaryId) {
            const FullBoxHeader header = ReadFullBoxHeader(cursor);
            const std::uint32_t id = header.version == 0 ? cursor.read16() : cursor.read32();
            if (!cursor.isShort())
                boxes.primaryId = id;
        } else if (child.type == BoxType("iloc")) {
            ReadItemLocations(child.content, boxes);
        } else if (child.type == BoxType("iref")) {
            ReadItemReferences(child.content, boxes);
        } else if (child.type == BoxType("iprp")) {
            ReadItemProperties(child.content, boxes);
        } else if (child.type == BoxType("idat")) {
            boxes.itemData = child.content;
        }
    }
}

}  // namespace

const HeifItem* HeifBoxes::item(std::uint32_t id) const
{
    const auto found = itemIndex.find(id);
    return found == itemIndex.end() ? nullptr : &items[found->second];
}

std::vector<std::pair<const HeifProperty*, bool>> HeifBoxes::associationsOf(std::uint32_t id) const
{
    std::vector<std::pair<const HeifProperty*, bool>> found;
    const auto entry = associationIndex.find(id);
    if (entry == associationIndex.end())
        return found;
    for (const HeifAssociation& association : associations[entry->second].second) {
        if (association.index >= 1 && association.index <= properties.size())
            found.emplace_back(&properties[association.index - 1], association.essential);
    }
    return found;
}

std::vector<const HeifProperty*> HeifBoxes::propertiesOf(std::uint32_t id) const
{
    std::vector<const HeifProperty*> found;
    for (const auto& [property, essential] : associationsOf(id))
        found.push_back(property);
    return found;
}

const HeifProperty* HeifBoxes::propertyOf(std::uint32_t id, std::uint32_t type) const
{
    for (const HeifProperty* property : propertiesOf(id)) {
        if (property->type == type)
            return property;
    }
    return nullptr;
}

std::vector<std::uint32_t> HeifBoxes::referencedBy(std::uint32_t from, std::uint32_t type) const
{
    std::vector<std::uint32_t> found;
    const auto entry = referencesFrom.find(from);
    if (entry == referencesFrom.end())
        return found;
    for (const std::size_t index : entry->second) {
        const HeifReference& reference = references[index];
        if (reference.type == type)
            found.insert(found.end(), reference.to.begin(), reference.to.end());
    }
    return found;
}

std::vector<std::uint32_t> HeifBoxes::referring(std::uint32_t to, std::uint32_t type) const
{
    std::vector<std::uint32_t> found;
    for (const HeifReference& reference : references) {
        if (reference.type == type &&
            std::find(reference.to.begin(), reference.to.end(), to) != reference.to.end())
            found.push_back(reference.from);
    }
    return found;
}

bool HeifBoxes::hasBrand(std::uint32_t brand) const
{
    return majorBrand == brand || std::find(compatibleBrands.begin(), compatibleBrands.end(),
                                            brand) != compatibleBrands.end();
}

HeifBoxes ReadHeifBoxes(QByteArrayView file)
{
    HeifBoxes boxes;
    boxes.file = file;
    const IsoBoxes top = SplitIsoBoxes(file);
    for (const IsoBox& box : top.boxes) {
        if (box.type == BoxType("ftyp") && boxes.majorBrand == 0) {
            ReadFileType(box.content, boxes);
        } else if (box.type == BoxType("meta") && !boxes.hasMeta) {
            boxes.hasMeta = true;
            ReadMeta(box.content, boxes);
        } else if (box.type == BoxType("moov")) {
            boxes.hasMovie = true;
        }
    }
    if (!top.problem.isEmpty())
        NoteProblem(boxes, top.problem);
    return boxes;
}

std::optional<QByteArray> HeifItemBytes(const HeifBoxes& boxes, const HeifItem& item,
                                        qsizetype maxBytes)
{
    // In the file itself (data reference 0) or in the idat box; never in another file, nor
    // in another item (construction method 2), which a still picture's metadata never needs.
    if (!item.located || item.dataReferenceIndex != 0 ||
        (item.constructionMethod != 0 && item.constructionMethod != 1))
        return std::nullopt;
    const QByteArrayView source = item.constructionMethod == 0 ? boxes.file : boxes.itemData;
    const auto size = static_cast<std::uint64_t>(source.size());
    std::uint64_t total = 0;
    for (const HeifExtent& extent : item.extents) {
        if (extent.offset > size - std::min(size, item.baseOffset))
            return std::nullopt;
        const std::uint64_t start = item.baseOffset + extent.offset;
        const std::uint64_t length = extent.length == 0 ? size - start : extent.length;
        if (!RangeInside(start, length, size))
            return std::nullopt;
        total += length;
        if (total > static_cast<std::uint64_t>(maxBytes))
            return std::nullopt;
    }
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(total));
    for (const HeifExtent& extent : item.extents) {
        const std::uint64_t start = item.baseOffset + extent.offset;
        const std::uint64_t length = extent.length == 0 ? size - start : extent.length;
        bytes.append(source.sliced(static_cast<qsizetype>(start), static_cast<qsizetype>(length)));
    }
    return bytes;
}

QByteArray FourCcText(std::uint32_t type)
{
    QByteArray text(4, ' ');
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((type >> (24 - 8 * i)) & 0xFF);
        text[i] = c >= 0x20 && c < 0x7F ? c : '?';
    }
    return text;
}

}  // namespace veltra::imaging
