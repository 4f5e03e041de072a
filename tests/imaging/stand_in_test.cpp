// A photo shown smaller than it is stored: the scale it is first decoded at, the stand-in
// drawn until its pixels are decoded and never beyond what it covers, saved files always from
// the pixels, and the copies of the files a window will open next. A camera raw: its embedded
// preview drawn until the raw is developed, and never one that does not show the picture.

#include "imaging_test_support.h"

#include "formats/jpeg/jpeg_codec.h"
#include "imaging/work_counters.h"
#include "service/decoded_content.h"
#include "service/view_copies.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veltra::imaging {
namespace {

struct CoverRow {
    QSize stored;
    bool quarterTurn;
    QSize view;
    int keptAhead;  // the fewest eighths that cover
    int waitedFor;  // the fewest of 1, 2, 4 and 8 eighths that cover
};

class EighthsCoveringTest : public ::testing::TestWithParam<CoverRow> {};

// Worked by hand: the picture fitted into the view, then the fewest eighths whose rounded-up
// sides reach the fitted ones.
TEST_P(EighthsCoveringTest, FewestEighthsThatCoverTheView)
{
    const CoverRow& row = GetParam();
    EXPECT_EQ(EighthsCovering(row.stored, row.quarterTurn, row.view, StandInUse::KeptAhead),
              row.keptAhead);
    EXPECT_EQ(EighthsCovering(row.stored, row.quarterTurn, row.view, StandInUse::WaitedFor),
              row.waitedFor);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, EighthsCoveringTest,
    ::testing::Values(
        // 0.27 of it shows, 1620 x 1080; 3/8 is 2250 x 1500, 2/8 only 1500 wide.
        CoverRow{QSize(6000, 4000), false, QSize(1920, 1080), 3, 4},
        // Upright 4000 x 6000 shows 720 x 1080: stored 1080 x 720, and 2/8 is 1500 x 1000.
        CoverRow{QSize(6000, 4000), true, QSize(1920, 1080), 2, 2},
        // 1620 x 1080 of 3000 x 2000: 5/8 is 1875 wide, 4/8 only 1500; whole is faster.
        CoverRow{QSize(3000, 2000), false, QSize(1920, 1080), 5, 8},
        // Shown at its own size, or at exactly the view's: nothing smaller serves.
        CoverRow{QSize(640, 480), false, QSize(1920, 1080), 8, 8},
        CoverRow{QSize(1000, 1000), false, QSize(1000, 1000), 8, 8},
        // 0.48 of it: 1920 x 48; 4/8 is 2000 wide, 3/8 only 1500.
        CoverRow{QSize(4000, 100), false, QSize(1920, 1080), 4, 4},
        // A tiny view: an eighth still covers it.
        CoverRow{QSize(6000, 4000), false, QSize(100, 100), 1, 1}));

// A JPEG of single-pixel black and white squares: decoded whole it alternates, shrunk it is
// grey, so what is drawn or saved tells which it came from.
QByteArray CheckerboardJpeg(QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            picture.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_EQ(EncodeJpeg(picture, 100, buffer), Ok);
    return bytes;
}

// A picture of that JPEG as the service holds it, with a stand-in at 2/8 wanted and no thread
// decoding ahead.
struct HeldPicture {
    std::shared_ptr<DecodedContent> content;
    std::unique_ptr<GpImage> image;
};

HeldPicture HoldWithStandIn(const QByteArray& bytes)
{
    const FormatReader& reader = ReaderFor(bytes);
    FileFacts facts = reader.read(bytes);
    FrameHeader header;
    EXPECT_EQ(ProbeFirstFrame(reader, bytes, facts, &header), Ok);
    auto content = std::make_shared<DecodedContent>(bytes, reader, std::move(facts), header);
    content->wantStandInAt(2);
    auto image = std::make_unique<GpImage>(content, ImageFormatJPEG, PixelFormat24bppRGB);
    return {content, std::move(image)};
}

int Spread(const QImage& drawn)
{
    int lowest = 255;
    int highest = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            lowest = std::min(lowest, qGray(drawn.pixel(x, y)));
            highest = std::max(highest, qGray(drawn.pixel(x, y)));
        }
    }
    return highest - lowest;
}

