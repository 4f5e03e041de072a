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
    case 0:
        return QStringLiteral("4:0:0");
    case 1:
        return QStringLiteral("4:2:0");
    case 2:
        return QStringLiteral("4:2:2");
    default:
        return QStringLiteral("4:4:4");
    }
}

QString Latin1(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

void AddBrands(const HeifStructure& heif, Language language, std::vector<Finding>& findings)
{
    QStringList compatible;
    for (const QByteArray& brand : heif.compatibleBrands)
        compatible << Latin1(brand);
    QString chinese = QStringLiteral("主品牌 %1；兼容品牌 %2")
                          .arg(Latin1(heif.majorBrand), compatible.join(QStringLiteral("、")));
    QString english = QStringLiteral("major brand %1; compatible brands %2")
                          .arg(Latin1(heif.majorBrand), compatible.join(QStringLiteral(", ")));
    if (heif.hasSequenceTrack) {
        chinese += QStringLiteral("；另有图像序列轨道（moov）");
        english += QStringLiteral("; it also holds an image sequence track (moov)");
    }
    findings.push_back(Finding{
        Topic::HeifContainer, QStringLiteral("brands"), Say(language, chinese, english),
        QJsonObject{{QStringLiteral("major_brand"), Latin1(heif.majorBrand)},
                    {QStringLiteral("compatible_brands"), QJsonArray::fromStringList(compatible)},
                    {QStringLiteral("sequence_track"), heif.hasSequenceTrack}}});
}

void AddCoding(const HeifStructure& heif, Language language, std::vector<Finding>& findings)
{
    if (heif.primaryItemType.isEmpty())
        return;
    const QString codec = Latin1(heif.codec);
    const QString item = Latin1(heif.primaryItemType);
    QString chinese;
    QString english;
    if (heif.gridColumns > 0) {
        chinese = QStringLiteral("主图像：由 %1 x %2 个 %3 图块拼成的网格（%4 项）")
                      .arg(heif.gridColumns)
                      .arg(heif.gridRows)
                      .arg(codec, item);
        english = QStringLiteral("primary picture: a grid of %1 x %2 tiles coded in %3 (item %4)")
                      .arg(heif.gridColumns)
                      .arg(heif.gridRows)
                      .arg(codec, item);
    } else {
        chinese = QStringLiteral("主图像：%1（%2 项）").arg(codec, item);
        english = QStringLiteral("primary picture: %1 (item %2)").arg(codec, item);
    }
    chinese += QStringLiteral("，每样本 %1 位").arg(heif.bitDepth);
    english += QStringLiteral(", %1 bits a sample").arg(heif.bitDepth);
    QJsonObject json{{QStringLiteral("item_type"), item},
                     {QStringLiteral("codec"), codec},
                     {QStringLiteral("bit_depth"), heif.bitDepth},
                     {QStringLiteral("monochrome"), heif.monochrome},
                     {QStringLiteral("alpha"), heif.alpha},
                     {QStringLiteral("stored_width"), heif.storedWidth},
                     {QStringLiteral("stored_height"), heif.storedHeight}};
    if (heif.chroma) {
        chinese += QStringLiteral("，色度 %1").arg(ChromaText(*heif.chroma));
        english += QStringLiteral(", chroma %1").arg(ChromaText(*heif.chroma));
        json.insert(QStringLiteral("chroma"), ChromaText(*heif.chroma));
    }
    if (heif.monochrome) {
        chinese += QStringLiteral("，灰度");
        english += QStringLiteral(", greyscale");
    }
    if (heif.alpha) {
        chinese += QStringLiteral("，带透明通道");
        english += QStringLiteral(", with an alpha plane");
    }
    if (heif.gridColumns > 0) {
        json.insert(QStringLiteral("grid_columns"), heif.gridColumns);
        json.insert(QStringLiteral("grid_rows"), heif.gridRows);
    }
    chinese +=
        QStringLiteral("；存储尺寸 %1x%2（ispe）").arg(heif.storedWidth).arg(heif.storedHeight);
    english += QStringLiteral("; stored %1x%2 (ispe)").arg(heif.storedWidth).arg(heif.storedHeight);
    findings.push_back(Finding{Topic::HeifContainer, QStringLiteral("coding"),
                               Say(language, chinese, english), json});
}

struct StepText {
    QString chinese;
    QString english;
    QJsonObject json;
};

StepText DescribeStep(const HeifTransform& step)
{
    switch (step.kind) {
    case HeifTransform::Kind::Rotation:
        return {QStringLiteral("逆时针旋转 %1°（irot）").arg(step.amount * 90),
                QStringLiteral("rotates it %1° anticlockwise (irot)").arg(step.amount * 90),
                QJsonObject{{QStringLiteral("kind"), QStringLiteral("rotation")},
                            {QStringLiteral("degrees_anticlockwise"), step.amount * 90}}};
    case HeifTransform::Kind::Mirror:
        if (step.amount == 1)
            return {QStringLiteral("左右镜像（imir）"),
                    QStringLiteral("mirrors it left to right (imir)"),
                    QJsonObject{{QStringLiteral("kind"), QStringLiteral("mirror")},
                                {QStringLiteral("direction"), QStringLiteral("left_right")}}};
        return {QStringLiteral("上下镜像（imir）"),
                QStringLiteral("mirrors it top to bottom (imir)"),
                QJsonObject{{QStringLiteral("kind"), QStringLiteral("mirror")},
                            {QStringLiteral("direction"), QStringLiteral("top_bottom")}}};
    case HeifTransform::Kind::CleanAperture:
        break;
    }
    return {QStringLiteral("裁剪到净光圈区域（clap）"),
            QStringLiteral("crops it to its clean aperture (clap)"),
            QJsonObject{{QStringLiteral("kind"), QStringLiteral("clean_aperture")}}};
}

// The container's transforms are the picture's orientation; the Exif orientation is only a
// claim, which may agree with them or not (Debian's encoder keeps a camera's Exif orientation
// and writes no transform at all).
void AddTransforms(const info::ImageFacts& facts, const HeifStructure& heif, Language language,
                   std::vector<Finding>& findings)
{
    if (heif.primaryItemType.isEmpty())
        return;
    QStringList chineseSteps;
    QStringList englishSteps;
    QJsonArray steps;
    for (const HeifTransform& step : heif.transforms) {
        const StepText text = DescribeStep(step);
        chineseSteps << text.chinese;
        englishSteps << text.english;
        steps.append(text.json);
    }
    const QString turn = QString::fromLatin1(RotateFlipTypeName(heif.containerTurn));
    QString chinese;
    QString english;
    if (steps.isEmpty()) {
        chinese = QStringLiteral("容器没有旋转或镜像图片");
        english = QStringLiteral("the container neither rotates nor mirrors the picture");
    } else {
        chinese = QStringLiteral("容器%1：合起来为 %2，解码时应用")
                      .arg(chineseSteps.join(QStringLiteral("，然后")), turn);
        english = QStringLiteral("the container %1: together %2, applied while decoding")
                      .arg(englishSteps.join(QStringLiteral(", then ")), turn);
    }
    QJsonObject json{{QStringLiteral("transforms"), steps},
                     {QStringLiteral("container_turn"), turn}};
    const bool exifKnown = facts.orientation >= 1 && facts.orientation <= 8;
    if (!exifKnown) {
        chinese += QStringLiteral("；没有 Exif 方向标志");
        english += QStringLiteral("; there is no Exif orientation");
        json.insert(QStringLiteral("exif_orientation"), QJsonValue::Null);
    } else {
        const RotateFlipType exifTurn =
            UprightTurnFor(facts.orientation).value_or(RotateNoneFlipNone);
        const QString asked = QString::fromLatin1(RotateFlipTypeName(exifTurn));
        const bool agrees = exifTurn == heif.containerTurn;
        if (agrees) {
            chinese += QStringLiteral(
                           "；Exif 方向标志 %1 要求的转动（%2）与之相同：二者一致，图片只转一次")
                           .arg(facts.orientation)
                           .arg(asked);
            english += QStringLiteral(
                           "; the Exif orientation %1 asks for the same turn (%2): they agree, and "
                           "the picture is turned once")
                           .arg(facts.orientation)
                           .arg(asked);
        } else {
            chinese += QStringLiteral(
                           "；Exif 方向标志 %1 要求 %2：二者不一致；按 HEIF "
                           "的规定，解码时应用容器的变换，不应用 Exif 方向标志")
                           .arg(facts.orientation)
                           .arg(asked);
            english +=
                QStringLiteral(
                    "; the Exif orientation %1 asks for %2: they disagree; as HEIF requires, the "
                    "container's transforms are applied and the Exif orientation is not")
                    .arg(facts.orientation)
                    .arg(asked);
        }
        json.insert(QStringLiteral("exif_orientation"), facts.orientation);
        json.insert(QStringLiteral("exif_turn"), asked);
        json.insert(QStringLiteral("agrees"), agrees);
    }
    findings.push_back(Finding{Topic::HeifContainer, QStringLiteral("transforms"),
                               Say(language, chinese, english), json});
}

// A thumbnail decoded on its own, upright as its own container orients it, and compared with
// the picture as shown.
void DescribeThumbnail(GpImage* picture, const HeifPictureSummary& thumbnail, Language language,
                       QStringList& texts, QJsonArray& list)
{
    QString text = QStringLiteral("%1 %2x%3")
                       .arg(Latin1(thumbnail.codec))
                       .arg(thumbnail.width)
                       .arg(thumbnail.height);
    QJsonObject json{{QStringLiteral("id"), qint64(thumbnail.id)},
                     {QStringLiteral("codec"), Latin1(thumbnail.codec)},
                     {QStringLiteral("width"), thumbnail.width},
                     {QStringLiteral("height"), thumbnail.height}};
    GpBitmap* decoded = nullptr;
    if (thumbnail.pictureFile.isEmpty() ||
        CreateBitmapFromBytes(thumbnail.pictureFile, &decoded) != Ok ||
        GdipImageForceDecode(decoded) != Ok) {
        if (decoded)
            GdipDisposeImage(decoded);
        json.insert(QStringLiteral("decoded"), false);
        text +=
            Say(language, QStringLiteral("（无法解码）"), QStringLiteral(" (cannot be decoded)"));
        texts << text;
        list.append(json);
        return;
    }
    const ImagePtr holder(decoded);
    json.insert(QStringLiteral("decoded"), true);
    if (const std::optional<double> difference = ThumbnailDifference(picture, holder.get())) {
        const QString amount = QString::number(*difference, 'f', 1);
        json.insert(QStringLiteral("mean_difference"), *difference);
        if (*difference <= kSamePicture) {
            json.insert(QStringLiteral("agrees"), true);
            text += Say(language,
                        QStringLiteral("，与缩小后的图片平均相差 %1（0–255）：显示的是同一画面")
                            .arg(amount),
                        QStringLiteral(", mean difference from the picture shrunk to its size %1 "
                                       "(0–255): it shows the same picture")
                            .arg(amount));
        } else if (*difference >= kDifferentPicture) {
            json.insert(QStringLiteral("agrees"), false);
            text += Say(
                language,
                QStringLiteral("，与缩小后的图片平均相差 "
                               "%1（0–255）：显示的是另一幅画面或另一种取景，这是编辑过的典型痕迹")
                    .arg(amount),
                QStringLiteral(
                    ", mean difference from the picture shrunk to its size %1 (0–255): it shows "
                    "another picture or another framing, a classic trace of editing")
                    .arg(amount));
        } else {
            json.insert(QStringLiteral("agrees"), QJsonValue::Null);
            text += Say(
                language,
                QStringLiteral("，与缩小后的图片平均相差 %1（0–255）：明显不同（颜色、取景或内容）")
                    .arg(amount),
                QStringLiteral(", mean difference from the picture shrunk to its size %1 (0–255): "
                               "it differs noticeably (colours, framing or content)")
                    .arg(amount));
        }
    }
    texts << text;
    list.append(json);
}

QString RoleText(const HeifPictureSummary& auxiliary, Language language)
{
    if (auxiliary.role == "alpha")
        return Say(language, QStringLiteral("透明通道"), QStringLiteral("alpha plane"));
    if (auxiliary.role == "depth")
        return Say(language, QStringLiteral("深度图"), QStringLiteral("depth map"));
    if (auxiliary.role == "hdr_gain_map")
        return Say(language, QStringLiteral("Apple HDR 增益图"),
                   QStringLiteral("Apple HDR gain map"));
    if (auxiliary.role == "matte")
        return Say(language, QStringLiteral("Apple 人像遮罩"),
                   QStringLiteral("Apple portrait matte"));
    return Say(language, QStringLiteral("辅助图像"), QStringLiteral("auxiliary picture"));
}

}  // namespace

