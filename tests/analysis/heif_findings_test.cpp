// Findings on HEIF and AVIF files made by scripts/make_heif_fixtures.py, whose brands, codecs,
// transforms, thumbnails and auxiliary pictures are known from how the script made them.

#include "analysis/analysed_files.h"
#include "support/qt_printers.h"

#include <QJsonArray>

#include <gtest/gtest.h>

namespace veltra::analysis {
namespace {

FileAnalysis AnalyseHeif(const char* name)
{
    return AnalyseAt(QStringLiteral(VELTRA_FIXTURES_DIR "/heif/") + QString::fromLatin1(name));
}

bool SecondLookAt(const FileAnalysis& analysis, Topic topic, const char* key)
{
    for (const Finding* finding : FindingsOf(analysis, topic)) {
        if (finding->key() == QLatin1String(key))
            return finding->deservesSecondLook();
    }
    ADD_FAILURE() << "no finding " << key;
    return false;
}

struct TransformRow {
    const char* file;
    QJsonArray transforms;
    const char* containerTurn;
    QJsonValue exifOrientation;
    QJsonValue agrees;
};

void PrintTo(const TransformRow& row, std::ostream* os) { *os << row.file; }

class HeifTransformFindingTest : public ::testing::TestWithParam<TransformRow> {};

// The container's steps in their order, the turn they make, and whether the Exif orientation
// asks for the same: a phone's file (a quarter turn clockwise and 6) agrees, Debian's encoder's
// (no transform and 6) does not.
TEST_P(HeifTransformFindingTest, ContainerTransformsAgainstTheExifOrientation)
{
    const TransformRow& row = GetParam();
    const QJsonObject finding =
        FindingOf(AnalyseHeif(row.file), Topic::HeifContainer, "transforms");
    EXPECT_EQ(finding[u"transforms"].toArray(), row.transforms);
    EXPECT_EQ(finding[u"container_turn"].toString(), QString::fromLatin1(row.containerTurn));
    EXPECT_EQ(finding[u"exif_orientation"], row.exifOrientation);
    EXPECT_EQ(finding[u"agrees"], row.agrees);
}

QJsonObject Rotation(int degrees)
{
    return {{QStringLiteral("kind"), QStringLiteral("rotation")},
            {QStringLiteral("degrees_anticlockwise"), degrees}};
}

QJsonObject Mirror(const char* direction)
{
    return {{QStringLiteral("kind"), QStringLiteral("mirror")},
            {QStringLiteral("direction"), QString::fromLatin1(direction)}};
}

INSTANTIATE_TEST_SUITE_P(
    Files, HeifTransformFindingTest,
    ::testing::Values(
        TransformRow{"heic_irot_270_exif_6.heic", {Rotation(270)}, "Rotate90FlipNone", 6, true},
        TransformRow{"heic_heif_enc_exif_6_no_transform.heic", {}, "RotateNoneFlipNone", 6, false},
        TransformRow{"heic_irot_90_imir_top_bottom_exif_6.heic",
                     {Rotation(90), Mirror("top_bottom")},
                     "Rotate90FlipX",
                     6,
                     false},
        TransformRow{"avif_avifenc_irot_90_imir_top_bottom.avif",
                     {Rotation(90), Mirror("top_bottom")},
                     "Rotate90FlipX",
                     QJsonValue::Null,
                     QJsonValue::Undefined}),
    [](const ::testing::TestParamInfo<TransformRow>& info) {
        return "row" + std::to_string(info.index);
    });

TEST(HeifFindings, BrandsAndHowThePictureIsCoded)
{
    const FileAnalysis avif = AnalyseHeif("avif_avifenc_10bit.avif");
    const QJsonObject brands = FindingOf(avif, Topic::HeifContainer, "brands");
    EXPECT_EQ(brands[u"major_brand"].toString(), QStringLiteral("avif"));
    EXPECT_TRUE(brands[u"compatible_brands"].toArray().contains(QStringLiteral("mif1")));
    const QJsonObject coding = FindingOf(avif, Topic::HeifContainer, "coding");
    EXPECT_EQ(coding[u"codec"].toString(), QStringLiteral("AV1"));
    EXPECT_EQ(coding[u"bit_depth"].toInt(), 10);

    const QJsonObject grid =
        FindingOf(AnalyseHeif("heic_grid_2x2_tiles.heic"), Topic::HeifContainer, "coding");
    EXPECT_EQ(grid[u"item_type"].toString(), QStringLiteral("grid"));
    EXPECT_EQ(grid[u"codec"].toString(), QStringLiteral("HEVC"));
    EXPECT_EQ(grid[u"grid_columns"].toInt(), 2);
    EXPECT_EQ(grid[u"stored_width"].toInt(), 120);

    const QJsonObject grey =
        FindingOf(AnalyseHeif("avif_avifenc_grey.avif"), Topic::HeifContainer, "coding");
    EXPECT_EQ(grey[u"chroma"].toString(), QStringLiteral("4:0:0"));
    EXPECT_TRUE(grey[u"monochrome"].toBool());
    EXPECT_TRUE(
        FindingOf(AnalyseHeif("heic_heif_enc_alpha.heic"), Topic::HeifContainer, "coding")[u"alpha"]
            .toBool());

    const QString chinese =
        AnalysisText(AnalyseHeif("heic_heif_enc_10bit.heic"), Language::Chinese);
    EXPECT_TRUE(
        chinese.contains(QStringLiteral("\n HEIF 容器：主图像：由 1 x 1 个 HEVC "
                                        "图块拼成的网格（grid 项），每样本 10 位，色度 4:2:0")))
        << chinese.toStdString();
}

// A thumbnail is decoded on its own and compared with the picture: heif-enc's shows it, the
// one left behind when the picture was replaced shows another, and only that one calls for a
// second look.
TEST(HeifFindings, ThumbnailsShowThePictureOrAnother)
{
    const FileAnalysis same = AnalyseHeif("heic_heif_enc_thumbnail.heic");
    const QJsonObject kept = FindingOf(same, Topic::Embedded, "heif_thumbnails");
    ASSERT_EQ(kept[u"count"].toInt(), 1);
    EXPECT_EQ(kept[u"thumbnails"][0][u"width"].toInt(), 32);
    EXPECT_TRUE(kept[u"thumbnails"][0][u"agrees"].toBool(false));
    EXPECT_TRUE(FindingOf(same, Topic::Embedded, "none").isEmpty());
    EXPECT_FALSE(SecondLookAt(same, Topic::Embedded, "heif_thumbnails"));

    const FileAnalysis replaced = AnalyseHeif("heic_thumbnail_of_another_picture.heic");
    const QJsonObject stale = FindingOf(replaced, Topic::Embedded, "heif_thumbnails");
    EXPECT_TRUE(stale[u"thumbnails"][0][u"decoded"].toBool());
    EXPECT_FALSE(stale[u"thumbnails"][0][u"agrees"].toBool(true));
    EXPECT_TRUE(SecondLookAt(replaced, Topic::Embedded, "heif_thumbnails"));
}

// Auxiliary pictures by their type; the XMP item and the ICC profile reach the findings of
// provenance and colour.
TEST(HeifFindings, AuxiliaryPicturesXmpAndProfile)
{
    const FileAnalysis analysis = AnalyseHeif("heic_depth_gain_map_xmp_icc.heic");
    const QJsonArray pictures =
        FindingOf(analysis, Topic::Embedded, "heif_auxiliary")[u"pictures"].toArray();
    ASSERT_EQ(pictures.size(), 2);
    EXPECT_EQ(pictures[0][u"role"].toString(), QStringLiteral("depth"));
    EXPECT_EQ(pictures[1][u"role"].toString(), QStringLiteral("hdr_gain_map"));
    EXPECT_EQ(pictures[1][u"type"].toString(),
              QStringLiteral("urn:com:apple:photo:2020:aux:hdrgainmap"));
    EXPECT_EQ(pictures[1][u"width"].toInt(), 64);
    EXPECT_EQ(FindingOf(analysis, Topic::Provenance, "creator_tool")[u"creator_tool"].toString(),
              QStringLiteral("make_heif_fixtures"));
    EXPECT_EQ(FindingOf(analysis, Topic::Colour, "icc_profile")[u"description"].toString(),
              QStringLiteral("Veltra test"));
}

}  // namespace
}  // namespace veltra::analysis
