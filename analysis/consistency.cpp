#include "consistency.h"

#include "analysis_support.h"

#include <QDateTime>

#include <cmath>

namespace veltra::analysis {

namespace {

using namespace imaging;

// The rational at `index` of a RATIONAL item: resolutions and GPS times are unsigned.
std::optional<double> Rational(const info::PropertyFact* fact, int index)
{
    if (!fact || fact->type != PropertyTagTypeRational)
        return std::nullopt;
    return info::RationalAt(fact, index);
}

QString AsciiValue(const info::PropertyFact* fact)
{
    return fact && fact->type == PropertyTagTypeASCII ? fact->value.trimmed() : QString();
}

void CheckPixelDimensions(const info::ImageFacts& facts, Language language,
                          std::vector<Finding>& findings)
{
    const std::optional<std::uint32_t> width = info::FirstUnsigned(FindProperty(facts, PropertyTagExifPixXDim));
    const std::optional<std::uint32_t> height = info::FirstUnsigned(FindProperty(facts, PropertyTagExifPixYDim));
    if (!width || !height)
        return;
    const bool agrees = *width == facts.storedWidth && *height == facts.storedHeight;
    const QString declared = QStringLiteral("%1x%2").arg(*width).arg(*height);
    const QString real = QStringLiteral("%1x%2").arg(facts.storedWidth).arg(facts.storedHeight);
    findings.push_back(Finding{
        Topic::Consistency, QStringLiteral("pixel_dimensions"),
        agrees ? Say(language, QStringLiteral("Exif 像素尺寸 %1 与实际尺寸相符").arg(declared),
                     QStringLiteral("the Exif pixel dimensions %1 fit the real size").arg(declared))
               : Say(language, QStringLiteral("Exif 像素尺寸 %1 与实际尺寸 %2 不符：图片可能被裁剪或缩放过，而 Exif 未随之更新").arg(declared, real),
                     QStringLiteral("the Exif pixel dimensions %1 differ from the real size %2: the picture may have been cropped or resized without its Exif being updated").arg(declared, real)),
        QJsonObject{{QStringLiteral("exif_width"), qint64(*width)}, {QStringLiteral("exif_height"), qint64(*height)},
                    {QStringLiteral("width"), qint64(facts.storedWidth)}, {QStringLiteral("height"), qint64(facts.storedHeight)},
                    {QStringLiteral("agrees"), agrees}}});
}

void CheckThumbnailOrientation(const info::ImageFacts& facts, Language language,
                               std::vector<Finding>& findings)
{
    const std::optional<std::uint32_t> thumbnail =
        info::FirstUnsigned(FindProperty(facts, PropertyTagThumbnailOrientation));
    if (!thumbnail || facts.orientation == 0)
        return;
    const bool agrees = *thumbnail == facts.orientation;
    findings.push_back(Finding{
        Topic::Consistency, QStringLiteral("thumbnail_orientation"),
        agrees ? Say(language, QStringLiteral("缩略图的方向标志 %1 与图片相同").arg(*thumbnail),
                     QStringLiteral("the thumbnail's orientation %1 is the picture's").arg(*thumbnail))
               : Say(language, QStringLiteral("缩略图的方向标志 %1 与图片的 %2 不同").arg(*thumbnail).arg(facts.orientation),
                     QStringLiteral("the thumbnail's orientation %1 differs from the picture's %2").arg(*thumbnail).arg(facts.orientation)),
        QJsonObject{{QStringLiteral("thumbnail"), qint64(*thumbnail)},
                    {QStringLiteral("picture"), facts.orientation}, {QStringLiteral("agrees"), agrees}}});
}

void CheckDensity(const info::ImageFacts& facts, const FileStructure& structure, Language language,
                  std::vector<Finding>& findings)
{
    if (!structure.jfifDensity)
        return;
    const auto [unit, jfifX, jfifY] = *structure.jfifDensity;
    const std::optional<double> exifX = Rational(FindProperty(facts, PropertyTagXResolution), 0);
    const std::optional<double> exifY = Rational(FindProperty(facts, PropertyTagYResolution), 0);
    if ((unit != 1 && unit != 2) || !exifX || !exifY)
        return;
    const double perInch = unit == 2 ? 2.54 : 1.0;
    const std::uint32_t exifUnit = info::FirstUnsigned(FindProperty(facts, PropertyTagResolutionUnit)).value_or(2);
    const double exifPerInch = exifUnit == 3 ? 2.54 : 1.0;
    const double jx = jfifX * perInch;
    const double jy = jfifY * perInch;
    const double ex = *exifX * exifPerInch;
    const double ey = *exifY * exifPerInch;
    const bool agrees = std::abs(jx - ex) < 0.5 && std::abs(jy - ey) < 0.5;
    const QString jfif = QStringLiteral("%1x%2").arg(jx, 0, 'f', 0).arg(jy, 0, 'f', 0);
    const QString exif = QStringLiteral("%1x%2").arg(ex, 0, 'f', 0).arg(ey, 0, 'f', 0);
    findings.push_back(Finding{
        Topic::Consistency, QStringLiteral("density"),
        agrees ? Say(language, QStringLiteral("JFIF 密度与 Exif 分辨率相同（%1 dpi）").arg(jfif),
                     QStringLiteral("the JFIF density and the Exif resolution agree (%1 dpi)").arg(jfif))
               : Say(language, QStringLiteral("JFIF 密度 %1 dpi 与 Exif 分辨率 %2 dpi 不同（报告采用 JFIF 的）").arg(jfif, exif),
                     QStringLiteral("the JFIF density %1 dpi differs from the Exif resolution %2 dpi (the report uses the JFIF one)").arg(jfif, exif)),
        QJsonObject{{QStringLiteral("jfif_dpi_x"), jx}, {QStringLiteral("jfif_dpi_y"), jy},
                    {QStringLiteral("exif_dpi_x"), ex}, {QStringLiteral("exif_dpi_y"), ey},
                    {QStringLiteral("agrees"), agrees}}});
}

void CheckDates(const info::ImageFacts& facts, Language language, std::vector<Finding>& findings)
{
    const QString original = AsciiValue(FindProperty(facts, PropertyTagExifDTOrig));
    const QString gpsDate = AsciiValue(FindProperty(facts, PropertyTagGpsDate));
    const info::PropertyFact* gpsTime = FindProperty(facts, PropertyTagGpsGpsTime);
    const QDateTime taken = QDateTime::fromString(original, QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    const QDate date = QDate::fromString(gpsDate, QStringLiteral("yyyy:MM:dd"));
    const std::optional<double> hours = Rational(gpsTime, 0);
    const std::optional<double> minutes = Rational(gpsTime, 1);
    const std::optional<double> seconds = Rational(gpsTime, 2);
    if (!taken.isValid() || !date.isValid() || !hours || !minutes || !seconds)
        return;
    const QDateTime gps = QDateTime(date, QTime(0, 0), Qt::UTC)
                              .addSecs(qint64(*hours * 3600 + *minutes * 60 + *seconds));
    const QDateTime local(taken.date(), taken.time(), Qt::UTC);
    const double difference = std::abs(double(local.secsTo(gps))) / 3600.0;
    const bool agrees = difference <= kMostTimeZoneHours;
    const QString amount = QString::number(difference, 'f', 1);
    const QString gpsText = gps.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    findings.push_back(Finding{
        Topic::Consistency, QStringLiteral("dates"),
        agrees ? Say(language, QStringLiteral("拍摄时间 %1 与 GPS 时间 %2 UTC 相差 %3 小时，时区可以解释").arg(original, gpsText, amount),
                     QStringLiteral("the original date %1 and the GPS time %2 UTC are %3 hours apart, as a time zone explains").arg(original, gpsText, amount))
               : Say(language, QStringLiteral("拍摄时间 %1 与 GPS 时间 %2 UTC 相差 %3 小时，超出任何时区的差别").arg(original, gpsText, amount),
                     QStringLiteral("the original date %1 and the GPS time %2 UTC are %3 hours apart, more than any time zone explains").arg(original, gpsText, amount)),
        QJsonObject{{QStringLiteral("original"), original}, {QStringLiteral("gps_utc"), gpsText},
                    {QStringLiteral("hours_apart"), difference}, {QStringLiteral("agrees"), agrees}}});
}

}  // namespace

void AddConsistencyFindings(const info::ImageFacts& facts, const FileStructure& structure,
                            Language language, std::vector<Finding>& findings)
{
    CheckPixelDimensions(facts, language, findings);
    CheckThumbnailOrientation(facts, language, findings);
    CheckDensity(facts, structure, language, findings);
    CheckDates(facts, language, findings);
}

}  // namespace veltra::analysis
