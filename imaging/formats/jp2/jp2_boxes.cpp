#include "formats/jp2/jp2_boxes.h"

#include "imaging/iso_boxes.h"
#include "imaging/logging.h"
#include "util/byte_reader.h"

#include <algorithm>

namespace veltra::imaging {
namespace {

// The UUIDs that mark the Exif and XMP boxes: "JpgTiffExif->JP2", and XMP's own.
constexpr QByteArrayView kExifUuid("JpgTiffExif->JP2", 16);
constexpr QByteArrayView kXmpUuid(
    "\xBE\x7A\xCF\xCB\x97\xA9\x42\xE8\x9C\x71\x99\x94\x91\xE3\xAF\xAC", 16);

// Enumerated colour spaces of the colour box (colr).
constexpr std::uint32_t kGreyscale = 17;

// Channel types of the channel definition box: opacity, premultiplied opacity.
constexpr std::uint16_t kOpacity = 1;
constexpr std::uint16_t kPremultipliedOpacity = 2;

// A component's depth byte: its bits less one in the low seven bits, its sign in the top one.
int BitsOf(std::uint8_t depth) { return (depth & 0x7F) + 1; }

// Tiles across one side of the reference grid: from the tiles' origin to the grid's end.
// Nothing when the tiles do not cover the picture as the standard asks (a decoder refuses it).
std::optional<std::uint64_t> TilesAcross(std::uint32_t end, std::uint32_t pictureOrigin,
                                         std::uint32_t tileOrigin, std::uint32_t tileSize)
{
    if (tileSize == 0 || tileOrigin > pictureOrigin ||
        std::uint64_t{tileOrigin} + tileSize <= pictureOrigin)
        return std::nullopt;
    return (std::uint64_t{end} - tileOrigin + tileSize - 1) / tileSize;
}

// The SIZ marker segment: the reference grid, its offset, the tiles and the components'
// depths. Nothing when the codestream does not start with it or it is cut short.
std::optional<Jp2Picture> ReadSiz(QByteArrayView codestream)
{
    constexpr qsizetype kFixedPart = 4 + 2 + 2 + 8 * 4 + 2;  // up to the component count
    if (!codestream.startsWith(kJ2kCodestreamStart) || codestream.size() < kFixedPart)
        return std::nullopt;
    const std::uint32_t xsiz = ReadBig32(codestream, 8);
    const std::uint32_t ysiz = ReadBig32(codestream, 12);
    const std::uint32_t xosiz = ReadBig32(codestream, 16);
    const std::uint32_t yosiz = ReadBig32(codestream, 20);
    const int components = ReadBig16(codestream, 40);
    if (xosiz >= xsiz || yosiz >= ysiz || components == 0 ||
        codestream.size() < kFixedPart + 3 * components)
        return std::nullopt;
    Jp2Picture picture;
    picture.width = xsiz - xosiz;
    picture.height = ysiz - yosiz;
    picture.components = components;
    const std::optional<std::uint64_t> across =
        TilesAcross(xsiz, xosiz, ReadBig32(codestream, 32), ReadBig32(codestream, 24));
    const std::optional<std::uint64_t> down =
        TilesAcross(ysiz, yosiz, ReadBig32(codestream, 36), ReadBig32(codestream, 28));
    if (!across || !down)
        return std::nullopt;
    picture.tiles = *across * *down;
    for (int index = 0; index < components; ++index)
        picture.bitsPerComponent =
            std::max(picture.bitsPerComponent, BitsOf(ByteAt(codestream, kFixedPart + 3 * index)));
    // A bare codestream names no colour space: one or two components are grey, the second
    // and the fourth alpha, as decoders read them.
    picture.grey = components <= 2;
    picture.alpha = components == 2 || components == 4;
    return picture;
}

struct HeaderBoxes {
    std::optional<Jp2Picture> picture;
    QByteArray iccProfile;
};

// The JP2 header box's children: the image header, with the components' depths, the first
// colour box (colr), a palette and the channel definitions.
HeaderBoxes ReadJp2Header(QByteArrayView content)
{
    HeaderBoxes result;
    const IsoBoxes boxes = SplitIsoBoxes(content);
    const std::optional<IsoBox> ihdr = FindIsoBox(boxes, BoxType("ihdr"));
    if (!ihdr || ihdr->content.size() < 14)
        return result;
    Jp2Picture picture;
    picture.height = ReadBig32(ihdr->content, 0);
    picture.width = ReadBig32(ihdr->content, 4);
    picture.components = ReadBig16(ihdr->content, 8);
    const std::uint8_t depth = ByteAt(ihdr->content, 10);
    if (picture.width == 0 || picture.height == 0 || picture.components == 0)
        return result;
    if (depth != 0xFF) {
        picture.bitsPerComponent = BitsOf(depth);
    } else if (const std::optional<IsoBox> bpcc = FindIsoBox(boxes, BoxType("bpcc"))) {
        // Depths that differ between components are listed one by one.
        for (qsizetype index = 0;
             index < std::min<qsizetype>(bpcc->content.size(), picture.components); ++index)
            picture.bitsPerComponent =
                std::max(picture.bitsPerComponent, BitsOf(ByteAt(bpcc->content, index)));
    }
    if (picture.bitsPerComponent == 0)
        return result;
    int colourChannels = picture.components;
    if (const std::optional<IsoBox> cdef = FindIsoBox(boxes, BoxType("cdef"));
        cdef && cdef->content.size() >= 2) {
        const qsizetype count =
            std::min<qsizetype>(ReadBig16(cdef->content, 0), (cdef->content.size() - 2) / 6);
        for (qsizetype index = 0; index < count; ++index) {
            const std::uint16_t type = ReadBig16(cdef->content, 2 + 6 * index + 2);
            if (type == kOpacity || type == kPremultipliedOpacity) {
                picture.alpha = true;
                --colourChannels;
            }
        }
    } else if (picture.components == 2 || picture.components == 4) {
        picture.alpha = true;
        --colourChannels;
    }
    picture.palette = FindIsoBox(boxes, BoxType("pclr")).has_value();
    picture.grey = !picture.palette && colourChannels == 1;
    if (const std::optional<IsoBox> colr = FindIsoBox(boxes, BoxType("colr"));
        colr && colr->content.size() >= 3) {
        const std::uint8_t method = ByteAt(colr->content, 0);
        if (method == 1 && colr->content.size() >= 7)
            picture.grey = ReadBig32(colr->content, 3) == kGreyscale;
        else if (method == 2 || method == 3)
            result.iccProfile = colr->content.sliced(3).toByteArray();
    }
    result.picture = picture;
    return result;
}

}  // namespace

Jp2File ReadJp2File(QByteArrayView file)
{
    Jp2File result;
    if (!file.startsWith(kJp2Signature)) {
        result.picture = ReadSiz(file);
        return result;
    }
    result.container = true;
    const IsoBoxes boxes = SplitIsoBoxes(file);
    if (!boxes.problem.isEmpty())
        qCInfo(lcImaging) << "JPEG 2000 boxes:" << boxes.problem;
    std::optional<Jp2Picture> codestreamPicture;
    for (const IsoBox& box : boxes.boxes) {
        if (box.type == BoxType("jp2h") && !result.picture) {
            HeaderBoxes header = ReadJp2Header(box.content);
            result.picture = header.picture;
            result.iccProfile = std::move(header.iccProfile);
        } else if (box.type == BoxType("jp2c") && !codestreamPicture) {
            codestreamPicture = ReadSiz(box.content);
        } else if (box.type == BoxType("uuid") && box.content.size() >= 16) {
            const QByteArrayView uuid = box.content.first(16);
            if (uuid == kExifUuid && result.exif.isEmpty())
                result.exif = box.content.sliced(16);
            else if (uuid == kXmpUuid && result.xmp.isEmpty())
                result.xmp = box.content.sliced(16);
        }
    }
    // The image header and the codestream must agree on the size; a file whose do not, or
    // that has no codestream, is damaged.
    if (result.picture &&
        (!codestreamPicture || codestreamPicture->width != result.picture->width ||
         codestreamPicture->height != result.picture->height))
        result.picture.reset();
    else if (result.picture)
        result.picture->tiles = codestreamPicture->tiles;
    return result;
}

}  // namespace veltra::imaging