QImage DrawnAt(GpImage* image, QSize target)
{
    QImage window(target, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&window);
    GpGraphics* graphics = nullptr;
    EXPECT_EQ(GdipCreateFromHDC(&painter, &graphics), Ok);
    const QSize size = image->size();
    EXPECT_EQ(GdipDrawImageRectRect(graphics, image, 0, 0, REAL(target.width()),
                                    REAL(target.height()), 0, 0, REAL(size.width()),
                                    REAL(size.height()), UnitPixel),
              Ok);
    GdipDeleteGraphics(graphics);
    return window;
}

TEST(StandIn, DrawnWhileItCoversThenThePixels)
{
    HeldPicture held = HoldWithStandIn(CheckerboardJpeg(QSize(256, 192)));
    bool standIn = false;
    ASSERT_EQ(GetImageShownFromStandIn(held.image.get(), &standIn), Ok);
    EXPECT_TRUE(standIn);

    // 2/8 is 64 x 48: drawn at that size or smaller from it, without decoding the pixels.
    DrawnAt(held.image.get(), QSize(64, 48));
    DrawnAt(held.image.get(), QSize(32, 24));
    EXPECT_FALSE(held.content->settled());
    // Turned, it turns with the picture.
    GdipImageRotateFlip(held.image.get(), Rotate90FlipNone);
    DrawnAt(held.image.get(), QSize(48, 64));
    EXPECT_FALSE(held.content->settled());
    // Larger than it covers: the pixels, and from then on never the stand-in.
    const QImage whole = DrawnAt(held.image.get(), QSize(192, 256));
    EXPECT_TRUE(held.content->settled());
    EXPECT_GT(Spread(whole), 200);
    GetImageShownFromStandIn(held.image.get(), &standIn);
    EXPECT_FALSE(standIn);
    // Once shown, decoding ahead says the window should draw again.
    HeldPicture shown = HoldWithStandIn(CheckerboardJpeg(QSize(256, 192)));
    DrawnAt(shown.image.get(), QSize(64, 48));
    EXPECT_TRUE(shown.content->prepare(16));
    HeldPicture unseen = HoldWithStandIn(CheckerboardJpeg(QSize(256, 192)));
    EXPECT_FALSE(unseen.content->prepare(16));
}

TEST(StandIn, NeverSaved)
{
    HeldPicture held = HoldWithStandIn(CheckerboardJpeg(QSize(256, 192)));
    DrawnAt(held.image.get(), QSize(64, 48));
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("saved.jpg"));
    const test_support::QualityParameters quality(100);
    ASSERT_EQ(GdipSaveImageToFile(held.image.get(), path, &JpegEncoderClsid, quality.get()), Ok);
    const QImage saved = QImageReader(path).read();
    ASSERT_EQ(saved.size(), QSize(256, 192));
    EXPECT_GT(Spread(saved), 200);
}

TEST(ViewCopies, MadeAheadForTheFilesAskedAndOnlyWhileTheyAreTheSame)
{
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("next.jpg"));
    const QString other = directory.filePath(QStringLiteral("other.jpg"));
    const QByteArray bytes = CheckerboardJpeg(QSize(800, 600));
    for (const QString& file : {path, other}) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    // A 200 x 150 view shows a quarter of it: 2/8.
    ASSERT_EQ(DecodeFilesAheadForView({path, other}, QSize(200, 150)), Ok);
    ASSERT_EQ(WaitForDecodeAhead(), Ok);
    EXPECT_EQ(ViewCopyOf(path, QSize(800, 600)).size(), QSize(200, 150));
    EXPECT_TRUE(ViewCopyOf(path, QSize(640, 480)).isNull());

    // Asking for other files forgets it; a file rewritten since is not the one copied.
    ASSERT_EQ(DecodeFilesAheadForView({other}, QSize(200, 150)), Ok);
    EXPECT_TRUE(ViewCopyOf(path, QSize(800, 600)).isNull());
    QFile rewritten(other);
    ASSERT_TRUE(rewritten.open(QIODevice::WriteOnly));
    rewritten.write(CheckerboardJpeg(QSize(800, 600)) + QByteArray(1, '\0'));
    rewritten.close();
    EXPECT_TRUE(ViewCopyOf(other, QSize(800, 600)).isNull());
    ASSERT_EQ(DecodeFilesAheadForView({}, QSize()), Ok);
}

struct PreviewCoverRow {
    QSize preview;
    QSize picture;
    QSize view;
    int keptAhead;
    int waitedFor;
};

