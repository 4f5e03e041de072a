#include "jpeg_coding.h"

#include "analysis/jpeg_quality.h"
#include "analysis_support.h"

#include <QJsonArray>
#include <QStringList>

namespace veltra::analysis {

namespace {

struct Process {
    QString name;  // machine name
    QString chinese;
    QString english;
};

Process ProcessOf(std::uint8_t marker)
{
    const bool arithmetic = marker >= 0xC9;
    const int kind = marker & 0x03;  // 0 sequential, 1 extended, 2 progressive, 3 lossless
    const bool hierarchical = (marker & 0x04) != 0;
    QString name;
    QString chinese;
    QString english;
    if (marker == 0xC0) {
        name = QStringLiteral("baseline");
        chinese = QStringLiteral("基线（baseline）顺序编码");
        english = QStringLiteral("baseline sequential");
    } else if (kind == 2) {
        name = QStringLiteral("progressive");
        chinese = QStringLiteral("渐进式（progressive）编码");
        english = QStringLiteral("progressive");
    } else if (kind == 3) {
        name = QStringLiteral("lossless");
        chinese = QStringLiteral("无损编码");
        english = QStringLiteral("lossless");
    } else {
        name = QStringLiteral("extended");
        chinese = QStringLiteral("扩展顺序编码");
        english = QStringLiteral("extended sequential");
    }
    if (hierarchical) {
        name.prepend(QStringLiteral("hierarchical_"));
        chinese.prepend(QStringLiteral("分层"));
        english.prepend(QStringLiteral("hierarchical "));
    }
    if (arithmetic) {
        name += QStringLiteral("_arithmetic");
        chinese += QStringLiteral("，算术编码");
        english += QStringLiteral(", arithmetic coding");
    } else {
        chinese += QStringLiteral("，哈夫曼编码");
        english += QStringLiteral(", Huffman coding");
    }
    return {name, chinese, english};
}

QJsonObject QualityJson(int tableId, const JpegQualityEstimate& estimate)
{
    return QJsonObject{
        {QStringLiteral("table"), tableId},
        {QStringLiteral("compared_with"), estimate.kind == QuantisationTableKind::Luminance
                                              ? QStringLiteral("luminance")
                                              : QStringLiteral("chrominance")},
        {QStringLiteral("standard"), estimate.standard},
        {QStringLiteral("quality"), estimate.quality},
        {QStringLiteral("relative_difference"), estimate.relativeDifference},
    };
}

QString QualityText(int tableId, const JpegQualityEstimate& estimate, Language language)
{
    const QString role = estimate.kind == QuantisationTableKind::Luminance
                             ? Say(language, QStringLiteral("亮度"), QStringLiteral("luminance"))
                             : Say(language, QStringLiteral("色度"), QStringLiteral("chrominance"));
    if (estimate.standard) {
        return Say(language, QStringLiteral("表 %1（%2）：标准表，质量 %3").arg(tableId).arg(role).arg(estimate.quality),
                   QStringLiteral("table %1 (%2): standard table, quality %3").arg(tableId).arg(role).arg(estimate.quality));
    }
    const QString percent = QString::number(estimate.relativeDifference * 100.0, 'f', 1);
    return Say(language,
               QStringLiteral("表 %1（%2）：不是标准表，最接近质量 %3，相差 %4%（相机或编辑器自己的表）")
                   .arg(tableId).arg(role).arg(estimate.quality).arg(percent),
               QStringLiteral("table %1 (%2): not a standard table, nearest quality %3, %4% away "
                              "(a camera's or an editor's own table)")
                   .arg(tableId).arg(role).arg(estimate.quality).arg(percent));
}

}  // namespace

QString ChromaSubsampling(const imaging::JpegFrame& frame)
{
    if (frame.components.size() == 1)
        return QStringLiteral("greyscale");
    if (frame.components.size() == 3) {
        const imaging::JpegComponent& luma = frame.components[0];
        const bool chromaOnce = frame.components[1].horizontalSampling == 1 &&
                                frame.components[1].verticalSampling == 1 &&
                                frame.components[2].horizontalSampling == 1 &&
                                frame.components[2].verticalSampling == 1;
        if (chromaOnce) {
            const int h = luma.horizontalSampling;
            const int v = luma.verticalSampling;
            if (h == 1 && v == 1)
                return QStringLiteral("4:4:4");
            if (h == 2 && v == 1)
                return QStringLiteral("4:2:2");
            if (h == 2 && v == 2)
                return QStringLiteral("4:2:0");
            if (h == 4 && v == 1)
                return QStringLiteral("4:1:1");
            if (h == 1 && v == 2)
                return QStringLiteral("4:4:0");
        }
    }
    QStringList factors;
    for (const imaging::JpegComponent& component : frame.components)
        factors << QStringLiteral("%1x%2").arg(component.horizontalSampling).arg(component.verticalSampling);
    return factors.join(u',');
}

void AddJpegCodingFindings(const imaging::FileStructure& structure, Language language,
                           std::vector<Finding>& findings)
{
    if (!structure.frame)
        return;
    const imaging::JpegFrame& frame = *structure.frame;

    const Process process = ProcessOf(frame.marker);
    findings.push_back(Finding{
        Topic::JpegCoding, QStringLiteral("process"),
        Say(language, QStringLiteral("%1，每样本 %2 位").arg(process.chinese).arg(frame.precision),
            QStringLiteral("%1, %2 bits a sample").arg(process.english).arg(frame.precision)),
        QJsonObject{{QStringLiteral("process"), process.name},
                    {QStringLiteral("marker"), QStringLiteral("SOF%1").arg(frame.marker - 0xC0)},
                    {QStringLiteral("precision"), frame.precision}}});

    const QString subsampling = ChromaSubsampling(frame);
    QString subsamplingText = subsampling;
    if (subsampling == QLatin1String("greyscale"))
        subsamplingText = Say(language, QStringLiteral("灰度，没有色度"), QStringLiteral("greyscale, no chroma"));
    findings.push_back(Finding{
        Topic::JpegCoding, QStringLiteral("subsampling"),
        Say(language, QStringLiteral("色度子采样：%1").arg(subsamplingText),
            QStringLiteral("chroma subsampling: %1").arg(subsamplingText)),
        QJsonObject{{QStringLiteral("subsampling"), subsampling}}});

    const int interval = structure.restartInterval.value_or(0);
    findings.push_back(Finding{
        Topic::JpegCoding, QStringLiteral("restart_interval"),
        interval > 0
            ? Say(language, QStringLiteral("重启间隔：每 %1 个 MCU").arg(interval),
                  QStringLiteral("restart interval: every %1 MCUs").arg(interval))
            : Say(language, QStringLiteral("没有重启标记"), QStringLiteral("no restart markers")),
        QJsonObject{{QStringLiteral("restart_interval"), interval}}});

    // Table 0 is the luminance table and table 1 the chrominance table in practice; any other
    // is compared with both.
    QStringList texts;
    QJsonArray tables;
    for (const imaging::JpegQuantisationTable& stored : structure.quantisationTables) {
        QuantisationTable table;
        std::copy(stored.steps.begin(), stored.steps.end(), table.begin());
        const JpegQualityEstimate estimate =
            stored.id == 0   ? EstimateJpegQuality(table, QuantisationTableKind::Luminance)
            : stored.id == 1 ? EstimateJpegQuality(table, QuantisationTableKind::Chrominance)
                             : EstimateJpegQuality(table);
        texts << QualityText(stored.id, estimate, language);
        tables.append(QualityJson(stored.id, estimate));
    }
    if (!texts.isEmpty()) {
        findings.push_back(Finding{
            Topic::JpegCoding, QStringLiteral("quality"),
            Say(language, QStringLiteral("量化表的质量估计：%1").arg(texts.join(QStringLiteral("；"))),
                QStringLiteral("quality of the quantisation tables: %1").arg(texts.join(QStringLiteral("; ")))),
            QJsonObject{{QStringLiteral("tables"), tables}}});
    }
}

}  // namespace veltra::analysis