void AddHeifContainerFindings(const info::ImageFacts& facts, const FileStructure& structure,
                              Language language, std::vector<Finding>& findings)
{
    if (!structure.heif)
        return;
    AddBrands(*structure.heif, language, findings);
    AddCoding(*structure.heif, language, findings);
    AddTransforms(facts, *structure.heif, language, findings);
}

void AddHeifEmbeddedFindings(GpImage* picture, const FileStructure& structure, Language language,
                             std::vector<Finding>& findings)
{
    if (!structure.heif)
        return;
    const HeifStructure& heif = *structure.heif;
    if (!heif.thumbnails.empty()) {
        QStringList texts;
        QJsonArray list;
        for (const HeifPictureSummary& thumbnail : heif.thumbnails)
            DescribeThumbnail(picture, thumbnail, language, texts, list);
        const qsizetype count = qsizetype(heif.thumbnails.size());
        findings.push_back(Finding{
            Topic::Embedded, QStringLiteral("heif_thumbnails"),
            Say(language,
                QStringLiteral("HEIF 缩略图 %1 张：%2")
                    .arg(count)
                    .arg(texts.join(QStringLiteral("；"))),
                QStringLiteral("HEIF thumbnails, %1: %2")
                    .arg(count)
                    .arg(texts.join(QStringLiteral("; ")))),
            QJsonObject{{QStringLiteral("count"), count}, {QStringLiteral("thumbnails"), list}}});
    }
    if (!heif.auxiliaryPictures.empty()) {
        QStringList texts;
        QJsonArray list;
        for (const HeifPictureSummary& auxiliary : heif.auxiliaryPictures) {
            texts << Say(language, QStringLiteral("%1 %2x%3（%4）"),
                         QStringLiteral("%1 %2x%3 (%4)"))
                         .arg(RoleText(auxiliary, language))
                         .arg(auxiliary.width)
                         .arg(auxiliary.height)
                         .arg(Latin1(auxiliary.auxiliaryType));
            list.append(QJsonObject{{QStringLiteral("id"), qint64(auxiliary.id)},
                                    {QStringLiteral("role"), Latin1(auxiliary.role)},
                                    {QStringLiteral("type"), Latin1(auxiliary.auxiliaryType)},
                                    {QStringLiteral("codec"), Latin1(auxiliary.codec)},
                                    {QStringLiteral("width"), auxiliary.width},
                                    {QStringLiteral("height"), auxiliary.height}});
        }
        const qsizetype count = qsizetype(heif.auxiliaryPictures.size());
        findings.push_back(Finding{
            Topic::Embedded, QStringLiteral("heif_auxiliary"),
            Say(language,
                QStringLiteral("辅助图像 %1 张：%2")
                    .arg(count)
                    .arg(texts.join(QStringLiteral("；"))),
                QStringLiteral("auxiliary pictures, %1: %2")
                    .arg(count)
                    .arg(texts.join(QStringLiteral("; ")))),
            QJsonObject{{QStringLiteral("count"), count}, {QStringLiteral("pictures"), list}}});
    }
}

}  // namespace veltra::analysis
