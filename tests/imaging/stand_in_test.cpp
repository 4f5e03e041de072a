// A photo shown smaller than it is stored: the scale it is first decoded at, the stand-in
// drawn until its pixels are decoded and never beyond what it covers, saved files always from
// the pixels, and the copies of the files a window will open next.

#include "imaging_test_support.h"

#include "formats/jpeg/jpeg_codec.h"
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
    int eighths;
};

class EighthsCoveringTest : public ::testing::TestWithParam<CoverRow> {};

// Worked by hand: the picture fitted into the view, then the fewest eighths whose rounded-up
// sides reach the fitted ones.
TEST_P(EighthsCoveringTest, FewestEighthsThatCoverTheView)
{
    EXPECT_EQ(EighthsCovering(GetParam().stored, GetParam().quarterTurn, GetParam().view),
              GetParam().eighths);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, EighthsCoveringTest,
    ::testing::Values(
        // 0.27 of it shows, 1620 x 1080; 3/8 is 2250 x 1500, 2/8 only 1500 wide.
        CoverRow{QSize(6000, 4000), false, QSize(1920, 1080), 3},
        // Upright 4000 x 6000 shows 720 x 1080: stored 1080 x 720, and 2/8 is 1500 x 1000.
        CoverRow{QSize(6000, 4000), true, QSize(1920, 1080), 2},
        // Shown at its own size, or at exactly the view's: nothing smaller serves.
        CoverRow{QSize(640, 480), false, QSize(1920, 1080), 8},
        CoverRow{QSize(1000, 1000), false, QSize(1000, 1000), 8},
        // 0.48 of it: 1920 x 48; 4/8 is 2000 wide, 3/8 only 1500.
        CoverRow{QSize(4000, 100), false, QSize(1920, 1080), 4},
        // A tiny view: an eighth still covers it.
        CoverRow{QSize(6000, 4000), false, QSize(100, 100), 1}));

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

}  // namespace
}  // namespace veltra::imaging
