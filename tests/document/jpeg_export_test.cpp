// The JPEG export: what the file holds, where it goes, and what the user is told.

#include "document/document_test_support.h"
#include "analysis/jpeg_quality.h"
#include "document/export_path.h"
#include "imaging/file_structure.h"

#include <QDir>
#include <QDirIterator>
#include <QImageReader>

#include <gtest/gtest.h>

#include <climits>

namespace veltra {
namespace {

using namespace document_test;

const FakePrompts::Message kSaved{QStringLiteral("保存成功"), DocumentPrompts::Icon::Information};
const FakePrompts::Message kFailed{QStringLiteral("保存失败"), DocumentPrompts::Icon::Error};

QImage ReadJpeg(const QString& path)
{
    if (!ReadBytes(path).startsWith("\xFF\xD8\xFF"))
        return QImage();
    QImageReader reader(path, "jpeg");
    return reader.read();
}

// Quality 100 keeps flat areas within a few levels of the original.
::testing::AssertionResult Near(QRgb actual, QRgb expected)
{
    const int worst = std::max({std::abs(qRed(actual) - qRed(expected)),
                                std::abs(qGreen(actual) - qGreen(expected)),
                                std::abs(qBlue(actual) - qBlue(expected))});
    if (worst <= 8)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << QStringLiteral("#%1 is not near #%2")
                                                .arg(actual, 8, 16)
                                                .arg(expected, 8, 16)
                                                .toStdString();
}

// Every entry below `root`, so that a stray temporary file shows up.
QStringList Listing(const QString& root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(root).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

class JpegExportTest : public ::testing::Test {
protected:
    void OpenPicture(const QImage& image)
    {
        ASSERT_TRUE(doc.OnOpenDocument(WritePicture(dir, QStringLiteral("source.png"), image)));
    }
    void Export(const QString& chosen)
    {
        prompts.exportReplies.push_back(chosen);
        doc.OnFileSaveJpeg();
    }

    QTemporaryDir dir;
    FakePrompts prompts;
    CVeltraDoc doc{prompts};
};

TEST_F(JpegExportTest, PictureSizeWithoutReportAndNoRepaint)
{
    OpenPicture(SolidImage(640, 480, Qt::green));
    Paint(doc, QSize(100, 100));  // the window's size has no bearing on the file
    RepaintCounter repaints(doc);
    Export(dir.filePath(QStringLiteral("out.jpg")));

    EXPECT_EQ(prompts.messages, std::vector{kSaved});
    const QImage saved = ReadJpeg(dir.filePath(QStringLiteral("out.jpg")));
    ASSERT_EQ(saved.size(), QSize(640, 480));
    // Where the report would start, only the picture.
    for (int y = 0; y < 120; y += 3)
        for (int x = 0; x < 200; x += 3)
            ASSERT_TRUE(Near(saved.pixel(x, y), qRgb(0, 255, 0))) << x << "," << y;
    EXPECT_EQ(repaints.count, 0);
    EXPECT_EQ(Listing(dir.path()), (QStringList{"out.jpg", "source.png"}));
}

// Quality 100 as promised, not merely colours within a few levels: every step of every
// quantisation table is 1, which the analysis reads back as the standard tables of quality
// 100, and every component is sampled 1 x 1.
TEST_F(JpegExportTest, QualityHundredTablesAndFullChroma)
{
    OpenPicture(SolidImage(64, 48, Qt::darkCyan));
    const QString path = dir.filePath(QStringLiteral("out.jpg"));
    Export(path);
    imaging::FileStructure structure;
    ASSERT_EQ(imaging::ReadFileStructure(path, &structure), imaging::Ok);
    ASSERT_TRUE(structure.frame);
    ASSERT_EQ(structure.frame->components.size(), 3u);
    for (const imaging::JpegComponent& component : structure.frame->components) {
        EXPECT_EQ(component.horizontalSampling, 1);
        EXPECT_EQ(component.verticalSampling, 1);
    }
    ASSERT_EQ(structure.quantisationTables.size(), 2u);
    for (const imaging::JpegQuantisationTable& stored : structure.quantisationTables) {
        analysis::QuantisationTable table;
        std::copy(stored.steps.begin(), stored.steps.end(), table.begin());
        EXPECT_TRUE(std::all_of(table.begin(), table.end(), [](auto step) { return step == 1; }));
        const analysis::JpegQualityEstimate estimate = analysis::EstimateJpegQuality(
            table, stored.id == 0 ? analysis::QuantisationTableKind::Luminance
                                  : analysis::QuantisationTableKind::Chrominance);
        EXPECT_TRUE(estimate.standard);
        EXPECT_EQ(estimate.quality, 100);
    }
}

// A photo shown smaller than it is stored is first drawn from a copy decoded at that size;
// the file saved meanwhile holds its pixels, and the window ends on them too.
TEST_F(JpegExportTest, AWindowsFirstCopyIsNeverSaved)
{
    // Single-pixel squares: whole they alternate black and white, shrunk they are grey.
    QImage squares(512, 384, QImage::Format_RGB32);
    for (int y = 0; y < squares.height(); ++y)
        for (int x = 0; x < squares.width(); ++x)
            squares.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    const QString photo = WritePicture(dir, QStringLiteral("squares.jpg"), squares, "jpeg");
    doc.SetViewSize(QSize(128, 96));
    ASSERT_TRUE(doc.OnOpenDocument(photo));
    Paint(doc, QSize(128, 96));
    const QString path = dir.filePath(QStringLiteral("out.jpg"));
    Export(path);
    const QImage saved = ReadJpeg(path);
    ASSERT_EQ(saved.size(), QSize(512, 384));
    int alternations = 0;
    for (int x = 1; x < saved.width(); ++x)
        alternations += std::abs(qGray(saved.pixel(x, 100)) - qGray(saved.pixel(x - 1, 100))) > 128;
    EXPECT_GT(alternations, saved.width() * 9 / 10);
    ASSERT_EQ(imaging::WaitForDecodeAhead(), imaging::Ok);
    bool standIn = true;
    imaging::GetImageShownFromStandIn(doc.image(), &standIn);
    EXPECT_FALSE(standIn);
}

TEST_F(JpegExportTest, TransparencyTakesTheBackgroundAsItWasWhenTheCommandStarted)
{
    QImage picture = SolidImage(64, 48, Qt::blue);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 32; ++x)
            picture.setPixel(x, y, qRgba(0, 0, 0, 0));
    OpenPicture(picture);
    DocumentTestAccess::SetBackgroundColor(doc, 0x0000FF);  // red in the stored layout
    // Commands run while the chooser is open do not reach the file.
    prompts.whileExportChooserOpen = [this] {
        DocumentTestAccess::SetBackgroundColor(doc, RGB(0, 255, 0));
        doc.OnImageClose();
    };
    Export(dir.filePath(QStringLiteral("out.jpg")));

    EXPECT_EQ(prompts.messages, std::vector{kSaved});
    const QImage saved = ReadJpeg(dir.filePath(QStringLiteral("out.jpg")));
    ASSERT_EQ(saved.size(), QSize(64, 48));
    EXPECT_TRUE(Near(saved.pixel(10, 24), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(saved.pixel(54, 24), qRgb(0, 0, 255)));
}

TEST_F(JpegExportTest, TiledWatermarkIsInTheFile)
{
    OpenPicture(SolidImage(64, 48, Qt::blue));
    QImage mark = SolidImage(16, 16, Qt::red);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x)
            mark.setPixel(x, y, qRgb(0, 255, 0));
    LoadWatermark(doc, prompts, WritePicture(dir, QStringLiteral("mark.png"), mark));
    doc.OnWatermarkTile();
    Export(dir.filePath(QStringLiteral("out.jpg")));

    const QImage saved = ReadJpeg(dir.filePath(QStringLiteral("out.jpg")));
    ASSERT_EQ(saved.size(), QSize(64, 48));
    EXPECT_TRUE(Near(saved.pixel(3, 8), qRgb(0, 255, 0)));
    EXPECT_TRUE(Near(saved.pixel(12, 8), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(saved.pixel(52, 40), qRgb(0, 255, 0)));
}

struct EndingRow {
    const char* chosen;
    const char* written;
    const char* notWritten;
};

class ExportEndingTest : public JpegExportTest, public ::testing::WithParamInterface<EndingRow> {};

TEST_P(ExportEndingTest, JpgIsAppendedOnlyWithoutAnyDot)
{
    ASSERT_FALSE(dir.path().contains(QLatin1Char('.'))) << "the rows need a dot-free folder";
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub.dir")));
    OpenPicture(SolidImage(20, 10, Qt::blue));
    Export(dir.filePath(QString::fromUtf8(GetParam().chosen)));

    EXPECT_EQ(prompts.messages, std::vector{kSaved});
    EXPECT_EQ(ReadJpeg(dir.filePath(QString::fromUtf8(GetParam().written))).size(),
              QSize(20, 10));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QString::fromUtf8(GetParam().notWritten))));
}

