#include "jpeg_coding.h"

#include "analysis/jpeg_quality.h"
#include "analysis_support.h"

#include <QJsonArray>
#include <QStringList>

#include <algorithm>

namespace veltra::analysis {

namespace {

// Four table slots, each defined again at most for a few scans of a progressive file.
constexpr std::size_t kMostTablesEstimated = 16;

struct Process {
    QString name;  // machine name
    Wording wording;
};

Process ProcessOf(std::uint8_t marker)
{
    const bool arithmetic = marker >= 0xC9;
    const int kind = marker & 0x03;  // 0 sequential, 1 extended, 2 progressive, 3 lossless
    const bool hierarchical = (marker & 0x04) != 0;
    QString name;
    Phrase phrase = Phrase::ProcessExtended;
    if (marker == 0xC0) {
        name = QStringLiteral("baseline");
        phrase = Phrase::ProcessBaseline;
    } else if (kind == 2) {
        name = QStringLiteral("progressive");
        phrase = Phrase::ProcessProgressive;
    } else if (kind == 3) {
        name = QStringLiteral("lossless");
        phrase = Phrase::ProcessLossless;
    } else {
        name = QStringLiteral("extended");
    }
    Wording wording = Wording::Of(phrase);
    if (hierarchical) {
        name.prepend(QStringLiteral("hierarchical_"));
        wording = Wording::Of(Phrase::Hierarchical, {wording});
    }
    if (arithmetic)
        name += QStringLiteral("_arithmetic");
    wording = Wording::Of(arithmetic ? Phrase::ArithmeticCoding : Phrase::HuffmanCoding, {wording});
    return {name, wording};
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

Wording QualityWording(int tableId, const JpegQualityEstimate& estimate)
{
    const Wording role = Wording::Of(estimate.kind == QuantisationTableKind::Luminance
                                         ? Phrase::Luminance
                                         : Phrase::Chrominance);
    if (estimate.standard) {
        return Wording::Of(Phrase::StandardTable,
                           {Wording::Number(tableId), role, Wording::Number(estimate.quality)});
    }
    return Wording::Of(Phrase::OwnTable,
                       {Wording::Number(tableId), role, Wording::Number(estimate.quality),
                        Wording::Fixed(estimate.relativeDifference * 100.0, 1)});
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

void AddJpegCodingFindings(const imaging::FileStructure& structure,
                           std::vector<Finding>& findings)
{
    if (!structure.frame)
        return;
    const imaging::JpegFrame& frame = *structure.frame;

    const Process process = ProcessOf(frame.marker);
    findings.push_back(Finding{
        FindingKind::JpegProcess, {process.wording, Wording::Number(frame.precision)},
        QJsonObject{{QStringLiteral("process"), process.name},
                    {QStringLiteral("marker"), QStringLiteral("SOF%1").arg(frame.marker - 0xC0)},
                    {QStringLiteral("precision"), frame.precision}}});

    const QString subsampling = ChromaSubsampling(frame);
    findings.push_back(Finding{
        FindingKind::ChromaSubsampling,
        {subsampling == QLatin1String("greyscale") ? Wording::Of(Phrase::Greyscale) : Wording(subsampling)},
        QJsonObject{{QStringLiteral("subsampling"), subsampling}}});

    const int interval = structure.restartInterval.value_or(0);
    findings.push_back(Finding{
        interval > 0 ? FindingKind::RestartInterval : FindingKind::NoRestartMarkers,
        {Wording::Number(interval)}, QJsonObject{{QStringLiteral("restart_interval"), interval}}});

    // Table 0 is the luminance table and table 1 the chrominance table in practice; any other
    // is compared with both. A table defined again as it was says nothing new, and a file can
    // define tables without end (a flood of DQT segments): each distinct table is estimated
    // once, and no more of them than any encoder writes.
    std::vector<Wording> texts;
    QJsonArray tables;
    std::vector<const imaging::JpegQuantisationTable*> estimated;
    for (const imaging::JpegQuantisationTable& stored : structure.quantisationTables) {
        const bool seen = std::any_of(estimated.begin(), estimated.end(), [&](const auto* earlier) {
            return earlier->id == stored.id && earlier->steps == stored.steps;
        });
        if (seen)
            continue;
        if (estimated.size() == kMostTablesEstimated)
            break;
        estimated.push_back(&stored);
        QuantisationTable table;
        std::copy(stored.steps.begin(), stored.steps.end(), table.begin());
        const JpegQualityEstimate estimate =
            stored.id == 0   ? EstimateJpegQuality(table, QuantisationTableKind::Luminance)
            : stored.id == 1 ? EstimateJpegQuality(table, QuantisationTableKind::Chrominance)
                             : EstimateJpegQuality(table);
        texts.push_back(QualityWording(stored.id, estimate));
        tables.append(QualityJson(stored.id, estimate));
    }
    if (!texts.empty()) {
        findings.push_back(Finding{FindingKind::QuantisationQuality,
                                   {Wording::List(Wording::Joiner::Clauses, texts)},
                                   QJsonObject{{QStringLiteral("tables"), tables}}});
    }
}

}  // namespace veltra::analysis