class EighthsOfCoveringTest : public ::testing::TestWithParam<PreviewCoverRow> {};

// The picture fitted into the view, then the fewest eighths of the preview that reach it.
TEST_P(EighthsOfCoveringTest, FewestEighthsOfThePreviewThatCoverWhatTheViewShows)
{
    const PreviewCoverRow& row = GetParam();
    EXPECT_EQ(EighthsOfCovering(row.preview, row.picture, row.view, StandInUse::KeptAhead),
              row.keptAhead);
    EXPECT_EQ(EighthsOfCovering(row.preview, row.picture, row.view, StandInUse::WaitedFor),
              row.waitedFor);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, EighthsOfCoveringTest,
    ::testing::Values(
        // A preview without the margins: about 1617 x 1080 shows; 3/8 is 2250 x 1500.
        PreviewCoverRow{QSize(6000, 4000), QSize(6016, 4016), QSize(1920, 1080), 3, 4},
        // Half size: 1620 x 1080 shows; 5/8 is 1875 x 1250, 4/8 only 1500 wide.
        PreviewCoverRow{QSize(3000, 2000), QSize(6000, 4000), QSize(1920, 1080), 5, 8},
        // Smaller than what shows: it cannot stand in.
        PreviewCoverRow{QSize(1600, 1066), QSize(6000, 4000), QSize(1920, 1080), 0, 0},
        // A small raw shown at its own size, by a preview of that size.
        PreviewCoverRow{QSize(64, 48), QSize(64, 48), QSize(800, 600), 8, 8}));

// The raw fixtures' quadrant colours, as scripts/make_raw_fixtures.py writes them (top left,
// top right, bottom left, bottom right of the 64 x 48 picture as stored).
constexpr QRgb kRawQuadrants[4] = {qRgb(220, 60, 40), qRgb(60, 180, 70), qRgb(50, 80, 200),
                                   qRgb(200, 200, 200)};

QRgb StoredQuadrantColour(int x, int y)
{
    return kRawQuadrants[(y >= 24 ? 2 : 0) + (x >= 32 ? 1 : 0)];
}

bool Near(QRgb drawn, QRgb expected)
{
    constexpr int kTolerance = 24;  // a JPEG's error, and a development's rounding
    return std::abs(qRed(drawn) - qRed(expected)) <= kTolerance &&
           std::abs(qGreen(drawn) - qGreen(expected)) <= kTolerance &&
           std::abs(qBlue(drawn) - qBlue(expected)) <= kTolerance;
}

// The fixture whose preview is its picture mirrored left to right, with Orientation 6: upright
// it is 48 x 64, and the upright point (x, y) is the stored point (y, 47 - x).
constexpr const char* kMirroredPreviewRaw = "raw/dng_preview_mirrored_orientation_6.dng";
const QSize kUprightRaw(48, 64);

// The centres of the upright picture's quadrants, with the colour each shows when developed
// and when drawn from the mirrored preview.
struct RawPoint {
    QPoint upright;
    QRgb developed;
    QRgb preview;
};

std::vector<RawPoint> RawPoints()
{
    std::vector<RawPoint> points;
    for (const QPoint upright : {QPoint(12, 16), QPoint(36, 16), QPoint(12, 48), QPoint(36, 48)}) {
        const QPoint stored(upright.y(), 47 - upright.x());
        points.push_back({upright, StoredQuadrantColour(stored.x(), stored.y()),
                          StoredQuadrantColour(63 - stored.x(), stored.y())});
    }
    return points;
}

// A raw as the service holds it when loaded for a view of that size, with no thread
// developing it ahead.
HeldPicture HoldRaw(const char* name, QSize view)
{
    const QByteArray bytes = test_support::ReadFixture(name);
    const FormatReader& reader = ReaderFor(bytes);
    FileFacts facts = reader.read(bytes);
    const PropertySet properties = facts.properties;
    FrameHeader header;
    EXPECT_EQ(ProbeFirstFrame(reader, bytes, facts, &header), Ok);
    const QSize size = header.size;
    auto content = std::make_shared<DecodedContent>(bytes, reader, std::move(facts), header);
    PrepareStandIn(*content, QString(), size, properties, view);
    auto image = std::make_unique<GpImage>(content, ImageFormatTIFF, PixelFormat48bppRGB);
    return {content, std::move(image)};
}