INSTANTIATE_TEST_SUITE_P(Rows, ExportEndingTest,
                         ::testing::Values(EndingRow{"picture", "picture.jpg", "picture"},
                                           EndingRow{"picture.png", "picture.png",
                                                     "picture.png.jpg"},
                                           EndingRow{"sub.dir/picture", "sub.dir/picture",
                                                     "sub.dir/picture.jpg"}));

struct PathRow {
    QString chosen;
    std::optional<QString> expected;
};

std::vector<PathRow> PathRows()
{
    // PATH_MAX counts the terminating NUL, so a path may take PATH_MAX - 1 bytes.
    const QString fits(PATH_MAX - 1 - 4, QLatin1Char('a'));
    const QString tooLong(PATH_MAX - 4, QLatin1Char('a'));
    // Three bytes each in UTF-8: the limit counts bytes, not characters.
    const QString wide((PATH_MAX - 4) / 3 + 1, QChar(0x56FE));
    return {
        {QStringLiteral("/home/u/out"), QStringLiteral("/home/u/out.jpg")},
        {QStringLiteral("/home/u/out.png"), QStringLiteral("/home/u/out.png")},
        {QStringLiteral("/home/u.v/out"), QStringLiteral("/home/u.v/out")},
        {QStringLiteral("/home/u/out."), QStringLiteral("/home/u/out.")},
        {fits, fits + QStringLiteral(".jpg")},
        {tooLong, std::nullopt},
        {wide, std::nullopt},
    };
}

