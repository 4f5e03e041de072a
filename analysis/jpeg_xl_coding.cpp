#include "jpeg_xl_coding.h"

#include "analysis_support.h"
#include "imaging/orientation.h"

#include <QJsonArray>
#include <QStringList>

namespace veltra::analysis {

namespace {

using imaging::JpegXlStructure;

void AddCodestreamFinding(const JpegXlStructure& jxl, Language language,
                          std::vector<Finding>& findings)
{
    QStringList chinese;
    QStringList english;
    chinese << (jxl.container ? QStringLiteral("码流装在容器（ISO BMFF 盒）中")
                              : QStringLiteral("裸码流，没有容器"));
    english << (jxl.container ? QStringLiteral("codestream in a container (ISO BMFF boxes)")
                              : QStringLiteral("bare codestream, no container"));
    if (jxl.exponentBitsPerSample > 0) {
        chinese << QStringLiteral("每样本 %1 位浮点数").arg(jxl.bitsPerSample);
        english << QStringLiteral("%1-bit floating-point samples").arg(jxl.bitsPerSample);
    } else {
        chinese << QStringLiteral("每样本 %1 位整数").arg(jxl.bitsPerSample);
        english << QStringLiteral("%1-bit integer samples").arg(jxl.bitsPerSample);
    }
    chinese << (jxl.grey ? QStringLiteral("灰度") : QStringLiteral("彩色"));
    english << (jxl.grey ? QStringLiteral("grey") : QStringLiteral("colour"));
    if (jxl.alpha) {
        chinese << QStringLiteral("带 alpha 通道");
        english << QStringLiteral("with alpha");
    }
    // Lossless coding keeps the picture's own colour space; XYB is what lossy coding uses.
    chinese << (jxl.xybEncoded ? QStringLiteral("以 XYB 编码（有损）")
                               : QStringLiteral("以原色彩空间编码（可能无损）"));
    english << (jxl.xybEncoded
                    ? QStringLiteral("coded in XYB (lossy)")
                    : QStringLiteral("coded in its own colour space (possibly lossless)"));
    if (jxl.animation) {
        chinese << QStringLiteral("动画，只显示第一帧");
        english << QStringLiteral("an animation, of which the first frame is shown");
    }
    findings.push_back(Finding{
        Topic::JpegXl, QStringLiteral("codestream"),
        Say(language, chinese.join(QStringLiteral("，")), english.join(QStringLiteral(", "))),
        QJsonObject{{QStringLiteral("container"), jxl.container},
                    {QStringLiteral("bits_per_sample"), jxl.bitsPerSample},
                    {QStringLiteral("floating_point"), jxl.exponentBitsPerSample > 0},
                    {QStringLiteral("grey"), jxl.grey},
                    {QStringLiteral("alpha"), jxl.alpha},
                    {QStringLiteral("xyb"), jxl.xybEncoded},
                    {QStringLiteral("animation"), jxl.animation}}});
}

void AddRecompressedJpegFinding(const JpegXlStructure& jxl, Language language,
                                std::vector<Finding>& findings)
{
    findings.push_back(Finding{
        Topic::JpegXl, QStringLiteral("recompressed_jpeg"),
        jxl.jpegReconstruction
            ? Say(language,
                  QStringLiteral("是无损重新压缩的 JPEG：jbrd 盒可以把原来的 JPEG 文件逐字节还原"),
                  QStringLiteral("a losslessly recompressed JPEG: its jbrd box restores the "
                                 "original JPEG file byte for byte"))
            : Say(language, QStringLiteral("没有 JPEG 还原数据（jbrd 盒）：不是由 JPEG 无损转来的"),
                  QStringLiteral("no JPEG reconstruction data (jbrd box): not losslessly "
                                 "recompressed from a JPEG")),
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

void AddMetadataBoxesFinding(const JpegXlStructure& jxl, Language language,
                             std::vector<Finding>& findings)
{
    QStringList chinese;
    QStringList english;
    QJsonArray boxes;
    for (const JpegXlStructure::MetadataBox& box : jxl.metadataBoxes) {
        const QString name = BoxName(box.type);
        chinese << QStringLiteral("%1（%2 字节%3）")
                       .arg(name)
                       .arg(box.storedSize)
                       .arg(box.brotliCompressed ? QStringLiteral("，Brotli 压缩") : QString());
        english << QStringLiteral("%1 (%2 bytes%3)")
                       .arg(name)
                       .arg(box.storedSize)
                       .arg(box.brotliCompressed ? QStringLiteral(", Brotli-compressed")
                                                 : QString());
        boxes.append(QJsonObject{{QStringLiteral("type"), QString::fromLatin1(box.type)},
                                 {QStringLiteral("bytes"), qint64(box.storedSize)},
                                 {QStringLiteral("brotli"), box.brotliCompressed}});
    }
    findings.push_back(Finding{
        Topic::JpegXl, QStringLiteral("metadata_boxes"),
        boxes.isEmpty()
            ? Say(language, QStringLiteral("没有 Exif、XMP 或 JUMBF 元数据盒"),
                  QStringLiteral("no Exif, XMP or JUMBF metadata boxes"))
            : Say(language, QStringLiteral("元数据盒：%1").arg(chinese.join(QStringLiteral("、"))),
                  QStringLiteral("metadata boxes: %1").arg(english.join(QStringLiteral(", ")))),
        QJsonObject{{QStringLiteral("boxes"), boxes}}});
}

// The codestream's orientation is the only one: the decoder applies it, and the Exif's is to
// be ignored. Whether the two agree tells whether the file was written consistently.
void AddOrientationFinding(const JpegXlStructure& jxl, const info::ImageFacts& facts,
                           Language language, std::vector<Finding>& findings)
{
    const auto turn = imaging::UprightTurnFor(static_cast<std::uint16_t>(jxl.orientation))
                          .value_or(imaging::RotateNoneFlipNone);
    const QString applied = QStringLiteral("%1 [%2]")
                                .arg(jxl.orientation)
                                .arg(QLatin1String(imaging::RotateFlipTypeName(turn)));
    QString chinese = QStringLiteral("码流的方向为 %1，由解码器应用").arg(applied);
    QString english =
        QStringLiteral("the codestream's orientation is %1, applied by the decoder").arg(applied);
    QJsonObject json{{QStringLiteral("codestream"), jxl.orientation}};
    if (facts.orientation == 0) {
        chinese += QStringLiteral("；Exif 没有方向");
        english += QStringLiteral("; the Exif has no orientation");
        json.insert(QStringLiteral("exif"), QJsonValue::Null);
    } else {
        json.insert(QStringLiteral("exif"), facts.orientation);
        const bool agree = facts.orientation == jxl.orientation;
        json.insert(QStringLiteral("agree"), agree);
        if (agree) {
            chinese += QStringLiteral("；Exif 的方向 %1 与之相符").arg(facts.orientation);
            english += QStringLiteral("; the Exif orientation %1 agrees").arg(facts.orientation);
        } else {
            chinese += QStringLiteral("；Exif 的方向 %1 与之不符，按格式的规定不予应用")
                           .arg(facts.orientation);
            english += QStringLiteral(
                           "; the Exif orientation %1 differs and is ignored, as the "
                           "format requires")
                           .arg(facts.orientation);
        }
    }
    findings.push_back(Finding{Topic::JpegXl, QStringLiteral("orientation"),
                               Say(language, chinese, english), json});
}

}  // namespace

void AddJpegXlFindings(const info::ImageFacts& facts, const imaging::FileStructure& structure,
                       Language language, std::vector<Finding>& findings)
{
    if (!structure.jpegXl)
        return;
    AddCodestreamFinding(*structure.jpegXl, language, findings);
    AddRecompressedJpegFinding(*structure.jpegXl, language, findings);
    AddMetadataBoxesFinding(*structure.jpegXl, language, findings);
    AddOrientationFinding(*structure.jpegXl, facts, language, findings);
}

}  // namespace veltra::analysis
