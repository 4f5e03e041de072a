// A JPEG XL's orientation is its codestream's, applied while decoding: the pixels  A B C
//                                                                                    D E F
// stored with each of the eight orientations (scripts/make_jxl_fixtures.py) are painted
// upright, the same on every paint, and never turned again, not even for an Exif orientation
// that says otherwise.

#include "document/document_test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace veltra {
namespace {

using namespace document_test;

const QSize kClient(1200, 1000);

QString Fixture(const QString& name) { return QStringLiteral(VELTRA_FIXTURES_DIR "/jxl/") + name; }

// The painted picture as rows of letters ("ABC/DEF"), read where a picture of `size` lands:
// centred at its natural size.
std::string PaintedLetters(const QImage& painted, QSize size)
{
    static const std::map<QRgb, char> letters{
        {qRgb(255, 0, 0), 'A'},   {qRgb(0, 255, 0), 'B'},   {qRgb(0, 0, 255), 'C'},
        {qRgb(255, 255, 0), 'D'}, {qRgb(0, 255, 255), 'E'}, {qRgb(255, 0, 255), 'F'},
    };
    const QPoint origin((kClient.width() - size.width()) / 2,
                        (kClient.height() - size.height()) / 2);
    std::string view;
    for (int y = 0; y < size.height(); ++y) {
        if (y > 0)
            view += '/';
        for (int x = 0; x < size.width(); ++x) {
            const auto found = letters.find(painted.pixel(origin + QPoint(x, y)) | 0xFF000000u);
            view += found == letters.end() ? '?' : found->second;
        }
    }
    return view;
}

struct PaintedThrice {
    std::vector<QImage> paints;
    std::vector<QString> reports;
    int repaintsAsked = 0;
};

PaintedThrice PaintThreeTimes(CVeltraDoc& doc)
{
    PaintedThrice result;
    RepaintCounter repaints(doc);
    for (int i = 0; i < 3; ++i) {
        result.paints.push_back(Paint(doc, kClient));
        QString report;
        EXPECT_TRUE(doc.GetImageInfo(report));
        result.reports.push_back(report);
    }
    result.repaintsAsked = repaints.count;
    return result;
}

// The upright view of the stored  A B C  for each orientation, from where the orientation
//                                 D E F
// puts the stored top row and left column: 2 mirrors, 3 turns half round, 4 flips, 5
// transposes (top row to the left column), 6 turns a quarter clockwise (top row to the right
// column), 7 transposes the other way, 8 turns a quarter anticlockwise. djxl shows the same.
const std::map<int, std::string> kUprightViews{
    {1, "ABC/DEF"},  {2, "CBA/FED"},  {3, "FED/CBA"},  {4, "DEF/ABC"},
    {5, "AD/BE/CF"}, {6, "DA/EB/FC"}, {7, "FC/EB/DA"}, {8, "CF/BE/AD"},
};

class JxlOrientationPaintTest : public ::testing::TestWithParam<int> {
protected:
    FakePrompts prompts;
    CVeltraDoc doc{prompts};
};

TEST_P(JxlOrientationPaintTest, UprightOnEveryPaintAndNeverTurnedByTheReport)
{
    const int orientation = GetParam();
    ASSERT_TRUE(
        doc.OnOpenDocument(Fixture(QStringLiteral("jxl_orientation_%1.jxl").arg(orientation))));
    ASSERT_NE(doc.image(), nullptr);
    const PaintedThrice painted = PaintThreeTimes(doc);

    EXPECT_EQ(painted.repaintsAsked, 0);
    EXPECT_EQ(painted.reports[1], painted.reports[0]);
    EXPECT_EQ(painted.reports[2], painted.reports[0]);
    EXPECT_EQ(painted.paints[1], painted.paints[0]);
    EXPECT_EQ(painted.paints[2], painted.paints[0]);
    // Stored 3 x 2; upright 2 x 3 for the orientations that exchange the sides. The file has
    // no Exif, so no orientation line.
    const QSize upright = orientation >= 5 ? QSize(2, 3) : QSize(3, 2);
    EXPECT_TRUE(painted.reports[0].startsWith(QStringLiteral("文件类型：未知类型\n尺寸：%1x%2\n")
                                                  .arg(upright.width())
                                                  .arg(upright.height())))
        << painted.reports[0].toStdString();
    EXPECT_FALSE(painted.reports[0].contains(QStringLiteral("旋转标志")));
    EXPECT_EQ(PaintedLetters(painted.paints[2], upright), kUprightViews.at(orientation));
}

INSTANTIATE_TEST_SUITE_P(EightOrientations, JxlOrientationPaintTest, ::testing::Range(1, 9));

struct ExifConflictRow {
    const char* file;
    int exifOrientation;
    int codestreamOrientation;
    QSize upright;
};

class JxlExifOrientationTest : public ::testing::TestWithParam<ExifConflictRow> {
protected:
    FakePrompts prompts;
    CVeltraDoc doc{prompts};
};

// The Exif orientation is listed as stored and the orientation line names it, but the picture
// stays as the codestream turned it: a codestream 6 with Exif 3 shows the codestream's turn
// only, a codestream 1 with Exif 6 (as Debian's heif-enc writes HEIF) is not turned at all.
TEST_P(JxlExifOrientationTest, ListedButNeverApplied)
{
    const ExifConflictRow& row = GetParam();
    ASSERT_TRUE(doc.OnOpenDocument(Fixture(QString::fromLatin1(row.file))));
    const PaintedThrice painted = PaintThreeTimes(doc);
    EXPECT_EQ(painted.repaintsAsked, 0);
    EXPECT_EQ(painted.reports[2], painted.reports[0]);
    EXPECT_EQ(painted.paints[2], painted.paints[0]);
    const QString& report = painted.reports[0];
    EXPECT_TRUE(report.contains(
        QStringLiteral("尺寸：%1x%2\n").arg(row.upright.width()).arg(row.upright.height())))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("\n旋转标志：%1 [").arg(row.exifOrientation)));
    EXPECT_TRUE(report.contains(QStringLiteral("\n Orientation:%1\n").arg(row.exifOrientation)));
    EXPECT_EQ(PaintedLetters(painted.paints[2], row.upright),
              kUprightViews.at(row.codestreamOrientation));
}

INSTANTIATE_TEST_SUITE_P(
    Files, JxlExifOrientationTest,
    ::testing::Values(ExifConflictRow{"jxl_orientation_6_exif_3.jxl", 3, 6, QSize(2, 3)},
                      ExifConflictRow{"jxl_orientation_1_exif_6.jxl", 6, 1, QSize(3, 2)}),
    [](const ::testing::TestParamInfo<ExifConflictRow>& info) {
        return std::to_string(info.param.exifOrientation);
    });

}  // namespace
}  // namespace veltra