TEST(RawStandIn, ThePreviewIsDrawnUntilTheDevelopmentReplacesIt)
{
    HeldPicture held = HoldRaw(kMirroredPreviewRaw, QSize(800, 600));
    const std::uint64_t developed = WorkDone(Work::RawsDeveloped);
    ASSERT_TRUE(held.image->showsStandIn());
    EXPECT_EQ(held.image->size(), kUprightRaw);

    const QImage first = DrawnAt(held.image.get(), kUprightRaw);
    EXPECT_EQ(WorkDone(Work::RawsDeveloped), developed);
    EXPECT_FALSE(held.content->settled());
    for (const RawPoint& point : RawPoints())
        EXPECT_TRUE(Near(first.pixel(point.upright), point.preview)) << point.upright.x() << ','
                                                                     << point.upright.y();

    // Developed ahead: the window is told to draw again, and draws the development.
    EXPECT_TRUE(held.content->prepare(16));
    EXPECT_EQ(WorkDone(Work::RawsDeveloped), developed + 1);
    EXPECT_FALSE(held.image->showsStandIn());
    const QImage second = DrawnAt(held.image.get(), kUprightRaw);
    for (const RawPoint& point : RawPoints())
        EXPECT_TRUE(Near(second.pixel(point.upright), point.developed)) << point.upright.x()
                                                                        << ',' << point.upright.y();
}

TEST(RawStandIn, PixelReadsAndSavesWaitForTheDevelopment)
{
    HeldPicture held = HoldRaw(kMirroredPreviewRaw, QSize(800, 600));
    DrawnAt(held.image.get(), kUprightRaw);
    ASSERT_FALSE(held.content->settled());
    for (const RawPoint& point : RawPoints()) {
        ARGB colour = 0;
        ASSERT_EQ(GdipBitmapGetPixel(held.image.get(), point.upright.x(), point.upright.y(),
                                     &colour),
                  Ok);
        EXPECT_TRUE(Near(QRgb(colour), point.developed));
    }
    HeldPicture unread = HoldRaw(kMirroredPreviewRaw, QSize(800, 600));
    DrawnAt(unread.image.get(), kUprightRaw);
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("saved.jpg"));
    const test_support::QualityParameters quality(100);
    ASSERT_EQ(GdipSaveImageToFile(unread.image.get(), path, &JpegEncoderClsid, quality.get()), Ok);
    const QImage saved = QImageReader(path).read();
    ASSERT_EQ(saved.size(), kUprightRaw);
    for (const RawPoint& point : RawPoints())
        EXPECT_TRUE(Near(saved.pixel(point.upright), point.developed));
}

TEST(RawStandIn, APreviewOfOtherProportionsOrTooSmallForTheViewStandsInForNothing)
{
    EXPECT_FALSE(HoldRaw("raw/dng_preview_cropped.dng", QSize(800, 600)).image->showsStandIn());
    // Upright 48 x 64 fits a 100 x 100 view whole; the 64 x 48 preview turned covers it.
    EXPECT_TRUE(HoldRaw("raw/dng_rggb_orientation_6.dng", QSize(100, 100)).image->showsStandIn());
}

TEST(ViewCopies, ARawToBeOpenedNextIsCopiedFromItsPreviewWithoutDeveloping)
{
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("next.dng"));
    ASSERT_TRUE(QFile::copy(test_support::FixturePath(kMirroredPreviewRaw), path));
    const std::uint64_t developed = WorkDone(Work::RawsDeveloped);
    // A 24 x 32 view shows half of it each way: the preview at 4/8, turned upright.
    ASSERT_EQ(DecodeFilesAheadForView({path}, QSize(24, 32)), Ok);
    ASSERT_EQ(WaitForDecodeAhead(), Ok);
    const QImage copy = ViewCopyOf(path, kUprightRaw);
    ASSERT_EQ(copy.size(), QSize(24, 32));
    EXPECT_EQ(WorkDone(Work::RawsDeveloped), developed);
    for (const RawPoint& point : RawPoints())
        EXPECT_TRUE(Near(copy.pixel(point.upright / 2), point.preview));
    ASSERT_EQ(DecodeFilesAheadForView({}, QSize()), Ok);
}

}  // namespace
}  // namespace veltra::imaging
