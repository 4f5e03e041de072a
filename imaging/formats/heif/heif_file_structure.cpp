#include "formats/heif/heif_file_structure.h"

#include "formats/heif/heif_picture.h"
#include "formats/heif/heif_picture_file.h"
#include "metadata/item_budget.h"

#include <algorithm>

namespace veltra::imaging {
namespace {

// A thumbnail made a picture of its own takes at most this much; phones' are some 10 KB.
constexpr qsizetype kMaxThumbnailBytes = qsizetype{4} << 20;
// At most this many thumbnails and auxiliary pictures are described.
constexpr std::size_t kMaxListedPictures = 64;

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
        summary.pictureFile = HeifFileOfPicture(boxes, picture.id, kMaxThumbnailBytes, false);
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

}  // namespace veltra::imaging
