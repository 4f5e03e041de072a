// The document keeps the composed picture between paints and the service keeps shrunk copies;
// neither may ever show what was true before a command. After each command the window's
// painting must equal what a document freshly set to the same state paints, and the export
// must equal the composition drawn here by hand. A picture whose pixels cannot be decoded
// after a sound header shows none and cannot be exported.

#include "document/document_test_support.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace veltra {
namespace {

using namespace document_test;

// Much larger than the client, so the picture is shown from shrunk copies and the watermark
// from a composition kept between paints.
const QSize kClient(320, 240);

// Paints until the document stops asking for more, as the window would, and gives the last.
QImage PaintSettled(CVeltraDoc& doc)
{
    int asked = 1;
    const auto connection =
        QObject::connect(&doc, &CVeltraDoc::viewsUpdateRequested, [&asked] { ++asked; });
    QImage painted;
    for (int paints = 0; asked > 0 && paints < 4; ++paints) {
        asked = 0;
        painted = Paint(doc, kClient);
    }
    QObject::disconnect(connection);
    return painted;
}

class CompositionCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QImage gradient(900, 700, QImage::Format_RGB32);
        for (int y = 0; y < gradient.height(); ++y)
            for (int x = 0; x < gradient.width(); ++x)
                gradient.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
        picture = WritePicture(dir, QStringLiteral("picture.png"), gradient);
        other = WritePicture(dir, QStringLiteral("other.png"), SolidImage(700, 900, Qt::darkGreen));
        QImage mark(60, 40, QImage::Format_ARGB32);
        mark.fill(QColor(250, 20, 20, 160));
        watermark = WritePicture(dir, QStringLiteral("mark.png"), mark);
    }

    // What a document opened on the same file and set to the same state paints.
    QImage FreshPainting(const QString& file, bool withWatermark, bool withPicture)
    {
        FakePrompts freshPrompts;
        CVeltraDoc fresh(freshPrompts);
        if (withPicture) {
            EXPECT_TRUE(fresh.OnOpenDocument(file));
        }
        if (withWatermark)
            LoadWatermark(fresh, freshPrompts, watermark);
        DocumentTestAccess::SetBackgroundColor(fresh, doc.backgroundColor());
        DocumentTestAccess::SetWatermarkFlags(fresh, stateFlags);
        DocumentTestAccess::SetWatermarkPosition(fresh, statePosition);
        return PaintSettled(fresh);
    }

    // After a command: the state as it is now, painted by the document and by a fresh one.
    void ExpectFreshPainting(const char* step, const QString& file)
    {
        SCOPED_TRACE(step);
        stateFlags = doc.watermarkFlags();
        statePosition = doc.watermarkPosition();
        const QImage kept = PaintSettled(doc);
        EXPECT_EQ(kept, FreshPainting(file, doc.watermark() != nullptr, doc.image() != nullptr));
    }

    QTemporaryDir dir;
    FakePrompts prompts;
    CVeltraDoc doc{prompts};
    QString picture;
    QString other;
    QString watermark;
    std::uint32_t stateFlags = 0;
    QPoint statePosition;
};

TEST_F(CompositionCacheTest, EveryCommandShowsWhatAFreshDocumentShows)
{
    ASSERT_TRUE(doc.OnOpenDocument(picture));
    ExpectFreshPainting("opened", picture);
    prompts.colorReplies.push_back(RGB(20, 40, 200));
    doc.OnBackgroundColor();
    ExpectFreshPainting("background", picture);
    LoadWatermark(doc, prompts, watermark);
    ExpectFreshPainting("watermark loaded, fitted", picture);
    doc.OnWatermarkFit();
    ExpectFreshPainting("fit off: centred", picture);
    doc.OnWatermarkTile();
    ExpectFreshPainting("tiled", picture);
    doc.OnWatermarkShow();
    ExpectFreshPainting("show off under tiles", picture);
    doc.OnWatermarkTile();
    ExpectFreshPainting("tiles off, show off", picture);
    doc.OnWatermarkShow();
    ExpectFreshPainting("show on again", picture);
    ASSERT_TRUE(doc.OnOpenDocument(other));
    ExpectFreshPainting("a new picture under the same watermark", other);
    doc.OnWatermarkLoad();  // removes it
    ExpectFreshPainting("watermark removed", other);
    doc.OnImageClose();
    ExpectFreshPainting("closed", other);
    // Stored sideways: the first paint's report turns it, and the window shows it upright.
    const QString sideways = QStringLiteral(VELTRA_FIXTURES_DIR "/jpeg_exif_orientation_6.jpg");
    ASSERT_TRUE(doc.OnOpenDocument(sideways));
    LoadWatermark(doc, prompts, watermark);
    ExpectFreshPainting("a turned picture with a watermark", sideways);
}

// The export lays the same composition down at full size: here a tiled watermark over the
// picture, drawn by hand with QPainter, against the exported file.
TEST_F(CompositionCacheTest, TheExportIsTheCompositionAtFullSize)
{
    ASSERT_TRUE(doc.OnOpenDocument(picture));
    LoadWatermark(doc, prompts, watermark);
    doc.OnWatermarkTile();
    PaintSettled(doc);  // the kept composition is what the export starts from
    const QString exported = dir.filePath(QStringLiteral("exported.jpg"));
    prompts.exportReplies.push_back(exported);
    doc.OnFileSaveJpeg();
    ASSERT_EQ(prompts.messages.back().text, QStringLiteral("保存成功"));

    QImage expected(QImage(picture).convertToFormat(QImage::Format_RGB32));
    {
        QPainter painter(&expected);
        painter.fillRect(expected.rect(), QBrush(QImage(watermark)));
    }
    const QImage written(exported);
    ASSERT_EQ(written.size(), expected.size());
    double difference = 0;
    for (int y = 0; y < expected.height(); y += 3) {
        for (int x = 0; x < expected.width(); x += 3) {
            const QRgb a = written.pixel(x, y);
            const QRgb b = expected.pixel(x, y);
            difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                          std::abs(qBlue(a) - qBlue(b));
        }
    }
    EXPECT_LT(difference / (3.0 * (expected.width() / 3 + 1) * (expected.height() / 3 + 1)), 2.0);
}

// The header is sound, the second scan is not: the file opens with its report, shows no
// picture, and its export fails.
TEST_F(CompositionCacheTest, PixelsThatCannotBeDecodedDrawNothingAndExportNothing)
{
    const QString broken = QStringLiteral(VELTRA_FIXTURES_DIR "/jpeg_pixels_undecodable.jpg");
    ASSERT_TRUE(doc.OnOpenDocument(broken));
    ASSERT_NE(doc.image(), nullptr);
    EXPECT_TRUE(prompts.messages.empty());
    QString report;
    EXPECT_TRUE(doc.GetImageInfo(report));
    EXPECT_TRUE(report.startsWith(QStringLiteral("文件类型：jpg\n尺寸：37x21\n")));

    // 37 x 21 centred in 800 x 600, at (381, 289), below the report: background there.
    const QImage painted = Paint(doc, QSize(800, 600));
    for (int y = 289; y < 310; ++y)
        for (int x = 381; x < 418; ++x)
            ASSERT_EQ(painted.pixel(x, y), qRgb(192, 192, 192)) << x << "," << y;

    prompts.exportReplies.push_back(dir.filePath(QStringLiteral("broken.jpg")));
    doc.OnFileSaveJpeg();
    EXPECT_EQ(prompts.messages.back().text, QStringLiteral("保存失败"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("broken.jpg"))));
}

}  // namespace
}  // namespace veltra
