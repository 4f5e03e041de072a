// A picture's structure comes from the bytes its load read, whether the file was read or mapped:
// a file replaced or cut short afterwards cannot give the facts of one file and the structure
// of another.

#include "imaging/file_structure.h"
#include "imaging/gdiplus.h"
#include "imaging/image_handles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace veltra::imaging;

QByteArray JpegOf(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(QColor(40, 90, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(picture.save(&buffer, "JPEG", 90));
    return bytes;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

ImagePtr Load(const QString& path, bool map)
{
    GpBitmap* bitmap = nullptr;
    const LoadOptions options{
        .decodeAhead = false, .viewSize = QSize(), .keepFileBytes = true, .mapFile = map};
    EXPECT_EQ(CreateBitmapFromFileWithOptions(path, options, &bitmap), Ok);
    return ImagePtr(bitmap);
}

class FileReadOnceTest : public ::testing::TestWithParam<bool> {};

TEST_P(FileReadOnceTest, TheStructureIsThatOfTheFileAsLoaded)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const QString path = directory.filePath(QStringLiteral("photo.jpg"));
    // Mapped files are those of a megabyte or more: padding after the end makes one.
    const QByteArray first =
        JpegOf(64, 48) + (GetParam() ? QByteArray(2 << 20, 'p') : QByteArray());
    Write(path, first);
    const ImagePtr image = Load(path, GetParam());
    ASSERT_TRUE(image);
    // Replaced as an editor saves: a new file renamed over the old.
    const QString replacement = directory.filePath(QStringLiteral("new.jpg"));
    Write(replacement, JpegOf(300, 20) + QByteArray(5000, 'x'));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(replacement, path));

    FileStructure structure;
    ASSERT_EQ(GetImageFileStructure(image.get(), &structure), Ok);
    EXPECT_EQ(structure.fileSize, first.size());
    ASSERT_TRUE(structure.frame);
    EXPECT_EQ(structure.frame->width, 64);
    EXPECT_EQ(structure.trailingSample.size(), GetParam() ? 64 * 1024 : 0);
}

INSTANTIATE_TEST_SUITE_P(ReadAndMapped, FileReadOnceTest, ::testing::Bool());

TEST(FileReadOnce, AMappedFileCutShortFailsInsteadOfStoppingTheProgram)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const QString path = directory.filePath(QStringLiteral("photo.jpg"));
    // Large enough to be mapped rather than read.
    Write(path, JpegOf(64, 48) + QByteArray(2 << 20, 'p'));
    const ImagePtr image = Load(path, true);
    ASSERT_TRUE(image);
    QFile file(path);
    ASSERT_TRUE(file.resize(0));

    // Every page the walk reads is no longer the file's.
    FileStructure structure;
    EXPECT_EQ(GetImageFileStructure(image.get(), &structure), Win32Error);
    EXPECT_EQ(structure.fileSize, 0);
}

// A window keeps a camera raw mapped, so that its preview shows without the whole raw read
// first, and reads any other file: a raw cut short before it is developed fails to develop
// instead of giving zeros, a JPEG read whole does not notice. The decode ahead may outlive
// the picture, and with it the mapping its content reads.
TEST(FileReadOnce, AWindowMapsOnlyAFileShownFromItsPreview)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const QByteArray padding(2 << 20, '\0');
    const QString raw = directory.filePath(QStringLiteral("camera.dng"));
    QFile fixture(QStringLiteral(VELTRA_FIXTURES_DIR "/raw/dng_preview_mirrored_orientation_6.dng"));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QByteArray camera = fixture.readAll();
    Write(raw, camera + padding);
    const QString jpeg = directory.filePath(QStringLiteral("photo.jpg"));
    Write(jpeg, JpegOf(64, 48) + padding);
    const LoadOptions window{.decodeAhead = false, .viewSize = QSize(640, 480), .mapFile = true,
                             .mapOnlyFilesWithPreviews = true};

    for (const QString& path : {raw, jpeg}) {
        GpBitmap* bitmap = nullptr;
        ASSERT_EQ(CreateBitmapFromFileWithOptions(path, window, &bitmap), Ok);
        const ImagePtr image(bitmap);
        // Cut after the raw's first page, which holds its directories: its preview and sensor
        // data are no longer the file's.
        QFile file(path);
        ASSERT_TRUE(file.resize(4096));
        EXPECT_EQ(GdipImageForceDecode(image.get()) == Ok, path == jpeg) << path.toStdString();
    }

    Write(raw, camera + padding);
    GpBitmap* bitmap = nullptr;
    LoadOptions ahead = window;
    ahead.decodeAhead = true;
    ASSERT_EQ(CreateBitmapFromFileWithOptions(raw, ahead, &bitmap), Ok);
    GdipDisposeImage(bitmap);
    EXPECT_EQ(WaitForDecodeAhead(), Ok);
}

TEST(FileReadOnce, APictureLoadedWithoutItsBytesHasNoStructureToGive)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const QString path = directory.filePath(QStringLiteral("photo.jpg"));
    Write(path, JpegOf(8, 8));
    GpBitmap* bitmap = nullptr;
    ASSERT_EQ(CreateBitmapFromFileWithOptions(
                  path, LoadOptions{.decodeAhead = false, .viewSize = QSize()}, &bitmap),
              Ok);
    const ImagePtr image(bitmap);
    FileStructure structure;
    EXPECT_EQ(GetImageFileStructure(image.get(), &structure), WrongState);
}

}  // namespace
