// Painting the document into an image: the background, where the picture lands, the report's
// colour, the watermark rules on the composed picture and the consequences of a paint for the
// document's state.

#include "document/document_test_support.h"
#include "imaging/image_for_testing.h"

#include <QImageReader>

#include <map>

#include <gtest/gtest.h>

namespace veltra {
namespace {

using namespace document_test;

const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kGrey = qRgb(192, 192, 192);

// Large enough that the report, which starts at the top-left corner, stays clear of a centred
// 400 x 300 picture at (400, 350).
const QSize kClient(1200, 1000);
const QPoint kPictureOrigin(400, 350);

class RenderingTest : public ::testing::Test {
protected:
    void OpenPicture(const QImage& image, const QString& name = QStringLiteral("picture.png"))
    {
        ASSERT_TRUE(doc.OnOpenDocument(WritePicture(dir, name, image)));
        ASSERT_NE(doc.image(), nullptr);
    }

    QTemporaryDir dir;
    FakePrompts prompts;
    CVeltraDoc doc{prompts};
};

TEST_F(RenderingTest, WithoutPictureOnlyTheBackgroundAndTheOutlineFlagStays)
{
    DocumentTestAccess::SetBackgroundColor(doc, 0x0000FF);  // red in the stored layout
    doc.OnRegionOutline();
    const QImage painted = Paint(doc, QSize(64, 48));
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x)
            ASSERT_EQ(painted.pixel(x, y), kRed) << x << "," << y;
    EXPECT_EQ(doc.watermarkFlags(), FLAG_REGION_OUTLINE);
}

TEST_F(RenderingTest, PictureAtNaturalSizeIsCentredUnturned)
{
    // 200 x 100 in 1200 x 1000: top-left at (500, 450); each corner coloured differently.
    QImage picture = SolidImage(200, 100, Qt::blue);
    picture.setPixel(0, 0, kRed);
    picture.setPixel(199, 0, kGreen);
    picture.setPixel(0, 99, qRgb(255, 255, 0));
    picture.setPixel(199, 99, qRgb(255, 0, 255));
    OpenPicture(picture);
    RepaintCounter repaints(doc);

    const QImage painted = Paint(doc, kClient);
    EXPECT_EQ(painted.pixel(500, 450), kRed);
    EXPECT_EQ(painted.pixel(699, 450), kGreen);
    EXPECT_EQ(painted.pixel(500, 549), qRgb(255, 255, 0));
    EXPECT_EQ(painted.pixel(699, 549), qRgb(255, 0, 255));
    EXPECT_EQ(painted.pixel(600, 500), kBlue);
    EXPECT_EQ(painted.pixel(499, 450), kGrey);
    EXPECT_EQ(painted.pixel(700, 549), kGrey);
    EXPECT_EQ(painted.pixel(500, 449), kGrey);
    EXPECT_EQ(painted.pixel(699, 550), kGrey);
    // An upright picture is not turned, so nothing asks for another paint.
    EXPECT_EQ(repaints.count, 0);
}

TEST_F(RenderingTest, LargePictureIsScaledDownToFit)
{
    // 2000 x 1000 in 1000 x 1000: s = 0.5, drawn as 1000 x 500 at (0, 250).
    OpenPicture(SolidImage(2000, 1000, Qt::blue));
    const QImage painted = Paint(doc, QSize(1000, 1000));
    EXPECT_EQ(painted.pixel(0, 250), kBlue);
    EXPECT_EQ(painted.pixel(999, 749), kBlue);
    EXPECT_EQ(painted.pixel(500, 249), kGrey);
    EXPECT_EQ(painted.pixel(500, 750), kGrey);
}

struct TextColorRow {
    COLORREF background;
    QRgb text;
};

class ReportColorTest : public RenderingTest,
                        public ::testing::WithParamInterface<TextColorRow> {};

TEST_P(ReportColorTest, ReportIsDrawnInTheComplementAtTheTopLeft)
{
    DocumentTestAccess::SetBackgroundColor(doc, GetParam().background);
    OpenPicture(SolidImage(2, 2, Qt::green));
    QImage painted(400, 300, QImage::Format_ARGB32);
    QPainter painter(&painted);
    const QPen pen(QColor(10, 20, 30));
    painter.setPen(pen);
    painter.setBackgroundMode(Qt::OpaqueMode);
    const QRect client(0, 0, 400, 300);
    doc.Draw(&painter, &client);
    // The painter's text settings are as they were.
    EXPECT_EQ(painter.pen(), pen);
    EXPECT_EQ(painter.backgroundMode(), Qt::OpaqueMode);
    painter.end();

    int textPixels = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x)
            textPixels += painted.pixel(x, y) == GetParam().text ? 1 : 0;
    EXPECT_GT(textPixels, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, ReportColorTest,
                         ::testing::Values(TextColorRow{0xC0C0C0, qRgb(63, 63, 63)},
                                           // Yellow (red and green bytes) gives blue.
                                           TextColorRow{0x00FFFF, qRgb(0, 0, 255)},
                                           TextColorRow{0x808080, qRgb(127, 127, 127)}));

// The watermark is red with one green pixel at its top-left corner, laid on a blue 400 x 300
// picture; pixels are given in picture coordinates.
struct WatermarkRow {
    const char* name;
    QSize mark;
    std::vector<unsigned> commandsAfterLoad;
    std::uint32_t flags;
    QPoint positionAfterPaint;
    std::vector<std::pair<QPoint, QRgb>> pixels;
};

class WatermarkRenderingTest : public RenderingTest,
                               public ::testing::WithParamInterface<WatermarkRow> {};

TEST_P(WatermarkRenderingTest, ComposedAsTheFlagsSay)
{
    const WatermarkRow& row = GetParam();
    OpenPicture(SolidImage(400, 300, Qt::blue));
    QImage mark = SolidImage(row.mark.width(), row.mark.height(), Qt::red);
    mark.setPixel(0, 0, kGreen);
    LoadWatermark(doc, prompts, WritePicture(dir, QStringLiteral("mark.png"), mark));
    ASSERT_NE(doc.watermark(), nullptr);
    for (unsigned id : row.commandsAfterLoad)
        ASSERT_TRUE(doc.OnCmdMsg(id));
    ASSERT_EQ(doc.watermarkFlags(), row.flags);
    const QImage pictureBefore = imaging::PixelsForTesting(doc.image());

    const QImage painted = Paint(doc, kClient);
    for (const auto& [point, color] : row.pixels) {
        const QPoint at = kPictureOrigin + point;
        EXPECT_EQ(painted.pixel(at), color) << "picture pixel " << point.x() << "," << point.y();
    }
    EXPECT_EQ(doc.watermarkPosition(), row.positionAfterPaint);
    // The watermark went onto a copy: the document's own picture is as it was loaded.
    EXPECT_EQ(imaging::PixelsForTesting(doc.image()), pictureBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WatermarkRenderingTest,
    ::testing::Values(
        // Centre (200, 150), so 100 x 50 covers columns 150..249 and rows 125..174.
        WatermarkRow{"ShowAtNaturalSize", {100, 50}, {ID_WATERMARK_FIT}, 1, {200, 150},
                     {{{150, 125}, kGreen}, {{249, 174}, kRed}, {{149, 125}, kBlue},
                      {{150, 124}, kBlue}, {{250, 174}, kBlue}, {{249, 175}, kBlue}}},
        // 500 wide: starts at column -50, so its green corner is clipped away and every
        // column of rows 125..174 is covered.
        WatermarkRow{"ShowLargerThanPictureIsClipped", {500, 50}, {ID_WATERMARK_FIT}, 1,
                     {200, 150},
                     {{{0, 125}, kRed}, {{399, 174}, kRed}, {{0, 124}, kBlue},
                      {{399, 175}, kBlue}}},
        // s = 3: 150 x 300 at (125, 0).
        WatermarkRow{"ShowAndFit", {50, 100}, {}, 3, {200, 150},
                     {{{125, 150}, kRed}, {{274, 299}, kRed}, {{200, 0}, kRed},
                      {{124, 150}, kBlue}, {{275, 150}, kBlue}}},
        // Tiles from the picture's corner at the watermark's size; nothing fitted on top.
        WatermarkRow{"TileBeatsShowAndFit", {30, 20}, {ID_WATERMARK_TILE}, 7, {-1, -1},
                     {{{0, 0}, kGreen}, {{30, 20}, kGreen}, {{390, 280}, kGreen},
                      {{1, 0}, kRed}, {{29, 19}, kRed}}},
        WatermarkRow{"FitWithoutShowDrawsNothing", {100, 50}, {ID_WATERMARK_SHOW}, 2, {-1, -1},
                     {{{0, 0}, kBlue}, {{150, 125}, kBlue}, {{200, 150}, kBlue},
                      {{399, 299}, kBlue}}}),
    [](const ::testing::TestParamInfo<WatermarkRow>& info) { return info.param.name; });

TEST_F(RenderingTest, DefaultPositionIsKeptUntilTilingUnsetsIt)
{
    OpenPicture(SolidImage(400, 300, Qt::blue));
    LoadWatermark(doc, prompts, WritePicture(dir, QStringLiteral("mark.png"),
                                             SolidImage(100, 50, Qt::red)));
    doc.OnWatermarkFit();  // show alone
    Paint(doc, kClient);
    ASSERT_EQ(doc.watermarkPosition(), QPoint(200, 150));

    // A smaller picture keeps the position that was computed for the first one.
    OpenPicture(SolidImage(200, 100, Qt::blue), QStringLiteral("small.png"));
    Paint(doc, kClient);
    EXPECT_EQ(doc.watermarkPosition(), QPoint(200, 150));

    // Tiling on and off leaves y as it was, but an unset x alone asks for a fresh centre.
    doc.OnWatermarkTile();
    doc.OnWatermarkTile();
    ASSERT_EQ(doc.watermarkPosition(), QPoint(-1, 150));
    const QImage painted = Paint(doc, kClient);
    EXPECT_EQ(doc.watermarkPosition(), QPoint(100, 50));
    // 200 x 100 at (500, 450); the watermark covers its columns 50..149 and rows 25..74.
    EXPECT_EQ(painted.pixel(550, 475), kRed);
    EXPECT_EQ(painted.pixel(649, 524), kRed);
    EXPECT_EQ(painted.pixel(549, 475), kBlue);
    EXPECT_EQ(painted.pixel(649, 525), kBlue);
}

TEST_F(RenderingTest, PaintConsumesTheOutlineFlagAndShowsNoDifference)
{
    OpenPicture(SolidImage(400, 300, Qt::blue));
    const QImage plain = Paint(doc, kClient);
    doc.OnRegionOutline();
    ASSERT_EQ(doc.watermarkFlags(), FLAG_REGION_OUTLINE);
    const QImage withFlag = Paint(doc, kClient);
    EXPECT_EQ(doc.watermarkFlags(), 0u);
    EXPECT_EQ(withFlag, plain);
}

// The same scene stored in each of the eight orientations (exiftool reads orientation N from
// landscape_N; stored 600 x 450, or 450 x 600 for 5 to 8). Upright, every one shows the scene
// of landscape_1.
class OrientationPaintTest : public RenderingTest, public ::testing::WithParamInterface<int> {
protected:
    static QString CameraFile(int orientation)
    {
        return QStringLiteral(VELTRA_CAMERA_FILES_DIR "/jpg/orientation/landscape_%1.jpg")
            .arg(orientation);
    }

    QString Report()
    {
        QString text;
        EXPECT_TRUE(doc.GetImageInfo(text));
        return text;
    }
};

// Mean difference of the colour channels over the picture's area (the report's lines, at the
// top left, lie outside it), sampled every third pixel.
double MeanDifferenceInPicture(const QImage& a, const QImage& b, const QRect& area)
{
    double total = 0;
    int samples = 0;
    for (int y = area.top(); y <= area.bottom(); y += 3) {
        for (int x = area.left(); x <= area.right(); x += 3) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                     std::abs(qBlue(p) - qBlue(q));
            samples += 3;
        }
    }
    return total / samples;
}

// Every paint writes the same report, saying what the file says (the stored value in the
// orientation line and in the property line) with the upright size, and the picture is turned
// exactly once: the first turning paint asks for one more, after which the window shows the
// upright scene and never changes again.
TEST_P(OrientationPaintTest, ThreePaintsGiveOneReportAndAPictureTurnedOnce)
{
    const int orientation = GetParam();
    ASSERT_TRUE(doc.OnOpenDocument(CameraFile(1)));
    const QImage upright = Paint(doc, kClient);
    ASSERT_TRUE(doc.OnOpenDocument(CameraFile(orientation)));
    ASSERT_NE(doc.image(), nullptr);

    RepaintCounter repaints(doc);
    std::vector<QImage> paints;
    std::vector<QString> reports;
    for (int i = 0; i < 3; ++i) {
        paints.push_back(Paint(doc, kClient));
        reports.push_back(Report());
    }
    EXPECT_EQ(repaints.count, orientation == 1 ? 0 : 1);
    EXPECT_EQ(reports[1], reports[0]);
    EXPECT_EQ(reports[2], reports[0]);
    const QString turn = orientation == 1 ? QString() : QStringLiteral(" [");
    EXPECT_TRUE(reports[0].startsWith(QStringLiteral("文件类型：jpg\n尺寸：600x450\n")))
        << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(QStringLiteral("\n旋转标志：%1%2").arg(orientation).arg(turn)));
    EXPECT_TRUE(reports[0].contains(QStringLiteral("\n Orientation:%1\n").arg(orientation)));

