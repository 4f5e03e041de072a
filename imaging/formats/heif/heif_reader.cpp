#include "formats/heif/heif_reader.h"

#include "formats/heif/heif_boxes.h"
#include "formats/heif/heif_decoder.h"
#include "formats/heif/heif_file_structure.h"
#include "formats/heif/heif_picture.h"
#include "formats/heif/heif_picture_file.h"
#include "formats/pixel_budget.h"
#include "imaging/logging.h"
#include "metadata/ifd_walker.h"
#include "metadata/item_budget.h"

#include <array>

namespace veltra::imaging {
namespace {

// The brands of still pictures and of image sequences, of HEVC, of AV1 and of any codec.
constexpr std::array kHeifBrands{BoxType("heic"), BoxType("heix"), BoxType("heim"),
                                 BoxType("heis"), BoxType("hevc"), BoxType("hevx"),
                                 BoxType("hevm"), BoxType("hevs"), BoxType("mif1"),
                                 BoxType("msf1"), BoxType("avif"), BoxType("avis")};

constexpr std::size_t kTilesAnyGridMayHave = 64;
constexpr std::uint64_t kPixelsPerTile = 256 * 256;

bool IsHeifBrand(std::uint32_t brand)
{
    return std::find(kHeifBrands.begin(), kHeifBrands.end(), brand) != kHeifBrands.end();
}

// A `ftyp` box first whose major brand, or one of whose compatible brands, is HEIF's: an MP4
// video or a JPEG XL or JPEG 2000 file names none of them.
bool IsHeif(QByteArrayView head)
{
    if (head.size() < 16 || head.sliced(4, 4) != "ftyp")
        return false;
    const std::uint32_t declared = ReadBig32(head, 0);
    if (declared < 16)
        return false;
    if (IsHeifBrand(ReadBig32(head, 8)))
        return true;
    const qsizetype end = std::min<qsizetype>(head.size(), qsizetype(declared));
    for (qsizetype at = 16; at + 4 <= end; at += 4) {
        if (IsHeifBrand(ReadBig32(head, at)))
            return true;
    }
    return false;
}

constexpr ContentKind kHeifKinds[]{
    {.name = "heif", .extensions = "heif heic hif", .mimeTypes = "image/heif"},
    {.name = "heic", .extensions = "heic heif hif", .mimeTypes = "image/heic"},
    {.name = "avif", .extensions = "avif", .mimeTypes = "image/avif"},
};

const ContentKind& KindOf(const HeifBoxes& boxes, const HeifPicture& primary)
{
    const bool known = primary.codedType != 0;
    if ((known && primary.codec == HeifCodec::Hevc) ||
        (!known && (boxes.hasBrand(BoxType("heic")) || boxes.hasBrand(BoxType("heix")) ||
                    boxes.hasBrand(BoxType("hevc")) || boxes.hasBrand(BoxType("hevx")))))
        return kHeifKinds[1];
    if ((known && primary.codec == HeifCodec::Av1) ||
        (!known && (boxes.hasBrand(BoxType("avif")) || boxes.hasBrand(BoxType("avis")))))
        return kHeifKinds[2];
    return kHeifKinds[0];
}

PixelFormat PixelFormatOf(const HeifPicture& picture)
{
    const bool deep = picture.bitDepth > 8;
    if (picture.monochrome && !picture.alpha)
        return deep ? PixelFormat16bppGrayScale : PixelFormat8bppIndexed;
    if (picture.alpha)
        return deep ? PixelFormat64bppARGB : PixelFormat32bppARGB;
    return deep ? PixelFormat48bppRGB : PixelFormat24bppRGB;
}

// The Exif item's payload starts with the offset of the TIFF header from after that field
// (Apple writes 6 and the "Exif\0\0" of a JPEG segment before the header).
PropertyRecords ExifItemsOf(const HeifBoxes& boxes, const HeifPicture& primary)
{
    const HeifItem* exif = nullptr;
    for (const std::uint32_t id : boxes.referring(primary.id, BoxType("cdsc"))) {
        const HeifItem* item = boxes.item(id);
        if (item && item->type == BoxType("Exif")) {
            exif = item;
            break;
        }
    }
    // A file whose Exif item describes nothing in particular still describes its picture.
    for (const HeifItem& item : boxes.items) {
        if (exif)
            break;
        if (item.type == BoxType("Exif") && boxes.referencedBy(item.id, BoxType("cdsc")).empty())
            exif = &item;
    }
    if (!exif)
        return {};
    const std::optional<QByteArray> payload =
        HeifItemBytes(boxes, *exif, ItemBudget::kValueBytesPerFile);
    if (!payload || payload->size() < 4) {
        qCInfo(lcImaging, "the Exif item lies outside the file");
        return {};
    }
    const std::uint64_t headerAt = std::uint64_t{4} + ReadBig32(*payload, 0);
    if (headerAt >= std::uint64_t(payload->size())) {
        qCInfo(lcImaging, "the Exif item's TIFF header offset points past its end");
        return {};
    }
    const QByteArrayView tiff = QByteArrayView(*payload).sliced(qsizetype(headerAt));
    return ReadTiffItems(SkipExifPrefix(tiff), TiffStructure::ExifBlock);
}

FileFacts ReadHeif(QByteArrayView file)
{
    FileFacts facts;
    const HeifBoxes boxes = ReadHeifBoxes(file);
    const HeifPicture primary = DescribePrimaryPicture(boxes);
    if (primary.refusal == LoadFailureReason::None) {
        facts.pixelFormat = PixelFormatOf(primary);
        facts.containerTurn = primary.turn;
    }
    facts.properties = PropertySet(ExifItemsOf(boxes, primary));
    return facts;
}

// Accepts the primary picture when its boxes describe one the budget allows, every tile of a
// grid included, without opening the codec library.
GpStatus ProbeHeif(QByteArrayView file, const FileFacts& /*facts*/, FrameHeader* header)
{
    const HeifBoxes boxes = ReadHeifBoxes(file);
    const HeifPicture primary = DescribePrimaryPicture(boxes);
    header->kind = &KindOf(boxes, primary);
    if (!boxes.problem.isEmpty())
        qCInfo(lcImaging) << "HEIF boxes:" << boxes.problem;
    if (primary.refusal != LoadFailureReason::None) {
        qCInfo(lcImaging) << "HEIF primary picture:" << primary.problem;
        header->refusal = primary.refusal;
        return UnknownImageFormat;
    }
    const std::uint64_t budget = PixelBudgetFor(file.size());
    // libheif decodes each tile of a grid with a decoder of its own, at a cost of its own (a
    // millisecond or so) whatever the tile's size: thousands of tiny tiles would take seconds
    // for a picture that one decode makes in a fraction of that. Real grids have tiles of
    // 256 x 256 pixels and more (phones use 512 x 512), so a grid may have as many tiles as
    // its pixels need at that size, and a few dozen whatever its size.
    const std::uint64_t pixels =
        std::uint64_t(primary.storedSize.width()) * std::uint64_t(primary.storedSize.height());
    if (primary.tiles.size() >
        std::max<std::uint64_t>(kTilesAnyGridMayHave, pixels / kPixelsPerTile)) {
        qCInfo(lcImaging) << "a grid of" << primary.tiles.size() << "tiles for"
                          << primary.storedSize;
        header->refusal = LoadFailureReason::DamagedHeader;
        return UnknownImageFormat;
    }
    if (!WithinPixelBudget(primary.storedSize, budget) ||
        !WithinPixelBudget(primary.decodedSize, budget))
        return OutOfMemory;
    // Each tile is decoded at its own size before it is placed.
    for (const std::uint32_t tile : primary.tiles) {
        const HeifItem* item = boxes.item(tile);
        const std::optional<QSize> size = HeifSpatialExtent(boxes, tile);
        if (!item || !IsCodedPictureType(item->type) || !size) {
            qCInfo(lcImaging) << "HEIF grid tile" << tile << "is no coded picture with a size";
            header->refusal = LoadFailureReason::DamagedHeader;
            return UnknownImageFormat;
        }
        if (!WithinPixelBudget(*size, budget))
            return OutOfMemory;
    }
    header->size = primary.decodedSize;
    header->decodedPixelFormat = PixelFormatOf(primary);
    return Ok;
}

}  // namespace

const FormatReader kHeifFormat{
    .format = FileFormat::Heif,
    .kinds = kHeifKinds,
    .matches = IsHeif,
    .read = ReadHeif,
    .containerOrientsPicture = true,
    .probe = ProbeHeif,
    .structure = ReadHeifStructure,
};

}  // namespace veltra::imaging
