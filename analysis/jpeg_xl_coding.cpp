#include "jpeg_xl_coding.h"

#include "imaging/orientation.h"

#include <QJsonArray>

namespace veltra::analysis {

namespace {

using imaging::JpegXlStructure;

void AddCodestreamFinding(const JpegXlStructure& jxl, std::vector<Finding>& findings)
{
    const bool floating = jxl.exponentBitsPerSample > 0;
    findings.push_back(Finding{
        FindingKind::JpegXlCodestream,
        {Wording::Of(jxl.container ? Phrase::JxlContainer : Phrase::JxlBareCodestream),
         Wording::Of(floating ? Phrase::JxlFloatSamples : Phrase::JxlIntegerSamples,
                     {Wording::Number(jxl.bitsPerSample)}),
         Wording::Of(jxl.grey ? Phrase::JxlGrey : Phrase::JxlColour),
         jxl.alpha ? Wording::Of(Phrase::JxlAlpha) : Wording(),
         Wording::Of(jxl.xybEncoded ? Phrase::JxlXyb : Phrase::JxlOwnColourSpace),
         jxl.animation ? Wording::Of(Phrase::JxlAnimation) : Wording()},
        QJsonObject{{QStringLiteral("container"), jxl.container},
                    {QStringLiteral("bits_per_sample"), jxl.bitsPerSample},
                    {QStringLiteral("floating_point"), floating},
                    {QStringLiteral("grey"), jxl.grey},
                    {QStringLiteral("alpha"), jxl.alpha},
                    {QStringLiteral("xyb"), jxl.xybEncoded},
                    {QStringLiteral("animation"), jxl.animation}}});
}

void AddRecompressedJpegFinding(const JpegXlStructure& jxl, std::vector<Finding>& findings)
{
    findings.push_back(Finding{
        jxl.jpegReconstruction ? FindingKind::JpegXlRecompressedJpeg
                               : FindingKind::JpegXlNotRecompressed,
        {},
        QJsonObject{{QStringLiteral("jpeg_reconstruction"), jxl.jpegReconstruction}}});
}

QString BoxName(const QByteArray& type)
{
    if (type == "xml ")
        return QStringLiteral("XMP");
    if (type == "jumb")
        return QStringLiteral("JUMBF");
    return QString::fromLatin1(type);
}

void AddMetadataBoxesFinding(const JpegXlStructure& jxl, std::vector<Finding>& findings)
{
    std::vector<Wording> items;
    QJsonArray boxes;
    for (const JpegXlStructure::MetadataBox& box : jxl.metadataBoxes) {
        items.push_back(Wording::Of(Phrase::JxlBox,
                                    {BoxName(box.type), Wording::Number(box.storedSize),
                                     box.brotliCompressed ? Wording::Of(Phrase::JxlBrotli)
                                                          : Wording()}));
        boxes.append(QJsonObject{{QStringLiteral("type"), QString::fromLatin1(box.type)},
                                 {QStringLiteral("bytes"), qint64(box.storedSize)},
                                 {QStringLiteral("brotli"), box.brotliCompressed}});
    }
    findings.push_back(Finding{
        boxes.isEmpty() ? FindingKind::JpegXlNoMetadataBoxes : FindingKind::JpegXlMetadataBoxes,
        {Wording::List(Wording::Joiner::Enumeration, items)},
        QJsonObject{{QStringLiteral("boxes"), boxes}}});
}

// The codestream's orientation is the only one: the decoder applies it, and the Exif's is to
// be ignored. Whether the two agree tells whether the file was written consistently.
void AddOrientationFinding(const JpegXlStructure& jxl, const info::ImageFacts& facts,
                           std::vector<Finding>& findings)
{
    const auto turn = imaging::UprightTurnFor(static_cast<std::uint16_t>(jxl.orientation))
                          .value_or(imaging::RotateNoneFlipNone);
    const QString applied = QStringLiteral("%1 [%2]")
                                .arg(jxl.orientation)
                                .arg(QLatin1String(imaging::RotateFlipTypeName(turn)));
    QJsonObject json{{QStringLiteral("codestream"), jxl.orientation}};
    Wording exifClause;
    if (facts.orientation == 0) {
        exifClause = Wording::Of(Phrase::JxlNoExifOrientation);
        json.insert(QStringLiteral("exif"), QJsonValue::Null);
    } else {
        const bool agree = facts.orientation == jxl.orientation;
        json.insert(QStringLiteral("exif"), facts.orientation);
        json.insert(QStringLiteral("agree"), agree);
        exifClause = Wording::Of(agree ? Phrase::JxlExifOrientationAgrees
                                       : Phrase::JxlExifOrientationDiffers,
                                 {Wording::Number(facts.orientation)});
    }
    findings.push_back(Finding{FindingKind::JpegXlOrientation, {applied, exifClause}, json});
}

}  // namespace

void AddJpegXlFindings(const info::ImageFacts& facts, const imaging::FileStructure& structure,
                       std::vector<Finding>& findings)
{
    if (!structure.jpegXl)
        return;
    AddCodestreamFinding(*structure.jpegXl, findings);
    AddRecompressedJpegFinding(*structure.jpegXl, findings);
    AddMetadataBoxesFinding(*structure.jpegXl, findings);
    AddOrientationFinding(*structure.jpegXl, facts, findings);
}

}  // namespace veltra::analysis