    // 600 x 450 centred in 1200 x 1000.
    const QRect picture(300, 275, 600, 450);
    EXPECT_EQ(paints[2], paints[1]);
    // Each file draws its own number into the scene; a wrong turn or mirror differs by 50 and
    // more, the right one by the number and the JPEG noise (about 14).
    EXPECT_LT(MeanDifferenceInPicture(paints[1], upright, picture), 25.0);
}

INSTANTIATE_TEST_SUITE_P(EightOrientations, OrientationPaintTest, ::testing::Range(1, 9));

}  // namespace
// A camera raw is developed upright, turned as the camera recorded it: every paint writes the
// same report (the stored orientation in its lines, the upright size), no paint turns the
// picture again, and the picture stays upright. The fixtures hold four quadrants of known
// colours (scripts/make_raw_fixtures.py) stored unturned.
class RawOrientationPaintTest : public RenderingTest, public ::testing::WithParamInterface<int> {};

TEST_P(RawOrientationPaintTest, ThreePaintsGiveOneReportAndThePictureStaysUpright)
{
    const int orientation = GetParam();
    ASSERT_TRUE(doc.OnOpenDocument(
        QStringLiteral(VELTRA_FIXTURES_DIR "/raw/dng_rggb_orientation_%1.dng").arg(orientation)));
    ASSERT_NE(doc.image(), nullptr);
    RepaintCounter repaints(doc);
    std::vector<QImage> paints;
    std::vector<QString> reports;
    for (int i = 0; i < 3; ++i) {
        paints.push_back(Paint(doc, kClient));
        QString text;
        EXPECT_TRUE(doc.GetImageInfo(text));
        reports.push_back(text);
    }
    EXPECT_EQ(repaints.count, 0);
    EXPECT_EQ(paints[1], paints[0]);
    EXPECT_EQ(paints[2], paints[0]);
    EXPECT_EQ(reports[1], reports[0]);
    EXPECT_EQ(reports[2], reports[0]);
    const bool quarter = orientation == 6 || orientation == 8;
    EXPECT_TRUE(reports[0].startsWith(QStringLiteral("文件类型：tiff\n尺寸：%1\n像素格式：48bppRGB\n")
                                          .arg(quarter ? u"48x64" : u"64x48")))
        << reports[0].toStdString();
    const QString turn = orientation == 1 ? QString() : QStringLiteral(" [");
    EXPECT_TRUE(reports[0].contains(QStringLiteral("\n旋转标志：%1%2").arg(orientation).arg(turn)));
    EXPECT_TRUE(reports[0].contains(QStringLiteral("\n Orientation:%1\n").arg(orientation)));

    // The stored picture's quadrants are red, green (top), blue, grey (bottom). Upright, the
    // top left shows the stored corner that orientation puts there: 3 the bottom right, 6 (top
    // row on the right, left column on top) the bottom left, 8 (top row on the left, left
    // column at the bottom) the top right.
    const std::map<int, std::pair<QRgb, QRgb>> corners{
        {1, {qRgb(220, 60, 40), qRgb(200, 200, 200)}},
        {3, {qRgb(200, 200, 200), qRgb(220, 60, 40)}},
        {6, {qRgb(50, 80, 200), qRgb(60, 180, 70)}},
        {8, {qRgb(60, 180, 70), qRgb(50, 80, 200)}}};
    const int width = quarter ? 48 : 64;
    const int height = quarter ? 64 : 48;
    imaging::ARGB topLeft = 0;
    imaging::ARGB bottomRight = 0;
    ASSERT_EQ(imaging::GdipBitmapGetPixel(doc.image(), 8, 8, &topLeft), imaging::Ok);
    ASSERT_EQ(imaging::GdipBitmapGetPixel(doc.image(), width - 8, height - 8, &bottomRight),
              imaging::Ok);
    for (const auto& [actual, expected] :
         {std::pair{QRgb(topLeft), corners.at(orientation).first},
          std::pair{QRgb(bottomRight), corners.at(orientation).second}}) {
        EXPECT_NEAR(qRed(actual), qRed(expected), 4);
        EXPECT_NEAR(qGreen(actual), qGreen(expected), 4);
        EXPECT_NEAR(qBlue(actual), qBlue(expected), 4);
    }
}

INSTANTIATE_TEST_SUITE_P(RawOrientations, RawOrientationPaintTest, ::testing::Values(1, 3, 6, 8));

}  // namespace veltra
