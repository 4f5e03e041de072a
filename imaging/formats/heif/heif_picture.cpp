#include "formats/heif/heif_picture.h"

#include "imaging/orientation.h"
#include "util/byte_reader.h"

#include <algorithm>
#include <cmath>

namespace veltra::imaging {
namespace {

// Derivations refer to other pictures; a chain longer than this (an identity of a grid of
// tiles is the longest a still picture needs) or one that comes back to itself is refused.
constexpr int kMaxDerivationDepth = 3;

// The most tiles a grid may have: its row and column counts are single bytes.
constexpr int kMaxGridSide = 256;

HeifCodec CodecOf(std::uint32_t type)
{
    if (type == BoxType("hvc1") || type == BoxType("hev1"))
        return HeifCodec::Hevc;
    if (type == BoxType("av01"))
        return HeifCodec::Av1;
    return HeifCodec::Other;
}

bool IsDerivedType(std::uint32_t type)
{
    return type == BoxType("grid") || type == BoxType("iden") || type == BoxType("iovl");
}

// The turn a step applies, as the platform names turns (clockwise, then mirrored left-right).
RotateFlipType TurnOf(const HeifTransform& transform)
{
    if (transform.kind == HeifTransform::Kind::Rotation) {
        // Quarter turns anticlockwise.
        constexpr RotateFlipType kAnticlockwise[]{RotateNoneFlipNone, Rotate270FlipNone,
                                                  Rotate180FlipNone, Rotate90FlipNone};
        return kAnticlockwise[transform.amount & 3];
    }
    if (transform.kind == HeifTransform::Kind::Mirror)
        // Top to bottom is a half turn and a mirror left to right.
        return transform.amount == 1 ? RotateNoneFlipX : Rotate180FlipX;
    return RotateNoneFlipNone;
}

// The size a clean aperture crops `size` to, computed as the decoder does: the aperture is
// centred on the picture's centre moved by the offsets, its left and top edges rounded down
// and its right and bottom edges rounded to the nearest, then kept inside the picture.
// Nothing when the box is damaged (a zero denominator) or leaves no picture.
std::optional<QSize> CroppedBy(QByteArrayView clap, QSize size)
{
    if (clap.size() < 32)
        return std::nullopt;
    auto ratio = [&clap](int index, bool isSigned) -> std::optional<double> {
        const std::uint32_t numerator = ReadBig32(clap, index * 8);
        const std::uint32_t denominator = ReadBig32(clap, index * 8 + 4);
        if (denominator == 0)
            return std::nullopt;
        const double top =
            isSigned ? double(static_cast<std::int32_t>(numerator)) : double(numerator);
        return top / double(static_cast<std::int32_t>(denominator));
    };
    const std::optional<double> width = ratio(0, false);
    const std::optional<double> height = ratio(1, false);
    const std::optional<double> horizontalOffset = ratio(2, true);
    const std::optional<double> verticalOffset = ratio(3, true);
    if (!width || !height || !horizontalOffset || !verticalOffset)
        return std::nullopt;
    auto side = [](double offset, double aperture, int whole) -> std::optional<int> {
        const double centre = offset + (whole - 1) / 2.0;
        const double first = std::trunc(centre - (aperture - 1) / 2.0);
        const double last = std::floor(aperture - 1 + first + 0.5);
        const double from = std::max(first, 0.0);
        const double to = std::min(last, double(whole - 1));
        if (!(from < to))
            return std::nullopt;
        return int(to - from + 1);
    };
    const std::optional<int> croppedWidth = side(*horizontalOffset, *width, size.width());
    const std::optional<int> croppedHeight = side(*verticalOffset, *height, size.height());
    if (!croppedWidth || !croppedHeight)
        return std::nullopt;
    return QSize(*croppedWidth, *croppedHeight);
}

// Bit depth, chroma and monochrome from the codec's configuration record.
void ReadCodecConfiguration(const HeifBoxes& boxes, std::uint32_t id, HeifPicture& picture)
{
    if (const HeifProperty* hvcC = boxes.propertyOf(id, BoxType("hvcC"));
        hvcC && hvcC->content.size() >= 19) {
        // After version (1), profile (1), compatibility (4), constraints (6), level (1),
        // segmentation (2) and parallelism (1): chroma format, then luma and chroma depths.
        const int chroma = ByteAt(hvcC->content, 16) & 0x03;
        picture.chroma = chroma;
        picture.monochrome = chroma == 0;
        picture.bitDepth = 8 + (ByteAt(hvcC->content, 17) & 0x07);
        return;
    }
    if (const HeifProperty* av1C = boxes.propertyOf(id, BoxType("av1C"));
        av1C && av1C->content.size() >= 3) {
        const std::uint8_t flags = ByteAt(av1C->content, 2);
        const bool highBitDepth = (flags & 0x40) != 0;
        const bool twelveBit = (flags & 0x20) != 0;
        picture.bitDepth = highBitDepth ? (twelveBit ? 12 : 10) : 8;
        picture.monochrome = (flags & 0x10) != 0;
        const bool halfAcross = (flags & 0x08) != 0;
        const bool halfDown = (flags & 0x04) != 0;
        picture.chroma = picture.monochrome ? 0 : halfAcross && halfDown ? 1 : halfAcross ? 2 : 3;
        return;
    }
    // Other codecs: the pixel information property, when there is one.
    if (const HeifProperty* pixi = boxes.propertyOf(id, BoxType("pixi"));
        pixi && pixi->content.size() >= 6) {
        const int channels = ByteAt(pixi->content, 4);
        int depth = 0;
        for (int channel = 0; channel < channels && 5 + channel < pixi->content.size(); ++channel)
            depth = std::max<int>(depth, ByteAt(pixi->content, 5 + channel));
        if (depth > 0)
            picture.bitDepth = depth;
        picture.monochrome = channels == 1;
    }
}

}  // namespace

std::optional<QSize> HeifSpatialExtent(const HeifBoxes& boxes, std::uint32_t id)
{
    const HeifProperty* ispe = boxes.propertyOf(id, BoxType("ispe"));
    if (!ispe || ispe->content.size() < 12)
        return std::nullopt;
    const std::uint32_t width = ReadBig32(ispe->content, 4);
    const std::uint32_t height = ReadBig32(ispe->content, 8);
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return std::nullopt;
    return QSize(int(width), int(height));
}

namespace {

// The geometry the container applies, in association order, and the size it delivers.
void ReadTransforms(const HeifBoxes& boxes, std::uint32_t id, HeifPicture& picture)
{
    QSize size = picture.storedSize;
    for (const HeifProperty* property : boxes.propertiesOf(id)) {
        if (property->type == BoxType("irot") && !property->content.isEmpty()) {
            const HeifTransform rotation{HeifTransform::Kind::Rotation,
                                         ByteAt(property->content, 0) & 0x03};
            picture.transforms.push_back(rotation);
            if (rotation.amount & 1)
                size.transpose();
        } else if (property->type == BoxType("imir") && !property->content.isEmpty()) {
            picture.transforms.push_back(
                HeifTransform{HeifTransform::Kind::Mirror, ByteAt(property->content, 0) & 0x01});
        } else if (property->type == BoxType("clap")) {
            const std::optional<QSize> cropped = CroppedBy(property->content, size);
            if (!cropped) {
                picture.refusal = LoadFailureReason::DamagedHeader;
                picture.problem = QStringLiteral("a clean aperture that leaves no picture");
                return;
            }
            picture.transforms.push_back(HeifTransform{HeifTransform::Kind::CleanAperture, 0});
            size = *cropped;
        }
    }
    for (const HeifTransform& transform : picture.transforms)
        picture.turn = ComposeTurns(picture.turn, TurnOf(transform));
    picture.decodedSize = size;
}

// A grid's own description: version, flags (bit 0: 32-bit sizes), rows and columns less one,
// then the output size.
bool ReadGrid(QByteArrayView data, HeifPicture& picture)
{
    if (data.size() < 8)
        return false;
    const bool wide = (ByteAt(data, 1) & 1) != 0;
    picture.gridRows = ByteAt(data, 2) + 1;
    picture.gridColumns = ByteAt(data, 3) + 1;
    return !wide || data.size() >= 12;
}

void Refuse(HeifPicture& picture, LoadFailureReason reason, const QString& problem)
{
    if (picture.refusal != LoadFailureReason::None)
        return;
    picture.refusal = reason;
    picture.problem = problem;
}

// The coded item that decides a derived picture's codec and depth: its first input, followed
// through derivations of derivations as far as a still picture needs.
std::optional<std::uint32_t> FirstCodedInput(const HeifBoxes& boxes, std::uint32_t id)
{
    std::vector<std::uint32_t> visited{id};
    std::uint32_t current = id;
    for (int depth = 0; depth < kMaxDerivationDepth; ++depth) {
        const std::vector<std::uint32_t> inputs = boxes.referencedBy(current, BoxType("dimg"));
        if (inputs.empty())
            return std::nullopt;
        const std::uint32_t next = inputs.front();
        if (std::find(visited.begin(), visited.end(), next) != visited.end())
            return std::nullopt;
        const HeifItem* item = boxes.item(next);
        if (!item)
            return std::nullopt;
        if (IsCodedPictureType(item->type))
            return next;
        if (!IsDerivedType(item->type))
            return std::nullopt;
        visited.push_back(next);
        current = next;
    }
    return std::nullopt;
}

}  // namespace

bool IsCodedPictureType(std::uint32_t type)
{
    return type == BoxType("hvc1") || type == BoxType("hev1") || type == BoxType("av01") ||
           type == BoxType("jpeg") || type == BoxType("avc1") || type == BoxType("unci") ||
           type == BoxType("j2k1") || type == BoxType("vvc1");
}

bool IsAlphaAuxiliaryType(QByteArrayView type)
{
    return type == "urn:mpeg:mpegB:cicp:systems:auxiliary:alpha" ||
           type == "urn:mpeg:hevc:2015:auxid:1" || type == "urn:mpeg:avc:2015:auxid:1";
}

bool IsDepthAuxiliaryType(QByteArrayView type)
{
    return type == "urn:mpeg:mpegB:cicp:systems:auxiliary:depth" ||
           type == "urn:mpeg:hevc:2015:auxid:2" || type == "urn:mpeg:avc:2015:auxid:2";
}

HeifPicture DescribeHeifPicture(const HeifBoxes& boxes, std::uint32_t id)
{
    HeifPicture picture;
    picture.id = id;
    const HeifItem* item = boxes.item(id);
    if (!item) {
        Refuse(picture, LoadFailureReason::DamagedHeader,
               QStringLiteral("item %1 is not described").arg(id));
        return picture;
    }
    picture.itemType = item->type;
    std::uint32_t coded = id;
    if (IsDerivedType(item->type)) {
        const std::optional<std::uint32_t> input = FirstCodedInput(boxes, id);
        if (!input) {
            Refuse(picture, LoadFailureReason::DamagedHeader,
                   QStringLiteral("a derived picture without coded input"));
            return picture;
        }
        coded = *input;
    } else if (!IsCodedPictureType(item->type)) {
        Refuse(picture, LoadFailureReason::NoDecoder,
               QStringLiteral("item of type %1 is no picture")
                   .arg(QString::fromLatin1(FourCcText(item->type))));
        return picture;
    }
    picture.codedType = boxes.item(coded)->type;
    picture.codec = CodecOf(picture.codedType);
    ReadCodecConfiguration(boxes, coded, picture);
    if ((picture.codec == HeifCodec::Hevc && !boxes.propertyOf(coded, BoxType("hvcC"))) ||
        (picture.codec == HeifCodec::Av1 && !boxes.propertyOf(coded, BoxType("av1C"))))
        Refuse(picture, LoadFailureReason::DamagedHeader,
               QStringLiteral("coded picture %1 without its decoder configuration").arg(coded));

    if (item->type == BoxType("grid")) {
        picture.tiles = boxes.referencedBy(id, BoxType("dimg"));
        const std::optional<QByteArray> data = HeifItemBytes(boxes, *item, 64);
        if (!data || !ReadGrid(*data, picture))
            Refuse(picture, LoadFailureReason::DamagedHeader,
                   QStringLiteral("a grid without its description"));
        else if (std::size_t(picture.gridRows) * std::size_t(picture.gridColumns) !=
                 picture.tiles.size())
            Refuse(picture, LoadFailureReason::DamagedHeader,
                   QStringLiteral("a grid of %1 x %2 with %3 tiles")
                       .arg(picture.gridColumns)
                       .arg(picture.gridRows)
                       .arg(picture.tiles.size()));
        if (picture.tiles.empty() ||
            picture.tiles.size() > std::size_t(kMaxGridSide * kMaxGridSide))
            Refuse(picture, LoadFailureReason::DamagedHeader,
                   QStringLiteral("a grid without tiles"));
    }

    const std::optional<QSize> extent = HeifSpatialExtent(boxes, id);
    if (!extent) {
        Refuse(picture, LoadFailureReason::DamagedHeader,
               QStringLiteral("picture %1 without its size").arg(id));
        return picture;
    }
    picture.storedSize = *extent;
    ReadTransforms(boxes, id, picture);

    for (const std::uint32_t auxiliary : boxes.referring(id, BoxType("auxl"))) {
        const HeifProperty* auxC = boxes.propertyOf(auxiliary, BoxType("auxC"));
        if (!auxC || auxC->content.size() < 4)
            continue;
        const QByteArrayView type = auxC->content.sliced(4);
        const qsizetype end = type.indexOf('\0');
        if (IsAlphaAuxiliaryType(end < 0 ? type : type.first(end))) {
            picture.alpha = true;
            const std::vector<std::uint32_t> premultiplied =
                boxes.referencedBy(id, BoxType("prem"));
            picture.premultipliedAlpha = std::find(premultiplied.begin(), premultiplied.end(),
                                                   auxiliary) != premultiplied.end();
        }
    }
    if (const HeifProperty* auxC = boxes.propertyOf(id, BoxType("auxC"));
        auxC && auxC->content.size() > 4) {
        const QByteArrayView type = auxC->content.sliced(4);
        const qsizetype end = type.indexOf('\0');
        picture.auxiliaryType = (end < 0 ? type : type.first(end)).toByteArray();
    }
    return picture;
}

HeifPicture DescribePrimaryPicture(const HeifBoxes& boxes)
{
    if (!boxes.primaryId) {
        HeifPicture picture;
        // A file with a movie box or the brands of image sequences and no still picture holds
        // only a sequence, which is read as a track, not as items.
        const bool sequence = boxes.hasMovie || boxes.hasBrand(BoxType("msf1")) ||
                              boxes.hasBrand(BoxType("hevc")) || boxes.hasBrand(BoxType("hevs")) ||
                              boxes.hasBrand(BoxType("avis"));
        Refuse(picture,
               sequence ? LoadFailureReason::SequenceOnly : LoadFailureReason::DamagedHeader,
               sequence ? QStringLiteral("an image sequence without a still picture")
                        : QStringLiteral("no primary picture"));
        return picture;
    }
    return DescribeHeifPicture(boxes, *boxes.primaryId);
}

}  // namespace veltra::imaging
