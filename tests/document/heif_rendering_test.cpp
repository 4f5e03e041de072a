// HEIF and AVIF pictures in the window: whatever the container's rotation or mirror, and
// whatever the Exif orientation says (6 in every one of these files, as phones store it), the
// picture is shown upright once, the same on every paint, and the report says what the file
// stores with the upright size.

#include "document/document_test_support.h"

#include <gtest/gtest.h>

namespace veltra {
namespace {

using namespace document_test;

const QSize kClient(1200, 1000);

struct Orientation {
    const char* file;
    bool exifSix;  // the file's Exif says 6
};

void PrintTo(const Orientation& row, std::ostream* os) { *os << row.file; }

class HeifOrientationPaintTest : public ::testing::TestWithParam<Orientation> {
protected:
    QString Report()
    {
        QString text;
        EXPECT_TRUE(doc.GetImageInfo(text));
        return text;
    }

    FakePrompts prompts;
    CVeltraDoc doc{prompts};
};

bool Near(QRgb actual, QRgb expected)
{
    return std::abs(qRed(actual) - qRed(expected)) <= 40 &&
           std::abs(qGreen(actual) - qGreen(expected)) <= 40 &&
           std::abs(qBlue(actual) - qBlue(expected)) <= 40;
}

// Three paints: the same picture and the same report each time, never a request to paint
// again (the picture is upright from the start), and the scene's quarters where they belong.
TEST_P(HeifOrientationPaintTest, ThreePaintsShowThePictureUprightOnce)
{
    ASSERT_TRUE(doc.OnOpenDocument(QStringLiteral(VELTRA_FIXTURES_DIR "/heif/") +
                                   QString::fromLatin1(GetParam().file)));
    RepaintCounter repaints(doc);
    std::vector<QImage> paints;
    std::vector<QString> reports;
    for (int i = 0; i < 3; ++i) {
        paints.push_back(Paint(doc, kClient));
        reports.push_back(Report());
    }
    EXPECT_EQ(repaints.count, 0);
    EXPECT_EQ(paints[1], paints[0]);
    EXPECT_EQ(paints[2], paints[0]);
    EXPECT_EQ(reports[1], reports[0]);
    EXPECT_EQ(reports[2], reports[0]);
    EXPECT_TRUE(reports[0].startsWith(
        QStringLiteral("文件类型：未知类型\n尺寸：128x64\n像素格式：24bppRGB\nDPI：96x96")))
        << reports[0].toStdString();
    if (GetParam().exifSix) {
        EXPECT_TRUE(reports[0].contains(QStringLiteral("\n旋转标志：6")))
            << reports[0].toStdString();
        EXPECT_TRUE(reports[0].contains(QStringLiteral("\n Orientation:6\n")));
    }

    // 128 x 64 centred in 1200 x 1000 starts at (536, 468): red, green, blue and yellow
    // quarters, the white bar along the top.
    const QPoint origin(536, 468);
    const std::pair<QPoint, QRgb> expected[]{{{32, 20}, qRgb(220, 30, 30)},
                                             {{96, 20}, qRgb(30, 200, 40)},
                                             {{32, 48}, qRgb(30, 40, 220)},
                                             {{96, 48}, qRgb(230, 220, 30)},
                                             {{64, 3}, qRgb(255, 255, 255)}};
    for (const auto& [point, colour] : expected) {
        const QRgb painted = paints[0].pixel(origin + point);
        EXPECT_TRUE(Near(painted, colour))
            << point.x() << "," << point.y() << " is " << std::hex << painted;
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryTurn, HeifOrientationPaintTest,
    ::testing::Values(Orientation{"heic_irot_0_exif_6.heic", true},
                      Orientation{"heic_irot_90_exif_6.heic", true},
                      Orientation{"heic_irot_180_exif_6.heic", true},
                      Orientation{"heic_irot_270_exif_6.heic", true},
                      Orientation{"heic_imir_top_bottom_exif_6.heic", true},
                      Orientation{"heic_imir_left_right_exif_6.heic", true},
                      Orientation{"heic_irot_90_imir_top_bottom_exif_6.heic", true},
                      Orientation{"heic_irot_90_imir_left_right_exif_6.heic", true},
                      Orientation{"avif_avifenc_irot_90_imir_top_bottom.avif", false}),
    [](const ::testing::TestParamInfo<Orientation>& info) {
        std::string name;
        for (const char* p = info.param.file; *p && *p != '.'; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

}  // namespace
}  // namespace veltra