class ExportPathTest : public ::testing::TestWithParam<PathRow> {};

TEST_P(ExportPathTest, EndingAndLimit)
{
    EXPECT_EQ(ExportPathFor(GetParam().chosen), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, ExportPathTest, ::testing::ValuesIn(PathRows()));

TEST_F(JpegExportTest, PathTooLongForTheEndingWritesNothing)
{
    ASSERT_FALSE(dir.path().contains(QLatin1Char('.')));
    OpenPicture(SolidImage(20, 10, Qt::blue));
    // Folders deep enough that the chosen name itself could be written, but not with ".jpg".
    QString deepest = dir.path();
    while (PATH_MAX - 4 - (deepest.size() + 1) > 200)
        deepest += QLatin1Char('/') + QString(200, QLatin1Char('d'));
    ASSERT_TRUE(QDir().mkpath(deepest));
    const QString chosen =
        deepest + QLatin1Char('/') + QString(PATH_MAX - 4 - (deepest.size() + 1), QLatin1Char('f'));
    ASSERT_EQ(chosen.size(), PATH_MAX - 4);
    Export(chosen);

    EXPECT_EQ(prompts.messages, std::vector{kFailed});
    EXPECT_TRUE(QDir(deepest).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(JpegExportTest, ExistingFileIsReplacedWithoutQuestion)
{
    OpenPicture(SolidImage(20, 10, Qt::blue));
    const QString target = WriteBytes(dir, QStringLiteral("out.jpg"), "an older file");
    Export(target);
    EXPECT_EQ(prompts.messages, std::vector{kSaved});
    EXPECT_EQ(ReadJpeg(target).size(), QSize(20, 10));
    EXPECT_EQ(Listing(dir.path()), (QStringList{"out.jpg", "source.png"}));
}

class UnwritableTargetTest : public JpegExportTest,
                             public ::testing::WithParamInterface<const char*> {};

TEST_P(UnwritableTargetTest, FailsAndLeavesTheFolderAsItWas)
{
    OpenPicture(SolidImage(20, 10, Qt::blue));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.jpg")));
    const QStringList before = Listing(dir.path());
    Export(dir.filePath(QString::fromUtf8(GetParam())));
    EXPECT_EQ(prompts.messages, std::vector{kFailed});
    EXPECT_EQ(Listing(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Rows, UnwritableTargetTest,
                         ::testing::Values("missing/out.jpg", "folder.jpg", "source.png/out.jpg"));

TEST_F(JpegExportTest, ReadOnlyFileIsKeptByteForByte)
{
    OpenPicture(SolidImage(20, 10, Qt::blue));
    const QString target = WriteBytes(dir, QStringLiteral("kept.jpg"), "an older file");
    ASSERT_TRUE(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    if (QFileInfo(target).isWritable())
        GTEST_SKIP() << "running with privileges that write read-only files";
    Export(target);
    EXPECT_EQ(prompts.messages, std::vector{kFailed});
    EXPECT_EQ(ReadBytes(target), QByteArray("an older file"));
    EXPECT_EQ(Listing(dir.path()), (QStringList{"kept.jpg", "source.png"}));
}

TEST_F(JpegExportTest, CancelledChooserSaysNothingButTheOutlineIsConsumed)
{
    OpenPicture(SolidImage(20, 10, Qt::blue));
    doc.OnRegionOutline();
    prompts.exportReplies.push_back(std::nullopt);
    doc.OnFileSaveJpeg();
    EXPECT_EQ(prompts.exportAsked, 1);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(doc.watermarkFlags(), 0u);
    EXPECT_EQ(Listing(dir.path()), QStringList{"source.png"});
}

TEST_F(JpegExportTest, WithoutPictureNothingAtAll)
{
    doc.OnRegionOutline();
    RepaintCounter repaints(doc);
    doc.OnFileSaveJpeg();
    EXPECT_EQ(prompts.exportAsked, 0);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(repaints.count, 0);
    EXPECT_EQ(doc.watermarkFlags(), FLAG_REGION_OUTLINE);
}

}  // namespace
}  // namespace veltra
