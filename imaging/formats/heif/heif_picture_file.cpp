#include "formats/heif/heif_picture_file.h"

#include "formats/heif/heif_picture.h"
#include "util/byte_writer.h"

#include <algorithm>
#include <optional>

namespace veltra::imaging {
namespace {

void AppendBig16(QByteArray& bytes, std::uint32_t value)
{
    Append16(bytes, static_cast<std::uint16_t>(value), ByteOrder::Big);
}

void AppendBig32(QByteArray& bytes, std::uint32_t value) { Append32(bytes, value, ByteOrder::Big); }

QByteArray Box(std::uint32_t type, const QByteArray& content)
{
    QByteArray box;
    AppendBig32(box, static_cast<std::uint32_t>(content.size() + 8));
    AppendBig32(box, type);
    return box + content;
}

QByteArray FullBox(std::uint32_t type, std::uint8_t version, std::uint32_t flags,
                   const QByteArray& content)
{
    QByteArray header;
    AppendBig32(header, std::uint32_t{version} << 24 | (flags & 0xFFFFFF));
    return Box(type, header + content);
}

// The items of the new file and how they refer to one another.
struct Selection {
    std::vector<const HeifItem*> items;
    std::vector<HeifReference> references;
};

// Adds a picture: a coded item, or a grid and its tiles (coded items all).
bool AddPicture(const HeifBoxes& boxes, std::uint32_t id, Selection& selection)
{
    const HeifItem* item = boxes.item(id);
    if (!item)
        return false;
    if (item->type == BoxType("grid")) {
        const std::vector<std::uint32_t> tiles = boxes.referencedBy(id, BoxType("dimg"));
        if (tiles.empty())
            return false;
        selection.items.push_back(item);
        for (const std::uint32_t tile : tiles) {
            const HeifItem* coded = boxes.item(tile);
            if (!coded || !IsCodedPictureType(coded->type))
                return false;
            // A tile used twice is written once.
            if (std::find(selection.items.begin(), selection.items.end(), coded) ==
                selection.items.end())
                selection.items.push_back(coded);
        }
        selection.references.push_back(HeifReference{BoxType("dimg"), id, tiles});
        return true;
    }
    if (!IsCodedPictureType(item->type))
        return false;
    selection.items.push_back(item);
    return true;
}

// The alpha plane that belongs to the picture, with its reference and whether the picture's
// colours are premultiplied by it.
void AddAlpha(const HeifBoxes& boxes, std::uint32_t id, Selection& selection)
{
    for (const std::uint32_t auxiliary : boxes.referring(id, BoxType("auxl"))) {
        const HeifPicture described = DescribeHeifPicture(boxes, auxiliary);
        if (!IsAlphaAuxiliaryType(described.auxiliaryType))
            continue;
        Selection alpha = selection;
        if (!AddPicture(boxes, auxiliary, alpha))
            continue;
        selection = std::move(alpha);
        selection.references.push_back(HeifReference{BoxType("auxl"), auxiliary, {id}});
        const std::vector<std::uint32_t> premultiplied = boxes.referencedBy(id, BoxType("prem"));
        if (std::find(premultiplied.begin(), premultiplied.end(), auxiliary) != premultiplied.end())
            selection.references.push_back(HeifReference{BoxType("prem"), id, {auxiliary}});
        return;
    }
}

}  // namespace

QByteArray HeifFileOfPicture(const HeifBoxes& boxes, std::uint32_t id, qsizetype maxBytes,
                             bool withAlpha)
{
    Selection selection;
    if (!AddPicture(boxes, id, selection))
        return {};
    if (withAlpha)
        AddAlpha(boxes, id, selection);
    // The items' bytes, each within what is left of the allowance.
    std::vector<QByteArray> data;
    qsizetype total = 0;
    for (const HeifItem* item : selection.items) {
        std::optional<QByteArray> bytes = HeifItemBytes(boxes, *item, maxBytes - total);
        if (!bytes)
            return {};
        total += bytes->size();
        data.push_back(std::move(*bytes));
    }

    QByteArray brands;
    AppendBig32(brands, boxes.majorBrand);
    AppendBig32(brands, 0);
    for (std::size_t index = 0; index < boxes.compatibleBrands.size() && index < 32; ++index)
        AppendBig32(brands, boxes.compatibleBrands[index]);
    const QByteArray fileType = Box(BoxType("ftyp"), brands);

    QByteArray handler;
    AppendBig32(handler, 0);
    AppendBig32(handler, BoxType("pict"));
    handler += QByteArray(13, '\0');  // reserved, and an empty name
    QByteArray primary;
    AppendBig32(primary, id);
    QByteArray info;
    AppendBig32(info, static_cast<std::uint32_t>(selection.items.size()));
    for (const HeifItem* item : selection.items) {
        QByteArray entry;
        AppendBig32(entry, item->id);
        AppendBig16(entry, 0);  // no protection
        AppendBig32(entry, item->type);
        entry += '\0';
        info += FullBox(BoxType("infe"), 3, item->id == id ? 0 : 1, entry);
    }
    QByteArray referenceBoxes;
    for (const HeifReference& reference : selection.references) {
        QByteArray list;
        AppendBig32(list, reference.from);
        AppendBig16(list, static_cast<std::uint32_t>(reference.to.size()));
        for (const std::uint32_t to : reference.to)
            AppendBig32(list, to);
        referenceBoxes += Box(reference.type, list);
    }

    // Each property box once, in the order first met; every item associated with its own, as
    // essential as the original says.
    std::vector<const HeifProperty*> container;
    QByteArray associations;
    AppendBig32(associations, static_cast<std::uint32_t>(selection.items.size()));
    for (const HeifItem* item : selection.items) {
        const std::vector<std::pair<const HeifProperty*, bool>> properties =
            boxes.associationsOf(item->id);
        if (properties.size() > 255)
            return {};
        AppendBig32(associations, item->id);
        associations += static_cast<char>(properties.size());
        for (const auto& [property, essential] : properties) {
            auto found = std::find(container.begin(), container.end(), property);
            if (found == container.end())
                found = container.insert(container.end(), property);
            const auto index = static_cast<std::uint32_t>(found - container.begin() + 1);
            AppendBig16(associations, (essential ? 0x8000 : 0) | index);
        }
    }
    if (container.size() > 0x7FFF)
        return {};
    QByteArray propertyBoxes;
    for (const HeifProperty* property : container)
        propertyBoxes += property->box.toByteArray();
    // Version 1 for 32-bit item ids, flag 1 for 15-bit property indices.
    const QByteArray itemProperties =
        Box(BoxType("iprp"),
            Box(BoxType("ipco"), propertyBoxes) + FullBox(BoxType("ipma"), 1, 1, associations));

    // The locations' offsets are known once the boxes before the data are: the meta box has
    // the same size whatever offsets are written into it.
    auto meta = [&](std::uint64_t dataOffset) {
        QByteArray location;
        location += char(0x44);  // 4-byte offsets and lengths
        location += char(0x00);  // no base offset, no index
        AppendBig32(location, static_cast<std::uint32_t>(selection.items.size()));
        std::uint64_t offset = dataOffset;
        for (std::size_t index = 0; index < selection.items.size(); ++index) {
            AppendBig32(location, selection.items[index]->id);
            AppendBig16(location, 0);  // construction method 0: in the file
            AppendBig16(location, 0);  // this file, not another
            AppendBig16(location, 1);  // one extent
            AppendBig32(location, static_cast<std::uint32_t>(offset));
            AppendBig32(location, static_cast<std::uint32_t>(data[index].size()));
            offset += static_cast<std::uint64_t>(data[index].size());
        }
        QByteArray content = FullBox(BoxType("hdlr"), 0, 0, handler) +
                             FullBox(BoxType("pitm"), 1, 0, primary) +
                             FullBox(BoxType("iinf"), 1, 0, info);
        if (!referenceBoxes.isEmpty())
            content += FullBox(BoxType("iref"), 1, 0, referenceBoxes);
        content += FullBox(BoxType("iloc"), 2, 0, location) + itemProperties;
        return FullBox(BoxType("meta"), 0, 0, content);
    };
    const auto dataOffset = static_cast<std::uint64_t>(fileType.size() + meta(0).size() + 8);
    // Four-byte offsets: a picture of more than 4 GiB is never made.
    if (dataOffset + static_cast<std::uint64_t>(total) > 0xFFFFFFFFu)
        return {};
    QByteArray mediaData;
    mediaData.reserve(total);
    for (const QByteArray& bytes : data)
        mediaData += bytes;
    return fileType + meta(dataOffset) + Box(BoxType("mdat"), mediaData);
}

}  // namespace veltra::imaging
