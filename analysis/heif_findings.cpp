#include "heif_findings.h"

#include "analysis_support.h"
#include "embedded_pictures.h"
#include "imaging/gdiplus.h"
#include "imaging/image_handles.h"
#include "imaging/orientation.h"

#include <QJsonArray>
#include <QStringList>

namespace veltra::analysis {

namespace {

using namespace imaging;

QString ChromaText(int chroma)
{
    switch (chroma) {
    case 0: return QStringLiteral("4:0:0");
    case 1: return QStringLiteral("4:2:0");
    case 2: return QStringLiteral("4:2:2");
    default: return QStringLiteral("4:4:4");
    }
}

QString Latin1(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

void AddBrands(const HeifStructure& heif, std::vector<Finding>& findings)
{
    QStringList compatible;
    std::vector<Wording> brands;
    for (const QByteArray& brand : heif.compatibleBrands) {
        compatible << Latin1(brand);
        brands.emplace_back(Latin1(brand));
    }
    findings.push_back(Finding{
        FindingKind::HeifBrands,
        {Latin1(heif.majorBrand), Wording::List(Wording::Joiner::Enumeration, brands),
         heif.hasSequenceTrack ? Wording::Of(Phrase::HeifSequenceTrack) : Wording()},
        QJsonObject{{QStringLiteral("major_brand"), Latin1(heif.majorBrand)},
                    {QStringLiteral("compatible_brands"), QJsonArray::fromStringList(compatible)},
                    {QStringLiteral("sequence_track"), heif.hasSequenceTrack}}});
}

void AddCoding(const HeifStructure& heif, std::vector<Finding>& findings)
{
    if (heif.primaryItemType.isEmpty())
        return;
    const QString codec = Latin1(heif.codec);
    const QString item = Latin1(heif.primaryItemType);
    const Wording coded =
        heif.gridColumns > 0
            ? Wording::Of(Phrase::HeifGrid, {Wording::Number(heif.gridColumns),
                                             Wording::Number(heif.gridRows), codec, item})
            : Wording::Of(Phrase::HeifSingleItem, {codec, item});
    QJsonObject json{{QStringLiteral("item_type"), item},
                     {QStringLiteral("codec"), codec},
                     {QStringLiteral("bit_depth"), heif.bitDepth},
                     {QStringLiteral("monochrome"), heif.monochrome},
                     {QStringLiteral("alpha"), heif.alpha},
                     {QStringLiteral("stored_width"), heif.storedWidth},
                     {QStringLiteral("stored_height"), heif.storedHeight}};
    Wording chroma;
    if (heif.chroma) {
        chroma = Wording::Of(Phrase::HeifChroma, {ChromaText(*heif.chroma)});
        json.insert(QStringLiteral("chroma"), ChromaText(*heif.chroma));
    }
    if (heif.gridColumns > 0) {
        json.insert(QStringLiteral("grid_columns"), heif.gridColumns);
        json.insert(QStringLiteral("grid_rows"), heif.gridRows);
    }
    findings.push_back(Finding{
        FindingKind::HeifCoding,
        {coded, Wording::Number(heif.bitDepth), chroma,
         heif.monochrome ? Wording::Of(Phrase::HeifGreyscale) : Wording(),
         heif.alpha ? Wording::Of(Phrase::HeifAlpha) : Wording(), Wording::Number(heif.storedWidth),
         Wording::Number(heif.storedHeight)},
        json});
}

Wording StepWording(const HeifTransform& step)
{
    switch (step.kind) {
    case HeifTransform::Kind::Rotation:
        return Wording::Of(Phrase::HeifRotation, {Wording::Number(step.amount * 90)});
    case HeifTransform::Kind::Mirror:
        return Wording::Of(step.amount == 1 ? Phrase::HeifMirrorLeftRight
                                            : Phrase::HeifMirrorTopBottom);
    case HeifTransform::Kind::CleanAperture:
        break;
    }
    return Wording::Of(Phrase::HeifCleanAperture);
}

QJsonObject StepJson(const HeifTransform& step)
{
    switch (step.kind) {
    case HeifTransform::Kind::Rotation:
        return {{QStringLiteral("kind"), QStringLiteral("rotation")},
                {QStringLiteral("degrees_anticlockwise"), step.amount * 90}};
    case HeifTransform::Kind::Mirror:
        return {{QStringLiteral("kind"), QStringLiteral("mirror")},
                {QStringLiteral("direction"), step.amount == 1 ? QStringLiteral("left_right")
                                                               : QStringLiteral("top_bottom")}};
    case HeifTransform::Kind::CleanAperture:
        break;
    }
    return {{QStringLiteral("kind"), QStringLiteral("clean_aperture")}};
}

// The container's transforms are the picture's orientation; the Exif orientation is only a
// claim, which may agree with them or not (Debian's encoder keeps a camera's Exif orientation
// and writes no transform at all).
void AddTransforms(const info::ImageFacts& facts, const HeifStructure& heif,
                   std::vector<Finding>& findings)
{
    if (heif.primaryItemType.isEmpty())
        return;
    std::vector<Wording> steps;
    QJsonArray stepsJson;
    for (const HeifTransform& step : heif.transforms) {
        steps.push_back(StepWording(step));
        stepsJson.append(StepJson(step));
    }
    const QString turn = QString::fromLatin1(RotateFlipTypeName(heif.containerTurn));
    QJsonObject json{{QStringLiteral("transforms"), stepsJson},
                     {QStringLiteral("container_turn"), turn}};
    Wording exifClause;
    if (facts.orientation < 1 || facts.orientation > 8) {
        exifClause = Wording::Of(Phrase::HeifNoExifOrientation);
        json.insert(QStringLiteral("exif_orientation"), QJsonValue::Null);
    } else {
        const RotateFlipType exifTurn = UprightTurnFor(facts.orientation).value_or(RotateNoneFlipNone);
        const QString asked = QString::fromLatin1(RotateFlipTypeName(exifTurn));
        const bool agrees = exifTurn == heif.containerTurn;
        exifClause = Wording::Of(agrees ? Phrase::HeifExifOrientationAgrees
                                        : Phrase::HeifExifOrientationDisagrees,
                                 {Wording::Number(facts.orientation), asked});
        json.insert(QStringLiteral("exif_orientation"), facts.orientation);
        json.insert(QStringLiteral("exif_turn"), asked);
        json.insert(QStringLiteral("agrees"), agrees);
    }
    if (steps.empty()) {
        findings.push_back(Finding{FindingKind::HeifNoTransform, {exifClause}, json});
        return;
    }
    findings.push_back(Finding{
        FindingKind::HeifTransforms,
        {Wording::List(Wording::Joiner::Steps, steps), turn, exifClause}, json});
}

// A thumbnail decoded on its own, upright as its own container orients it, and compared with
// the picture as shown. Returns whether it shows another picture.
bool DescribeThumbnail(GpImage* picture, const HeifPictureSummary& thumbnail,
                       std::vector<Wording>& items, QJsonArray& list)
{
    QJsonObject json{{QStringLiteral("id"), qint64(thumbnail.id)},
                     {QStringLiteral("codec"), Latin1(thumbnail.codec)},
                     {QStringLiteral("width"), thumbnail.width},
                     {QStringLiteral("height"), thumbnail.height}};
    const auto item = [&](Wording comparison) {
        items.push_back(Wording::Of(Phrase::HeifThumbnail,
                                    {Latin1(thumbnail.codec), Wording::Number(thumbnail.width),
                                     Wording::Number(thumbnail.height), std::move(comparison)}));
    };
    GpBitmap* decoded = nullptr;
    if (thumbnail.pictureFile.isEmpty() ||
        CreateBitmapFromBytes(thumbnail.pictureFile, &decoded) != Ok ||
        GdipImageForceDecode(decoded) != Ok) {
        if (decoded)
            GdipDisposeImage(decoded);
        json.insert(QStringLiteral("decoded"), false);
        item(Wording::Of(Phrase::ThumbnailUndecodable));
        list.append(json);
        return false;
    }
    const ImagePtr holder(decoded);
    json.insert(QStringLiteral("decoded"), true);
    bool another = false;
    Wording comparison;
    if (const std::optional<double> difference = ThumbnailDifference(picture, holder.get())) {
        const Wording amount = Wording::Fixed(*difference, 1);
        json.insert(QStringLiteral("mean_difference"), *difference);
        if (*difference <= kSamePicture) {
            json.insert(QStringLiteral("agrees"), true);
            comparison = Wording::Of(Phrase::ThumbnailSamePicture, {amount});
        } else if (*difference >= kDifferentPicture) {
            json.insert(QStringLiteral("agrees"), false);
            comparison = Wording::Of(Phrase::ThumbnailOtherPicture, {amount});
            another = true;
        } else {
            json.insert(QStringLiteral("agrees"), QJsonValue::Null);
            comparison = Wording::Of(Phrase::ThumbnailDiffers, {amount});
        }
    }
    item(std::move(comparison));
    list.append(json);
    return another;
}

Phrase RolePhrase(const QByteArray& role)
{
    if (role == "alpha")
        return Phrase::AuxiliaryAlpha;
    if (role == "depth")
        return Phrase::AuxiliaryDepth;
    if (role == "hdr_gain_map")
        return Phrase::AuxiliaryGainMap;
    if (role == "matte")
        return Phrase::AuxiliaryMatte;
    return Phrase::AuxiliaryOther;
}

}  // namespace

void AddHeifContainerFindings(const info::ImageFacts& facts, const FileStructure& structure,
                              std::vector<Finding>& findings)
{
    if (!structure.heif)
        return;
    AddBrands(*structure.heif, findings);
    AddCoding(*structure.heif, findings);
    AddTransforms(facts, *structure.heif, findings);
}

void AddHeifEmbeddedFindings(GpImage* picture, const FileStructure& structure,
                             std::vector<Finding>& findings)
{
    if (!structure.heif)
        return;
    const HeifStructure& heif = *structure.heif;
    if (!heif.thumbnails.empty()) {
        std::vector<Wording> items;
        QJsonArray list;
        bool another = false;
        for (const HeifPictureSummary& thumbnail : heif.thumbnails)
            another = DescribeThumbnail(picture, thumbnail, items, list) || another;
        const qsizetype count = qsizetype(heif.thumbnails.size());
        findings.push_back(Finding{
            another ? FindingKind::HeifThumbnailOfAnotherPicture : FindingKind::HeifThumbnails,
            {Wording::Number(count), Wording::List(Wording::Joiner::Clauses, items)},
            QJsonObject{{QStringLiteral("count"), count}, {QStringLiteral("thumbnails"), list}}});
    }
    if (!heif.auxiliaryPictures.empty()) {
        std::vector<Wording> items;
        QJsonArray list;
        for (const HeifPictureSummary& auxiliary : heif.auxiliaryPictures) {
            items.push_back(Wording::Of(
                Phrase::HeifAuxiliaryPicture,
                {Wording::Of(RolePhrase(auxiliary.role)), Wording::Number(auxiliary.width),
                 Wording::Number(auxiliary.height), Latin1(auxiliary.auxiliaryType)}));
            list.append(QJsonObject{{QStringLiteral("id"), qint64(auxiliary.id)},
                                    {QStringLiteral("role"), Latin1(auxiliary.role)},
                                    {QStringLiteral("type"), Latin1(auxiliary.auxiliaryType)},
                                    {QStringLiteral("codec"), Latin1(auxiliary.codec)},
                                    {QStringLiteral("width"), auxiliary.width},
                                    {QStringLiteral("height"), auxiliary.height}});
        }
        const qsizetype count = qsizetype(heif.auxiliaryPictures.size());
        findings.push_back(Finding{
            FindingKind::HeifAuxiliaryPictures,
            {Wording::Number(count), Wording::List(Wording::Joiner::Clauses, items)},
            QJsonObject{{QStringLiteral("count"), count}, {QStringLiteral("pictures"), list}}});
    }
}

}  // namespace veltra::analysis
