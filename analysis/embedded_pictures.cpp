#include "embedded_pictures.h"

#include "analysis_support.h"
#include "heif_findings.h"
#include "imaging/gdiplus.h"
#include "imaging/image_handles.h"

#include <QJsonArray>
#include <QRectF>

#include <algorithm>
#include <cmath>

namespace veltra::analysis {

namespace {

using namespace imaging;

struct Size {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

Size SizeOf(GpImage* image)
{
    Size size;
    if (GdipGetImageWidth(image, &size.width) != Ok || GdipGetImageHeight(image, &size.height) != Ok)
        return {};
    return size;
}

// The source rectangle of a small picture (a thumbnail) drawn into a new bitmap of that size.
ImagePtr Shrunk(GpImage* picture, const QRectF& source, int width, int height)
{
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Ok)
        return nullptr;
    ImagePtr shrunk(bitmap);
    GpGraphics* graphics = nullptr;
    if (GdipGetImageGraphicsContext(bitmap, &graphics) != Ok)
        return nullptr;
    const GraphicsPtr holder(graphics);
    if (GdipDrawImageRectRect(graphics, picture, 0, 0, REAL(width), REAL(height), REAL(source.x()),
                              REAL(source.y()), REAL(source.width()), REAL(source.height()),
                              UnitPixel) != Ok)
        return nullptr;
    return shrunk;
}

QString MpfTypeName(std::uint32_t attributes)
{
    switch (attributes & 0xFFFFFF) {
    case 0x030000: return QStringLiteral("primary");
    case 0x010001: return QStringLiteral("large_thumbnail_vga");
    case 0x010002: return QStringLiteral("large_thumbnail_full_hd");
    case 0x020001: return QStringLiteral("panorama");
    case 0x020002: return QStringLiteral("disparity");
    case 0x020003: return QStringLiteral("multi_angle");
    default: return QStringLiteral("other");
    }
}

void AddExifThumbnail(GpImage* picture, const info::ImageFacts& facts,
                      std::vector<Finding>& findings)
{
    const info::PropertyFact* data = FindProperty(facts, PropertyTagThumbnailData);
    if (!data || data->bytes.isEmpty())
        return;
    GpBitmap* decoded = nullptr;
    if (CreateBitmapFromBytes(data->bytes, &decoded) != Ok || GdipImageForceDecode(decoded) != Ok) {
        if (decoded)
            GdipDisposeImage(decoded);
        findings.push_back(Finding{FindingKind::ExifThumbnailUndecodable,
                                   {Wording::Number(data->bytes.size())},
                                   QJsonObject{{QStringLiteral("bytes"), qint64(data->bytes.size())},
                                               {QStringLiteral("decoded"), false}}});
        return;
    }
    const ImagePtr thumbnail(decoded);
    QByteArray format;
    GetImageContentFormat(thumbnail.get(), &format);
    const Size thumbnailSize = SizeOf(thumbnail.get());
    QJsonObject json{{QStringLiteral("bytes"), qint64(data->bytes.size())},
                     {QStringLiteral("decoded"), true},
                     {QStringLiteral("format"), QString::fromLatin1(format)},
                     {QStringLiteral("width"), qint64(thumbnailSize.width)},
                     {QStringLiteral("height"), qint64(thumbnailSize.height)}};
    std::vector<Wording> arguments{QString::fromLatin1(format).toUpper(),
                                   Wording::Number(thumbnailSize.width),
                                   Wording::Number(thumbnailSize.height), Wording()};

    // Compared upright: the thumbnail is stored as the picture is, so it takes the same turn.
    GdipImageRotateFlip(thumbnail.get(), facts.turn);
    const Size turned = SizeOf(thumbnail.get());
    if (turned.width > 0 && turned.height > 0 && facts.width > 0 && facts.height > 0) {
        const double thumbnailAspect = double(turned.width) / turned.height;
        const double pictureAspect = double(facts.width) / facts.height;
        json.insert(QStringLiteral("aspect_ratio"), thumbnailAspect);
        json.insert(QStringLiteral("picture_aspect_ratio"), pictureAspect);
        const bool padded = std::abs(thumbnailAspect / pictureAspect - 1.0) > 0.05;
        arguments[3] = Wording::Of(Phrase::AspectRatios,
                                   {Wording::Fixed(thumbnailAspect, 2), Wording::Fixed(pictureAspect, 2),
                                    padded ? Wording::Of(Phrase::PaddedThumbnail) : Wording()});
    }
    FindingKind kind = FindingKind::ExifThumbnail;
    if (const std::optional<double> difference = ThumbnailDifference(picture, thumbnail.get())) {
        json.insert(QStringLiteral("mean_difference"), *difference);
        arguments.push_back(Wording::Fixed(*difference, 1));
        if (*difference <= kSamePicture) {
            json.insert(QStringLiteral("agrees"), true);
            kind = FindingKind::ExifThumbnailSamePicture;
        } else if (*difference >= kDifferentPicture) {
            json.insert(QStringLiteral("agrees"), false);
            kind = FindingKind::ExifThumbnailOtherPicture;
        } else {
            json.insert(QStringLiteral("agrees"), QJsonValue::Null);
            kind = FindingKind::ExifThumbnailDiffers;
        }
    }
    findings.push_back(Finding{kind, std::move(arguments), json});
}

}  // namespace

std::optional<double> ThumbnailDifference(GpImage* picture, GpImage* thumbnail)
{
    const Size pictureSize = SizeOf(picture);
    const Size thumbnailSize = SizeOf(thumbnail);
    if (pictureSize.width == 0 || pictureSize.height == 0 || thumbnailSize.width == 0 ||
        thumbnailSize.height == 0)
        return std::nullopt;
    // The centred part of the thumbnail that has the picture's shape.
    const double aspect = double(pictureSize.width) / pictureSize.height;
    double width = thumbnailSize.width;
    double height = width / aspect;
    if (height > thumbnailSize.height) {
        height = thumbnailSize.height;
        width = height * aspect;
    }
    const QRectF region((thumbnailSize.width - width) / 2, (thumbnailSize.height - height) / 2,
                        width, height);
    // Both are compared at a few dozen pixels across, where a camera's own sharpening, a
    // pixel of shift or JPEG noise no longer count, and another scene still does.
    const int across = std::max(1, int(std::lround(std::min(width, kComparedWidth))));
    const int down = std::max(1, int(std::lround(across / aspect)));
    GpBitmap* shrunkPicture = nullptr;
    if (GetImageShrunk(picture, across, down, &shrunkPicture) != Ok)
        return std::nullopt;
    const ImagePtr ours(shrunkPicture);
    const ImagePtr theirs = Shrunk(thumbnail, region, across, down);
    if (!ours || !theirs)
        return std::nullopt;
    double total = 0;
    for (int y = 0; y < down; ++y) {
        for (int x = 0; x < across; ++x) {
            ARGB a = 0;
            ARGB b = 0;
            if (GdipBitmapGetPixel(ours.get(), x, y, &a) != Ok ||
                GdipBitmapGetPixel(theirs.get(), x, y, &b) != Ok)
                return std::nullopt;
            for (int shift : {16, 8, 0})
                total += std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
        }
    }
    return total / (3.0 * across * down);
}

void AddEmbeddedPictureFindings(GpImage* picture, const info::ImageFacts& facts,
                                const FileStructure& structure, std::vector<Finding>& findings)
{
    AddExifThumbnail(picture, facts, findings);

    if (!structure.mpfPictures.empty()) {
        QJsonArray pictures;
        std::vector<Wording> sizes;
        for (const MpfPicture& mpf : structure.mpfPictures) {
            pictures.append(QJsonObject{{QStringLiteral("type"), MpfTypeName(mpf.attributes)},
                                        {QStringLiteral("bytes"), qint64(mpf.size)},
                                        {QStringLiteral("offset"), qint64(mpf.offset)}});
            sizes.push_back(Wording::Number(mpf.size));
        }
        const qsizetype count = qsizetype(structure.mpfPictures.size());
        findings.push_back(Finding{
            FindingKind::MpfIndex,
            {Wording::Number(count), Wording::List(Wording::Joiner::Enumeration, sizes)},
            QJsonObject{{QStringLiteral("count"), count}, {QStringLiteral("pictures"), pictures}}});
    }

    if (structure.photoshopThumbnail) {
        const PhotoshopThumbnail& thumbnail = *structure.photoshopThumbnail;
        findings.push_back(Finding{
            FindingKind::PhotoshopThumbnail,
            {Wording::Number(thumbnail.width), Wording::Number(thumbnail.height)},
            QJsonObject{{QStringLiteral("width"), thumbnail.width},
                        {QStringLiteral("height"), thumbnail.height},
                        {QStringLiteral("bytes"), qint64(thumbnail.jpeg.size())}}});
    }

    AddHeifEmbeddedFindings(picture, structure, findings);

    // A raw's previews, found before, count as embedded pictures too.
    if (std::none_of(findings.begin(), findings.end(),
                     [](const Finding& finding) { return finding.topic() == Topic::Embedded; }))
        findings.push_back(Finding{FindingKind::NoEmbeddedPicture, {}, QJsonObject{}});
}

}  // namespace veltra::analysis
