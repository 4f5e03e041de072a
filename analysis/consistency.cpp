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

void CheckPixelDimensions(const info::ImageFacts& facts, std::vector<Finding>& findings)
{
    const std::optional<std::uint32_t> width = info::FirstUnsigned(FindProperty(facts, PropertyTagExifPixXDim));
    const std::optional<std::uint32_t> height = info::FirstUnsigned(FindProperty(facts, PropertyTagExifPixYDim));
    if (!width || !height)
        return;
    const bool agrees = *width == facts.storedWidth && *height == facts.storedHeight;
    const QString declared = QStringLiteral("%1x%2").arg(*width).arg(*height);
    const QString real = QStringLiteral("%1x%2").arg(facts.storedWidth).arg(facts.storedHeight);
    findings.push_back(Finding{
        agrees ? FindingKind::PixelDimensionsAgree : FindingKind::PixelDimensionsDiffer,
        {declared, real},
        QJsonObject{{QStringLiteral("exif_width"), qint64(*width)}, {QStringLiteral("exif_height"), qint64(*height)},
                    {QStringLiteral("width"), qint64(facts.storedWidth)}, {QStringLiteral("height"), qint64(facts.storedHeight)},
                    {QStringLiteral("agrees"), agrees}}});
}

void CheckThumbnailOrientation(const info::ImageFacts& facts, std::vector<Finding>& findings)
{
    const std::optional<std::uint32_t> thumbnail =
        info::FirstUnsigned(FindProperty(facts, PropertyTagThumbnailOrientation));
    if (!thumbnail || facts.orientation == 0)
        return;
    const bool agrees = *thumbnail == facts.orientation;
    findings.push_back(Finding{
        agrees ? FindingKind::ThumbnailOrientationAgrees : FindingKind::ThumbnailOrientationDiffers,
        {Wording::Number(*thumbnail), Wording::Number(facts.orientation)},
        QJsonObject{{QStringLiteral("thumbnail"), qint64(*thumbnail)},
                    {QStringLiteral("picture"), facts.orientation}, {QStringLiteral("agrees"), agrees}}});
}

void CheckDensity(const info::ImageFacts& facts, const FileStructure& structure,
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
        agrees ? FindingKind::DensityAgrees : FindingKind::DensityDiffers, {jfif, exif},
        QJsonObject{{QStringLiteral("jfif_dpi_x"), jx}, {QStringLiteral("jfif_dpi_y"), jy},
                    {QStringLiteral("exif_dpi_x"), ex}, {QStringLiteral("exif_dpi_y"), ey},
                    {QStringLiteral("agrees"), agrees}}});
}

void CheckDates(const info::ImageFacts& facts, std::vector<Finding>& findings)
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
        agrees ? FindingKind::DatesAgree : FindingKind::DatesDisagree, {original, gpsText, amount},
        QJsonObject{{QStringLiteral("original"), original}, {QStringLiteral("gps_utc"), gpsText},
                    {QStringLiteral("hours_apart"), difference}, {QStringLiteral("agrees"), agrees}}});
}

}  // namespace

void AddConsistencyFindings(const info::ImageFacts& facts, const FileStructure& structure,
                            std::vector<Finding>& findings)
{
    CheckPixelDimensions(facts, findings);
    CheckThumbnailOrientation(facts, findings);
    CheckDensity(facts, structure, findings);
    CheckDates(facts, findings);
}

}  // namespace veltra::analysis
