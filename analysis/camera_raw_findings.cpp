#include "camera_raw_findings.h"

#include "analysis_support.h"
#include "embedded_pictures.h"
#include "imaging/gdiplus.h"
#include "imaging/image_handles.h"

#include <QJsonArray>
#include <QStringList>

namespace veltra::analysis {

namespace {

using namespace imaging;

constexpr PROPID kOriginalRawFileName = 0xC68B;

QString Size(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

void AddCamera(const CameraRawStructure& raw, Language language, std::vector<Finding>& findings)
{
    const QString camera = QString::fromUtf8(raw.make + ' ' + raw.model).trimmed();
    findings.push_back(Finding{
        Topic::CameraRaw, QStringLiteral("camera"),
        Say(language, QStringLiteral("相机：%1").arg(camera), QStringLiteral("camera: %1").arg(camera)),
        QJsonObject{{QStringLiteral("make"), QString::fromUtf8(raw.make)},
                    {QStringLiteral("model"), QString::fromUtf8(raw.model)}}});
}

void AddSensor(const CameraRawStructure& raw, Language language, std::vector<Finding>& findings)
{
    const QRect area = raw.visibleArea;
    QString chinese = QStringLiteral("传感器数据 %1（含边缘），成像区域 %2，始于 (%3, %4)")
                          .arg(Size(raw.sensorSize), Size(area.size()))
                          .arg(area.left()).arg(area.top());
    QString english = QStringLiteral("sensor data %1 with its margins, the picture's area %2 from (%3, %4)")
                          .arg(Size(raw.sensorSize), Size(area.size()))
                          .arg(area.left()).arg(area.top());
    if (raw.cfaPattern.isEmpty()) {
        chinese += QStringLiteral("；每个样本都是全彩色（没有滤色阵列）");
        english += QStringLiteral("; samples of full colour (no colour filter array)");
    } else {
        chinese += QStringLiteral("；滤色阵列 %1").arg(QString::fromLatin1(raw.cfaPattern));
        english += QStringLiteral("; colour filter array %1").arg(QString::fromLatin1(raw.cfaPattern));
    }
    if (raw.bitsPerSample > 0) {
        chinese += QStringLiteral("；每样本 %1 位").arg(raw.bitsPerSample);
        english += QStringLiteral("; %1 bits a sample").arg(raw.bitsPerSample);
    }
    chinese += QStringLiteral("，白电平 %1；冲洗后 %2").arg(raw.whiteLevel).arg(Size(raw.developedSize));
    english += QStringLiteral(", white level %1; developed %2").arg(raw.whiteLevel).arg(Size(raw.developedSize));
    findings.push_back(Finding{
        Topic::CameraRaw, QStringLiteral("sensor"), Say(language, chinese, english),
        QJsonObject{{QStringLiteral("sensor_width"), raw.sensorSize.width()},
                    {QStringLiteral("sensor_height"), raw.sensorSize.height()},
                    {QStringLiteral("left_margin"), area.left()},
                    {QStringLiteral("top_margin"), area.top()},
                    {QStringLiteral("visible_width"), area.width()},
                    {QStringLiteral("visible_height"), area.height()},
                    {QStringLiteral("cfa_pattern"), QString::fromLatin1(raw.cfaPattern)},
                    {QStringLiteral("bits_per_sample"), raw.bitsPerSample},
                    {QStringLiteral("white_level"), qint64(raw.whiteLevel)},
                    {QStringLiteral("developed_width"), raw.developedSize.width()},
                    {QStringLiteral("developed_height"), raw.developedSize.height()}}});
}

void AddDng(const CameraRawStructure& raw, const info::ImageFacts& facts, Language language,
            std::vector<Finding>& findings)
{
    if (raw.dngVersion.isEmpty())
        return;
    const info::PropertyFact* original = FindProperty(facts, kOriginalRawFileName);
    const info::PropertyFact* software = FindProperty(facts, PropertyTagSoftwareUsed);
    const QString originalName = original ? original->value : QString();
    const QString writer = software ? software->value : QString();
    // Adobe's converter names itself; other converters keep the original file's name.
    const bool converted =
        !originalName.isEmpty() || writer.contains(QLatin1String("DNG Converter"), Qt::CaseInsensitive);
    const QString version = QString::fromLatin1(raw.dngVersion);
    QString chinese = QStringLiteral("DNG %1；").arg(version);
    QString english = QStringLiteral("DNG %1; ").arg(version);
    if (converted) {
        chinese += QStringLiteral("由另一种原始文件转换而来");
        english += QStringLiteral("converted from another raw");
        if (!originalName.isEmpty()) {
            chinese += QStringLiteral("（原文件名“%1”）").arg(originalName);
            english += QStringLiteral(" (original file name \"%1\")").arg(originalName);
        }
        if (!writer.isEmpty()) {
            chinese += QStringLiteral("，转换软件“%1”").arg(writer);
            english += QStringLiteral(" by \"%1\"").arg(writer);
        }
    } else {
        chinese += QStringLiteral("没有转换的痕迹（没有原文件名，软件不是转换器）：相机或软件直接写成 DNG");
        english += QStringLiteral("no trace of a conversion (no original file name, no converter as its software): written as DNG by its camera or software");
    }
    findings.push_back(Finding{Topic::CameraRaw, QStringLiteral("dng"), Say(language, chinese, english),
                               QJsonObject{{QStringLiteral("version"), version},
                                           {QStringLiteral("converted"), converted},
                                           {QStringLiteral("original_raw_file_name"), originalName},
                                           {QStringLiteral("software"), writer}}});
}

// How far the preview is from the picture, both upright; nothing when it cannot be decoded.
std::optional<double> PreviewDifference(GpImage* picture, const RawPreview& preview,
                                        RotateFlipType turn)
{
    if (preview.file.isEmpty())
        return std::nullopt;
    GpBitmap* decoded = nullptr;
    if (CreateBitmapFromBytes(preview.file, &decoded) != Ok)
        return std::nullopt;
    const ImagePtr image(decoded);
    // A camera stores its previews as its sensor lies, so they take the picture's turn.
    if (GdipImageRotateFlip(image.get(), turn) != Ok)
        return std::nullopt;
    return ThumbnailDifference(picture, image.get());
}

void AddPreviews(GpImage* picture, const CameraRawStructure& raw, const info::ImageFacts& facts,
                 Language language, std::vector<Finding>& findings)
{
    if (raw.previews.empty())
        return;
    QStringList chinese;
    QStringList english;
    QJsonArray list;
    for (const RawPreview& preview : raw.previews) {
        const QString format = QString::fromLatin1(preview.format).toUpper();
        const QString location = QString::fromLatin1(preview.location);
        QString zh = QStringLiteral("%1：%2，%3").arg(location, format, Size(preview.size));
        QString en = QStringLiteral("%1: %2, %3").arg(location, format, Size(preview.size));
        if (preview.offeredByLibRaw) {
            zh += QStringLiteral("（LibRaw 提供的预览）");
            en += QStringLiteral(" (the preview LibRaw offers)");
        }
        QJsonObject json{{QStringLiteral("location"), location},
                         {QStringLiteral("format"), QString::fromLatin1(preview.format)},
                         {QStringLiteral("width"), preview.size.width()},
                         {QStringLiteral("height"), preview.size.height()},
                         {QStringLiteral("bytes"), qint64(preview.bytes)},
                         {QStringLiteral("offered_by_libraw"), preview.offeredByLibRaw}};
        if (const std::optional<double> difference = PreviewDifference(picture, preview, facts.turn)) {
            const QString amount = QString::number(*difference, 'f', 1);
            json.insert(QStringLiteral("mean_difference"), *difference);
            if (*difference <= kSamePicture) {
                json.insert(QStringLiteral("agrees"), true);
                zh += QStringLiteral("，与图片平均相差 %1（0–255）：显示的是同一画面").arg(amount);
                en += QStringLiteral(", mean difference from the picture %1 (0–255): it shows the same picture").arg(amount);
            } else if (*difference >= kDifferentPicture) {
                json.insert(QStringLiteral("agrees"), false);
                zh += QStringLiteral("，与图片平均相差 %1（0–255）：显示的是另一幅画面").arg(amount);
                en += QStringLiteral(", mean difference from the picture %1 (0–255): it shows another picture").arg(amount);
            } else {
                json.insert(QStringLiteral("agrees"), QJsonValue::Null);
                zh += QStringLiteral("，与图片平均相差 %1（0–255）：有明显差别（相机的色调处理或内容）").arg(amount);
                en += QStringLiteral(", mean difference from the picture %1 (0–255): it differs noticeably (the camera's rendering, or content)").arg(amount);
            }
        } else {
            json.insert(QStringLiteral("decoded"), false);
            zh += QStringLiteral("，无法解码");
            en += QStringLiteral(", cannot be decoded");
        }
        chinese << zh;
        english << en;
        list.append(json);
    }
    const qsizetype count = qsizetype(raw.previews.size());
    findings.push_back(Finding{
        Topic::Embedded, QStringLiteral("raw_previews"),
        Say(language,
            QStringLiteral("原始文件内嵌 %1 张图片：%2").arg(count).arg(chinese.join(QStringLiteral("；"))),
            QStringLiteral("the raw keeps %1 pictures: %2").arg(count).arg(english.join(QStringLiteral("; ")))),
        QJsonObject{{QStringLiteral("count"), count}, {QStringLiteral("previews"), list}}});
}

}  // namespace

void AddCameraRawFindings(GpImage* picture, const info::ImageFacts& facts,
                          const FileStructure& structure, Language language,
                          std::vector<Finding>& findings)
{
    if (!structure.cameraRaw)
        return;
    const CameraRawStructure& raw = *structure.cameraRaw;
    if (raw.libraryAvailable) {
        AddCamera(raw, language, findings);
        AddSensor(raw, language, findings);
    } else {
        findings.push_back(Finding{
            Topic::CameraRaw, QStringLiteral("library"),
            Say(language, QStringLiteral("无法打开 LibRaw：相机与传感器的信息无从得知"),
                QStringLiteral("LibRaw cannot be opened: the camera and its sensor are not known")),
            QJsonObject{{QStringLiteral("available"), false}}});
    }
    AddDng(raw, facts, language, findings);
    AddPreviews(picture, raw, facts, language, findings);
}

}  // namespace veltra::analysis
