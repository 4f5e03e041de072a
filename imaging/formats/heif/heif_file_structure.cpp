#include "formats/heif/heif_file_structure.h"

#include "formats/heif/heif_picture.h"
#include "metadata/item_budget.h"
#include "util/byte_writer.h"

#include <algorithm>

namespace veltra::imaging {
namespace {

// A thumbnail made a picture of its own takes at most this much; phones' are some 10 KB.
constexpr qsizetype kMaxThumbnailBytes = qsizetype{4} << 20;
// A thumbnail of more tiles than this is not made a picture of its own.
constexpr std::size_t kMaxThumbnailTiles = 64;
// At most this many thumbnails and auxiliary pictures are described.
constexpr std::size_t kMaxListedPictures = 64;

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

QByteArray CodecName(HeifCodec codec, std::uint32_t codedType)
{
    switch (codec) {
    case HeifCodec::Hevc:
        return QByteArrayLiteral("HEVC");
    case HeifCodec::Av1:
        return QByteArrayLiteral("AV1");
    case HeifCodec::Other:
        break;
    }
    return FourCcText(codedType);
}

QByteArray AuxiliaryRole(const QByteArray& type)
{
    if (IsAlphaAuxiliaryType(type))
        return QByteArrayLiteral("alpha");
    if (IsDepthAuxiliaryType(type))
        return QByteArrayLiteral("depth");
    if (type == "urn:com:apple:photo:2020:aux:hdrgainmap")
        return QByteArrayLiteral("hdr_gain_map");
    if (type.startsWith("urn:com:apple:photo:") && type.endsWith("matte"))
        return QByteArrayLiteral("matte");
    return QByteArrayLiteral("other");
}

HeifPictureSummary Summary(const HeifBoxes& boxes, const HeifPicture& picture)
{
    HeifPictureSummary summary;
    summary.id = picture.id;
    summary.itemType = FourCcText(picture.itemType);
    summary.codec = CodecName(picture.codec, picture.codedType);
    summary.width = picture.storedSize.width();
    summary.height = picture.storedSize.height();
    summary.bitDepth = picture.bitDepth;
    summary.auxiliaryType = picture.auxiliaryType;
    if (picture.refusal == LoadFailureReason::None)
        summary.pictureFile = HeifFileOfItem(boxes, picture.id, kMaxThumbnailBytes);
    return summary;
}

HeifStructure Describe(const HeifBoxes& boxes, const HeifPicture& primary)
{
    HeifStructure heif;
    heif.majorBrand = FourCcText(boxes.majorBrand);
    for (const std::uint32_t brand : boxes.compatibleBrands) {
        if (heif.compatibleBrands.size() == 32)
            break;
        heif.compatibleBrands.append(FourCcText(brand));
    }
    heif.hasSequenceTrack = boxes.hasMovie;
    if (primary.itemType != 0) {
        heif.primaryItemType = FourCcText(primary.itemType);
        heif.codec = CodecName(primary.codec, primary.codedType);
    }
    heif.bitDepth = primary.bitDepth;
    heif.chroma = primary.chroma;
    heif.monochrome = primary.monochrome;
    heif.alpha = primary.alpha;
    heif.storedWidth = primary.storedSize.width();
    heif.storedHeight = primary.storedSize.height();
    heif.gridColumns = primary.gridColumns;
    heif.gridRows = primary.gridRows;
    heif.transforms = primary.transforms;
    heif.containerTurn = primary.turn;
    heif.decodedWidth = primary.decodedSize.width();
    heif.decodedHeight = primary.decodedSize.height();
    if (primary.id == 0)
        return heif;
    for (const std::uint32_t id : boxes.referring(primary.id, BoxType("thmb"))) {
        if (heif.thumbnails.size() == kMaxListedPictures)
            break;
        heif.thumbnails.push_back(Summary(boxes, DescribeHeifPicture(boxes, id)));
    }
    for (const std::uint32_t id : boxes.referring(primary.id, BoxType("auxl"))) {
        if (heif.auxiliaryPictures.size() == kMaxListedPictures)
            break;
        HeifPictureSummary summary = Summary(boxes, DescribeHeifPicture(boxes, id));
        summary.pictureFile.clear();  // compared with nothing
        summary.role = AuxiliaryRole(summary.auxiliaryType);
        heif.auxiliaryPictures.push_back(std::move(summary));
    }
    return heif;
}

// The primary picture's XMP: a MIME item of RDF that describes it, or the first one that
// describes nothing in particular.
QByteArray XmpOf(const HeifBoxes& boxes, std::uint32_t primaryId)
{
    const HeifItem* found = nullptr;
    for (const HeifItem& item : boxes.items) {
        if (item.type != BoxType("mime") || item.contentType != "application/rdf+xml")
            continue;
        const std::vector<std::uint32_t> described = boxes.referencedBy(item.id, BoxType("cdsc"));
        if (std::find(described.begin(), described.end(), primaryId) != described.end()) {
            found = &item;
            break;
        }
        if (!found && described.empty())
            found = &item;
    }
    if (!found)
        return {};
    return HeifItemBytes(boxes, *found, ItemBudget::kValueBytesPerFile).value_or(QByteArray());
}

// An ICC profile in the primary picture's colour property ("prof" or "rICC" after its type).
QByteArray IccProfileOf(const HeifBoxes& boxes, std::uint32_t primaryId)
{
    for (const HeifProperty* property : boxes.propertiesOf(primaryId)) {
        if (property->type != BoxType("colr") || property->content.size() <= 4)
            continue;
        const QByteArrayView kind = property->content.first(4);
        if (kind == "prof" || kind == "rICC")
            return property->content.sliced(4).toByteArray();
    }
    return {};
}

}  // namespace

void ReadHeifStructure(QByteArrayView file, FileStructure* out)
{
    const HeifBoxes boxes = ReadHeifBoxes(file);
    const HeifPicture primary = DescribePrimaryPicture(boxes);
    out->heif = Describe(boxes, primary);
    if (primary.id == 0)
        return;
    out->xmp = XmpOf(boxes, primary.id);
    out->iccProfile = IccProfileOf(boxes, primary.id);
}

QByteArray HeifFileOfItem(const HeifBoxes& boxes, std::uint32_t id, qsizetype maxBytes)
{
    // The item itself and, for a grid, its tiles, each with its own properties and bytes.
    const HeifItem* target = boxes.item(id);
    if (!target)
        return {};
    std::vector<const HeifItem*> items{target};
    std::vector<std::uint32_t> tiles;
    if (target->type == BoxType("grid")) {
        tiles = boxes.referencedBy(id, BoxType("dimg"));
        if (tiles.empty() || tiles.size() > kMaxThumbnailTiles)
            return {};
        for (const std::uint32_t tile : tiles) {
            const HeifItem* item = boxes.item(tile);
            if (!item || !IsCodedPictureType(item->type) || item == target)
                return {};
            items.push_back(item);
        }
    } else if (!IsCodedPictureType(target->type)) {
        return {};
    }
    std::vector<QByteArray> data;
    qsizetype total = 0;
    for (const HeifItem* item : items) {
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
    AppendBig32(info, static_cast<std::uint32_t>(items.size()));
    for (const HeifItem* item : items) {
        QByteArray entry;
        AppendBig32(entry, item->id);
        AppendBig16(entry, 0);  // no protection
        AppendBig32(entry, item->type);
        entry += '\0';
        info += FullBox(BoxType("infe"), 3, item == target ? 0 : 1, entry);
    }
    QByteArray references;
    if (!tiles.empty()) {
        QByteArray tileList;
        AppendBig32(tileList, id);
        AppendBig16(tileList, static_cast<std::uint32_t>(tiles.size()));
        for (const std::uint32_t tile : tiles)
            AppendBig32(tileList, tile);
        references = FullBox(BoxType("iref"), 1, 0, Box(BoxType("dimg"), tileList));
    }

    // Each property box once, in the order first met; every item associated with its own.
    std::vector<const HeifProperty*> container;
    QByteArray associations;
    AppendBig32(associations, static_cast<std::uint32_t>(items.size()));
    for (const HeifItem* item : items) {
        const std::vector<const HeifProperty*> properties = boxes.propertiesOf(item->id);
        if (properties.size() > 255)
            return {};
        AppendBig32(associations, item->id);
        associations += static_cast<char>(properties.size());
        for (const HeifProperty* property : properties) {
            auto found = std::find(container.begin(), container.end(), property);
            if (found == container.end())
                found = container.insert(container.end(), property);
            // Wide indices, each marked essential.
            AppendBig16(associations,
                        0x8000 | static_cast<std::uint32_t>(found - container.begin() + 1));
        }
    }
    if (container.size() > 0x7FFF)
        return {};
    QByteArray propertyBoxes;
    for (const HeifProperty* property : container)
        propertyBoxes += property->box.toByteArray();
    const QByteArray itemProperties =
        Box(BoxType("iprp"),
            Box(BoxType("ipco"), propertyBoxes) + FullBox(BoxType("ipma"), 1, 1, associations));

    // The locations' offsets are known once the boxes before the data are: the meta box has
    // the same size whatever offsets are written into it.
    auto meta = [&](std::uint32_t dataOffset) {
        QByteArray location;
        location += char(0x44);  // 4-byte offsets and lengths
        location += char(0x00);  // no base offset
        AppendBig32(location, static_cast<std::uint32_t>(items.size()));
        std::uint32_t offset = dataOffset;
        for (std::size_t index = 0; index < items.size(); ++index) {
            AppendBig32(location, items[index]->id);
            AppendBig16(location, 0);  // construction method 0: in the file
            AppendBig16(location, 0);  // in this file, not another
            AppendBig16(location, 1);  // one extent
            AppendBig32(location, offset);
            AppendBig32(location, static_cast<std::uint32_t>(data[index].size()));
            offset += static_cast<std::uint32_t>(data[index].size());
        }
        return FullBox(BoxType("meta"), 0, 0,
                       FullBox(BoxType("hdlr"), 0, 0, handler) +
                           FullBox(BoxType("pitm"), 1, 0, primary) +
                           FullBox(BoxType("iinf"), 1, 0, info) + references +
                           FullBox(BoxType("iloc"), 2, 0, location) + itemProperties);
    };
    const qsizetype dataOffset = fileType.size() + meta(0).size() + 8;
    QByteArray mediaData;
    for (const QByteArray& bytes : data)
        mediaData += bytes;
    return fileType + meta(static_cast<std::uint32_t>(dataOffset)) +
           Box(BoxType("mdat"), mediaData);
}

}  // namespace veltra::imaging
