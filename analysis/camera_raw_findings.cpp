#include "camera_raw_findings.h"

#include "analysis_support.h"
#include "embedded_pictures.h"
#include "imaging/gdiplus.h"
#include "imaging/image_handles.h"

#include <QJsonArray>

namespace veltra::analysis {

namespace {

using namespace imaging;

constexpr PROPID kOriginalRawFileName = 0xC68B;

QString Size(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

void AddCamera(const CameraRawStructure& raw, std::vector<Finding>& findings)
{
    const QString camera = QString::fromUtf8(raw.make + ' ' + raw.model).trimmed();
    findings.push_back(Finding{FindingKind::RawCamera, {camera},
                               QJsonObject{{QStringLiteral("make"), QString::fromUtf8(raw.make)},
                                           {QStringLiteral("model"), QString::fromUtf8(raw.model)}}});
}

void AddSensor(const CameraRawStructure& raw, std::vector<Finding>& findings)
{
    const QRect area = raw.visibleArea;
    findings.push_back(Finding{
        FindingKind::RawSensor,
        {Size(raw.sensorSize), Size(area.size()), Wording::Number(area.left()),
         Wording::Number(area.top()),
         raw.cfaPattern.isEmpty()
             ? Wording::Of(Phrase::RawFullColour)
             : Wording::Of(Phrase::RawColourFilter, {QString::fromLatin1(raw.cfaPattern)}),
         raw.bitsPerSample > 0
             ? Wording::Of(Phrase::RawBitsPerSample, {Wording::Number(raw.bitsPerSample)})
             : Wording(),
         Wording::Number(raw.whiteLevel), Size(raw.developedSize)},
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

void AddDng(const CameraRawStructure& raw, const info::ImageFacts& facts,
            std::vector<Finding>& findings)
{
    if (raw.dngVersion.isEmpty())
        return;
    const info::PropertyFact* original = FindProperty(facts, kOriginalRawFileName);
    const info::PropertyFact* software = FindProperty(facts, PropertyTagSoftwareUsed);
    const QString originalName = original ? original->value : QString();
    const QString writer = software ? software->value : QString();
    // Adobe's converter names itself; other converters keep the original file's name.
    const bool converted = !originalName.isEmpty() ||
                           writer.contains(QLatin1String("DNG Converter"), Qt::CaseInsensitive);
    const QString version = QString::fromLatin1(raw.dngVersion);
    const QJsonObject json{{QStringLiteral("version"), version},
                           {QStringLiteral("converted"), converted},
                           {QStringLiteral("original_raw_file_name"), originalName},
                           {QStringLiteral("software"), writer}};
    if (!converted) {
        findings.push_back(Finding{FindingKind::RawDngWrittenAsDng, {version}, json});
        return;
    }
    findings.push_back(Finding{
        FindingKind::RawDngConverted,
        {version,
         originalName.isEmpty() ? Wording() : Wording::Of(Phrase::RawOriginalName, {originalName}),
         writer.isEmpty() ? Wording() : Wording::Of(Phrase::RawConverter, {writer})},
        json});
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

// The pictures kept beside the sensor data, each compared with the picture.
void AddPreviews(GpImage* picture, const info::ImageFacts& facts, const FileStructure& structure,
                 std::vector<Finding>& findings)
{
    if (!structure.cameraRaw || structure.cameraRaw->previews.empty())
        return;
    const CameraRawStructure& raw = *structure.cameraRaw;
    std::vector<Wording> items;
    QJsonArray list;
    bool another = false;
    for (const RawPreview& preview : raw.previews) {
        const QString format = QString::fromLatin1(preview.format);
        QJsonObject json{{QStringLiteral("location"), QString::fromLatin1(preview.location)},
                         {QStringLiteral("format"), format},
                         {QStringLiteral("width"), preview.size.width()},
                         {QStringLiteral("height"), preview.size.height()},
                         {QStringLiteral("bytes"), qint64(preview.bytes)},
                         {QStringLiteral("offered_by_libraw"), preview.offeredByLibRaw}};
        Wording comparison;
        if (const std::optional<double> difference = PreviewDifference(picture, preview, facts.turn)) {
            const Wording amount = Wording::Fixed(*difference, 1);
            json.insert(QStringLiteral("mean_difference"), *difference);
            if (*difference <= kSamePicture) {
                json.insert(QStringLiteral("agrees"), true);
                comparison = Wording::Of(Phrase::RawPreviewSamePicture, {amount});
            } else if (*difference >= kDifferentPicture) {
                json.insert(QStringLiteral("agrees"), false);
                comparison = Wording::Of(Phrase::RawPreviewOtherPicture, {amount});
                another = true;
            } else {
                json.insert(QStringLiteral("agrees"), QJsonValue::Null);
                comparison = Wording::Of(Phrase::RawPreviewDiffers, {amount});
            }
        } else {
            json.insert(QStringLiteral("decoded"), false);
            comparison = Wording::Of(Phrase::RawPreviewUndecodable);
        }
        items.push_back(Wording::Of(
            Phrase::RawPreview,
            {QString::fromLatin1(preview.location), format.toUpper(), Size(preview.size),
             preview.offeredByLibRaw ? Wording::Of(Phrase::RawOfferedByLibRaw) : Wording(),
             std::move(comparison)}));
        list.append(json);
    }
    const qsizetype count = qsizetype(raw.previews.size());
    findings.push_back(Finding{
        another ? FindingKind::RawPreviewOfAnotherPicture : FindingKind::RawPreviews,
        {Wording::Number(count), Wording::List(Wording::Joiner::Clauses, items)},
        QJsonObject{{QStringLiteral("count"), count}, {QStringLiteral("previews"), list}}});
}

}  // namespace

void AddCameraRawFindings(GpImage* picture, const info::ImageFacts& facts,
                          const FileStructure& structure, std::vector<Finding>& findings)
{
    if (!structure.cameraRaw)
        return;
    const CameraRawStructure& raw = *structure.cameraRaw;
    if (raw.libraryAvailable) {
        AddCamera(raw, findings);
        AddSensor(raw, findings);
    } else {
        findings.push_back(Finding{FindingKind::RawLibraryMissing, {},
                                   QJsonObject{{QStringLiteral("available"), false}}});
    }
    AddDng(raw, facts, findings);
    AddPreviews(picture, facts, structure, findings);
}

}  // namespace veltra::analysis
