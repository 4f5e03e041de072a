// Quality estimates for the tables of files that cjpeg wrote at a known quality (the number
// in each file's name), read through the imaging service as the report reads them, and for
// tables no quality gives.

#include "analysis/jpeg_quality.h"

#include "imaging/gdiplus.h"
#include "imaging/image_handles.h"

#include "analysis/row_name.h"

#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace veltra::analysis {
namespace {

using imaging::PROPID;

constexpr PROPID kLuminanceTableItem = 0x5090;
constexpr PROPID kChrominanceTableItem = 0x5091;

std::optional<QuantisationTable> ReadTable(const char* fixture, PROPID id)
{
    imaging::GpBitmap* bitmap = nullptr;
    const QString path = QStringLiteral(VELTRA_FIXTURES_DIR "/analysis/") + QString::fromUtf8(fixture);
    if (imaging::GdipCreateBitmapFromFile(path, &bitmap) != imaging::Ok)
        return std::nullopt;
    const imaging::ImagePtr image(bitmap);
    std::uint32_t size = 0;
    if (imaging::GdipGetPropertyItemSize(bitmap, id, &size) != imaging::Ok)
        return std::nullopt;
    std::vector<std::uint64_t> buffer((size + 7) / 8);  // aligned for the record at its start
    auto* item = reinterpret_cast<imaging::PropertyItem*>(buffer.data());
    if (imaging::GdipGetPropertyItem(bitmap, id, size, item) != imaging::Ok)
        return std::nullopt;
    return QuantisationTableFromLittleEndianShorts(
        QByteArrayView(static_cast<const char*>(item->value), item->length));
}

struct CjpegFile {
    const char* name;
    int quality;
};

class CjpegTables : public ::testing::TestWithParam<CjpegFile> {};

TEST_P(CjpegTables, BothTablesGiveTheQualityTheyWereWrittenAt)
{
    const CjpegFile file = GetParam();
    const std::optional<QuantisationTable> luminance = ReadTable(file.name, kLuminanceTableItem);
    const std::optional<QuantisationTable> chrominance = ReadTable(file.name, kChrominanceTableItem);
    ASSERT_TRUE(luminance && chrominance);

    for (const auto& [table, kind] : {std::pair{*luminance, QuantisationTableKind::Luminance},
                                      std::pair{*chrominance, QuantisationTableKind::Chrominance}}) {
        const JpegQualityEstimate known = EstimateJpegQuality(table, kind);
        EXPECT_TRUE(known.standard);
        EXPECT_EQ(known.quality, file.quality);
        EXPECT_EQ(known.lowestQuality, file.quality);
        EXPECT_EQ(known.relativeDifference, 0.0);

        // Told nothing, the values alone name the kind, except for the all-ones tables of
        // quality 100, which both standard tables give.
        const JpegQualityEstimate guessed = EstimateJpegQuality(table);
        EXPECT_TRUE(guessed.standard);
        EXPECT_EQ(guessed.quality, file.quality);
        EXPECT_EQ(guessed.kindAmbiguous, file.quality == 100);
        if (file.quality != 100) {
            EXPECT_EQ(guessed.kind, kind);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, CjpegTables,
    ::testing::Values(CjpegFile{"cjpeg_quality_50_420.jpg", 50}, CjpegFile{"cjpeg_quality_50_444.jpg", 50},
                      CjpegFile{"cjpeg_quality_75_420.jpg", 75}, CjpegFile{"cjpeg_quality_75_444.jpg", 75},
                      CjpegFile{"cjpeg_quality_92_420.jpg", 92}, CjpegFile{"cjpeg_quality_92_444.jpg", 92},
                      CjpegFile{"cjpeg_quality_100_420.jpg", 100},
                      CjpegFile{"cjpeg_quality_100_444.jpg", 100},
                      // Steps past 255, kept as 16-bit steps or clamped for a baseline file.
                      CjpegFile{"cjpeg_quality_10_16bit_steps.jpg", 10},
                      CjpegFile{"cjpeg_quality_10_baseline.jpg", 10}),
    [](const auto& info) { return test::RowName(info.param.name); });

TEST(JpegQuality, ClampedStepsAreReproducedBySeveralQualitiesAndTheHighestIsNamed)
{
    // Every chrominance step is at least 17: at quality 1, 2 and 3 the scale is 5000 %,
    // 2500 % and 1666 %, so even 17 becomes 850, 425 and 283, all clamped to 255; at
    // quality 4 (1250 %) it becomes 213.
    QuantisationTable all255;
    all255.fill(255);
    const JpegQualityEstimate estimate = EstimateJpegQuality(all255, QuantisationTableKind::Chrominance);
    EXPECT_TRUE(estimate.standard);
    EXPECT_EQ(estimate.quality, 3);
    EXPECT_EQ(estimate.lowestQuality, 1);
}

TEST(JpegQuality, OneStepOffAStandardTableIsNotStandardButNearestToIt)
{
    std::optional<QuantisationTable> table = ReadTable("cjpeg_quality_92_444.jpg", kLuminanceTableItem);
    ASSERT_TRUE(table);
    const int standardSum = std::accumulate(table->begin(), table->end(), 0);
    table->back() += 1;

    const JpegQualityEstimate estimate = EstimateJpegQuality(*table);
    EXPECT_FALSE(estimate.standard);
    EXPECT_EQ(estimate.kind, QuantisationTableKind::Luminance);
    EXPECT_EQ(estimate.quality, 92);
    EXPECT_DOUBLE_EQ(estimate.relativeDifference, 1.0 / standardSum);
}

TEST(JpegQuality, AFileWithItsOwnTablesIsNotStandardAndNearAnotherToolsEstimate)
{
    // exiftool -JPEGQualityEstimate puts this file at 95, from both tables together.
    constexpr int kExiftoolEstimate = 95;
    for (const PROPID id : {kLuminanceTableItem, kChrominanceTableItem}) {
        const std::optional<QuantisationTable> table = ReadTable("own_tables_420.jpg", id);
        ASSERT_TRUE(table);
        const JpegQualityEstimate estimate = EstimateJpegQuality(*table);
        EXPECT_FALSE(estimate.standard);
        EXPECT_EQ(estimate.kind, id == kLuminanceTableItem ? QuantisationTableKind::Luminance
                                                           : QuantisationTableKind::Chrominance);
        EXPECT_NEAR(estimate.quality, kExiftoolEstimate, 3);
        EXPECT_GT(estimate.relativeDifference, 0.0);
    }
}

TEST(JpegQuality, ATableNeedsExactly64LittleEndianShorts)
{
    EXPECT_FALSE(QuantisationTableFromLittleEndianShorts(QByteArray(127, '\1')));
    EXPECT_FALSE(QuantisationTableFromLittleEndianShorts(QByteArray(129, '\1')));
    const std::optional<QuantisationTable> table =
        QuantisationTableFromLittleEndianShorts(QByteArray(126, '\0') + QByteArray("\x34\x12", 2));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->front(), 0);
    EXPECT_EQ(table->back(), 0x1234);
}

}  // namespace
}  // namespace veltra::analysis
