#include "analysis/jpeg_quality.h"

#include <cstdlib>
#include <limits>

namespace veltra::analysis {
namespace {

constexpr int kLowestQuality = 1;
constexpr int kHighestQuality = 100;

// The luminance example table of the JPEG standard (its Annex K), in natural order.
constexpr QuantisationTable kStandardLuminanceTable = {
    16, 11, 10, 16, 24,  40,  51,  61,   //
    12, 12, 14, 19, 26,  58,  60,  55,   //
    14, 13, 16, 24, 40,  57,  69,  56,   //
    14, 17, 22, 29, 51,  87,  80,  62,   //
    18, 22, 37, 56, 68,  109, 103, 77,   //
    24, 35, 55, 64, 81,  104, 113, 92,   //
    49, 64, 78, 87, 103, 121, 120, 101,  //
    72, 92, 95, 98, 112, 100, 103, 99,   //
};

// The chrominance example table of the JPEG standard (its Annex K), in natural order.
constexpr QuantisationTable kStandardChrominanceTable = {
    17, 18, 24, 47, 99, 99, 99, 99,  //
    18, 21, 26, 66, 99, 99, 99, 99,  //
    24, 26, 56, 99, 99, 99, 99, 99,  //
    47, 66, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99,  //
};

// The largest step a baseline file can hold (8-bit tables) and the largest any can hold.
constexpr int kBaselineLargestStep = 255;
constexpr int kLargestStep = 32767;

const QuantisationTable& StandardTable(QuantisationTableKind kind)
{
    return kind == QuantisationTableKind::Luminance ? kStandardLuminanceTable
                                                    : kStandardChrominanceTable;
}

// The percentage the standard table is scaled by at a quality, as the IJG library works it
// out: qualities under 50 divide, the rest subtract, so 50 keeps the table as it stands.
int ScalePercent(int quality)
{
    return quality < 50 ? 5000 / quality : 200 - 2 * quality;
}

// The standard table at a quality, rounded as the IJG library rounds. Encoders that write
// baseline files clamp the steps to 8 bits; the others (cjpeg by default) keep 16-bit steps
// at the lowest qualities, so both clampings are candidates.
QuantisationTable ScaledTable(QuantisationTableKind kind, int quality, int largestStep)
{
    const int scale = ScalePercent(quality);
    QuantisationTable scaled{};
    const QuantisationTable& base = StandardTable(kind);
    for (std::size_t i = 0; i < scaled.size(); ++i) {
        int step = (base[i] * scale + 50) / 100;
        if (step < 1)
            step = 1;
        if (step > largestStep)
            step = largestStep;
        scaled[i] = static_cast<std::uint16_t>(step);
    }
    return scaled;
}

struct Distance {
    long absolute = 0;      // sum of absolute differences of the steps
    long standardSum = 0;   // sum of the standard table's steps
};

Distance DistanceBetween(const QuantisationTable& table, const QuantisationTable& standard)
{
    Distance distance;
    for (std::size_t i = 0; i < table.size(); ++i) {
        distance.absolute += std::labs(long{table[i]} - long{standard[i]});
        distance.standardSum += standard[i];
    }
    return distance;
}

}  // namespace

JpegQualityEstimate EstimateJpegQuality(const QuantisationTable& table, QuantisationTableKind kind)
{
    JpegQualityEstimate estimate;
    estimate.kind = kind;
    Distance nearest{std::numeric_limits<long>::max(), 1};
    int nearestQuality = kHighestQuality;
    // From the top, so that the first exact fit is the highest and a tie in distance keeps
    // the higher quality.
    for (int quality = kHighestQuality; quality >= kLowestQuality; --quality) {
        for (int largestStep : {kBaselineLargestStep, kLargestStep}) {
            const Distance distance = DistanceBetween(table, ScaledTable(kind, quality, largestStep));
            if (distance.absolute == 0) {
                if (!estimate.standard)
                    estimate.quality = quality;
                estimate.standard = true;
                estimate.lowestQuality = quality;
            }
            if (distance.absolute < nearest.absolute) {
                nearest = distance;
                nearestQuality = quality;
            }
        }
    }
    if (!estimate.standard) {
        estimate.quality = nearestQuality;
        estimate.lowestQuality = nearestQuality;
        estimate.relativeDifference =
            static_cast<double>(nearest.absolute) / static_cast<double>(nearest.standardSum);
    }
    return estimate;
}

JpegQualityEstimate EstimateJpegQuality(const QuantisationTable& table)
{
    const JpegQualityEstimate luminance = EstimateJpegQuality(table, QuantisationTableKind::Luminance);
    const JpegQualityEstimate chrominance =
        EstimateJpegQuality(table, QuantisationTableKind::Chrominance);
    if (luminance.standard != chrominance.standard)
        return luminance.standard ? luminance : chrominance;
    if (chrominance.relativeDifference < luminance.relativeDifference)
        return chrominance;
    JpegQualityEstimate chosen = luminance;
    chosen.kindAmbiguous = chrominance.relativeDifference == luminance.relativeDifference;
    return chosen;
}

std::optional<QuantisationTable> QuantisationTableFromLittleEndianShorts(QByteArrayView bytes)
{
    QuantisationTable table{};
    if (bytes.size() != static_cast<qsizetype>(table.size() * 2))
        return std::nullopt;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto at = static_cast<qsizetype>(i * 2);
        table[i] = static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                              static_cast<std::uint8_t>(bytes[at + 1]) << 8);
    }
    return table;
}

}  // namespace veltra::analysis
