// Decoding a file: the content decides the format, the first frame is the picture, pixels
// come back as stored, and anything that is not a usable picture fails without an image.

#include "imaging/imaging_test_support.h"

#include "formats/pixel_budget.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include <gtest/gtest.h>

namespace veltra::imaging {
namespace {

using test_support::ColourNear;
using test_support::DrawnOnSurface;
using test_support::FixturePath;
using test_support::LoadFile;
using test_support::LoadFixture;
using test_support::QueryRawFormat;
using test_support::QuerySize;
using test_support::RowName;
using test_support::Size;

struct MisnamedRow {
    const char* file;
    GUID rawFormat;
    Size size;
    QRgb firstPixel;
    int tolerance;
};

void PrintTo(const MisnamedRow& row, std::ostream* os)
{
    *os << row.file;
}

class MisnamedFileTest : public ::testing::TestWithParam<MisnamedRow> {};

// Each file carries an extension of another format; its size and colour are its own (see
// scripts/make_fixtures.py), so a decoder picked by the name would not produce them.
TEST_P(MisnamedFileTest, ContentDecidesTheFormat)
{
    const MisnamedRow& row = GetParam();
    auto loaded = LoadFixture(row.file);
    ASSERT_EQ(loaded.status, Ok);
    ASSERT_NE(loaded.image, nullptr);
    EXPECT_EQ(QueryRawFormat(loaded.image.get()), row.rawFormat);
    EXPECT_EQ(QuerySize(loaded.image.get()), row.size);
    const QImage drawn = DrawnOnSurface(loaded.image.get());
    EXPECT_TRUE(ColourNear(drawn.pixel(0, 0), row.firstPixel, row.tolerance));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, MisnamedFileTest,
    ::testing::Values(MisnamedRow{"png_named_as.jpg", ImageFormatPNG, {5, 3}, qRgb(255, 0, 0), 0},
                      MisnamedRow{"bmp_named_as.png", ImageFormatBMP, {4, 6}, qRgb(0, 0, 255), 0},
                      MisnamedRow{"jpeg_named_as.gif", ImageFormatJPEG, {7, 5}, qRgb(0, 0, 255), 6},
                      MisnamedRow{"gif_named_as.tif", ImageFormatGIF, {6, 2}, qRgb(0, 255, 0), 0},
                      MisnamedRow{"tiff_named_as.bmp", ImageFormatTIFF, {2, 7}, qRgb(255, 0, 0), 0},
                      MisnamedRow{"icon_named_as.png", ImageFormatIcon, {16, 16}, qRgb(255, 0, 0), 0},
                      MisnamedRow{"jpeg_without_extension", ImageFormatJPEG, {9, 4},
                                  qRgb(255, 255, 0), 6}),
    [](const ::testing::TestParamInfo<MisnamedRow>& info) { return RowName(info.param.file); });

// The anymaps share one decoder; each is named for what it is, from the digit after its "P".
TEST(ContentFormat, PortableAnymapsAreNamedByTheirKind)
{
    const std::pair<QByteArray, QByteArray> rows[] = {
        {QByteArray("P1\n2 1\n0 1\n"), "pbm"},       {QByteArray("P4\n8 1\n\x55", 9), "pbm"},
        {QByteArray("P2\n2 1\n255\n0 9\n"), "pgm"}, {QByteArray("P5\n2 1\n255\nab"), "pgm"},
        {QByteArray("P3\n1 1\n255\n1 2 3\n"), "ppm"}, {QByteArray("P6\n1 1\n255\nabc"), "ppm"},
    };
    for (const auto& [bytes, name] : rows) {
        GpBitmap* bitmap = nullptr;
        ASSERT_EQ(CreateBitmapFromBytes(bytes, &bitmap), Ok) << bytes.constData();
        const ImagePtr image(bitmap);
        QByteArray format;
        ASSERT_EQ(GetImageContentFormat(image.get(), &format), Ok);
        EXPECT_EQ(format, name) << bytes.constData();
    }
}

class UndecodableFileTest : public ::testing::TestWithParam<const char*> {};

TEST_P(UndecodableFileTest, FailsWithoutAnImage)
{
    // A value that no successful or failed call would leave behind.
    GpBitmap* bitmap = reinterpret_cast<GpBitmap*>(static_cast<std::uintptr_t>(0x10));
    const GpStatus status = GdipCreateBitmapFromFile(FixturePath(GetParam()), &bitmap);
    EXPECT_NE(status, Ok);
    EXPECT_EQ(bitmap, nullptr);
    if (status == Ok)
        GdipDisposeImage(bitmap);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, UndecodableFileTest,
                         ::testing::Values("zero_length.png", "text_named_as.png",
                                           "bmp_text_starting_with_bm.bmp",
                                           "png_truncated_header.png", "emf_header_only.emf",
                                           "wmf_placeable_header_only.wmf",
                                           "wmf_standard_header_only.wmf", "no_such_file.png"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return RowName(info.param);
                         });

TEST(GdipCreateBitmapFromFile, RefusesAMissingResultPointer)
{
    EXPECT_NE(GdipCreateBitmapFromFile(FixturePath("png_named_as.jpg"), nullptr), Ok);
}

struct StoredPixelsRow {
    const char* file;
    Size size;
    QRgb firstPixel;
    QRgb lastPixel;
    int tolerance;
};

void PrintTo(const StoredPixelsRow& row, std::ostream* os)
{
    *os << row.file;
}

class StoredPixelsTest : public ::testing::TestWithParam<StoredPixelsRow> {};

// Orientation-tagged files and files with several frames: the first frame comes back exactly
// as stored, not turned, and the later frames do not show.
TEST_P(StoredPixelsTest, FirstFrameAsStored)
{
    const StoredPixelsRow& row = GetParam();
    auto loaded = LoadFixture(row.file);
    ASSERT_EQ(loaded.status, Ok);
    ASSERT_EQ(QuerySize(loaded.image.get()), row.size);
    const QImage drawn = DrawnOnSurface(loaded.image.get());
    EXPECT_TRUE(ColourNear(drawn.pixel(0, 0), row.firstPixel, row.tolerance));
    EXPECT_TRUE(ColourNear(drawn.pixel(drawn.width() - 1, drawn.height() - 1), row.lastPixel,
                           row.tolerance));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, StoredPixelsTest,
    ::testing::Values(
        // 16 x 8 as stored, left half red and right half blue; turned it would be 8 x 16.
        StoredPixelsRow{"jpeg_exif_orientation_6.jpg", {16, 8}, qRgb(255, 0, 0), qRgb(0, 0, 255), 16},
        StoredPixelsRow{"tiff_orientation_6.tif", {3, 2}, qRgb(255, 0, 0), qRgb(10, 200, 30), 0},
        // A red 4 x 3 frame, then a blue one.
        StoredPixelsRow{"gif_two_frames.gif", {4, 3}, qRgb(255, 0, 0), qRgb(255, 0, 0), 0},
        // A red 3 x 2 page, then a blue 5 x 4 one.
        StoredPixelsRow{"tiff_two_pages.tif", {3, 2}, qRgb(255, 0, 0), qRgb(255, 0, 0), 0},
        // A 16 x 16 icon image (red, the last pixel blue at half alpha), then a 32 x 32 one.
        StoredPixelsRow{"icon_two_images.ico", {16, 16}, qRgb(255, 0, 0), qRgba(0, 0, 255, 128), 1}),
    [](const ::testing::TestParamInfo<StoredPixelsRow>& info) { return RowName(info.param.file); });

// PNG pieces for pictures too large to keep as fixtures.
std::uint32_t Crc32(const QByteArray& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char byte : bytes) {
        crc ^= static_cast<std::uint8_t>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray Big32(std::uint32_t value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>(value >> (24 - 8 * i));
    return bytes;
}

QByteArray PngChunk(const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    return Big32(static_cast<std::uint32_t>(data.size())) + typed + Big32(Crc32(typed));
}

// An 8-bit grey PNG with the given compressed scanlines.
QByteArray GreyPng(std::uint32_t width, std::uint32_t height, const QByteArray& idat)
{
    QByteArray ihdr = Big32(width) + Big32(height);
    ihdr += QByteArray("\x08\x00\x00\x00\x00", 5);  // depth 8, grey, deflate, filter 0, no interlace
    QByteArray png = QByteArray("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", ihdr);
    png += PngChunk("IDAT", idat);
    return png + PngChunk("IEND", QByteArray());
}

QString WriteTemporary(const QTemporaryDir& folder, const char* name, const QByteArray& bytes)
{
    const QString path = folder.filePath(QString::fromLatin1(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_EQ(file.write(bytes), bytes.size());
    return path;
}

// 50000 x 50000 needs about 10 GB at four bytes a pixel: refused before any allocation. The
// file holds a single row of pixel data, so a decoder that tried would fail otherwise.
TEST(GdipCreateBitmapFromFile, RefusesPicturesAboveTheLimitAsOutOfMemory)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // One row of pixel data: Qt reads the header up to the first IDAT.
    const QByteArray oneRow = qCompress(QByteArray(50001, '\0')).mid(4);
    const QString path = WriteTemporary(folder, "huge.png", GreyPng(50000, 50000, oneRow));
    GpBitmap* bitmap = nullptr;
    EXPECT_EQ(GdipCreateBitmapFromFile(path, &bitmap), OutOfMemory);
    EXPECT_EQ(bitmap, nullptr);
}

// 17000 x 17000 grey is about 276 MiB of pixels: more than Qt accepts by default (256 MB),
// well inside the service's 2 GiB.
TEST(GdipCreateBitmapFromFile, AcceptsPicturesAboveQtsDefaultLimit)
{
    constexpr int kSide = 17000;
    QByteArray scanlines(static_cast<qsizetype>(kSide) * (kSide + 1), '\0');  // filter byte 0
    // The last row is white, so that the decoded picture can be checked at its far corner.
    const qsizetype lastRow = static_cast<qsizetype>(kSide - 1) * (kSide + 1);
    std::fill(scanlines.begin() + lastRow + 1, scanlines.end(), '\xFF');
    // qCompress puts a four-byte length before the zlib stream that PNG wants.
    const QByteArray idat = qCompress(scanlines, 1).mid(4);
    scanlines.clear();
    scanlines.squeeze();

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = WriteTemporary(folder, "large.png", GreyPng(kSide, kSide, idat));
    auto loaded = LoadFile(path);
    ASSERT_EQ(loaded.status, Ok);
    EXPECT_EQ(QuerySize(loaded.image.get()), (Size{kSide, kSide}));
    const QImage pixels = PixelsForTesting(loaded.image.get());
    EXPECT_EQ(qGray(pixels.pixel(0, 0)), 0);
    EXPECT_EQ(qGray(pixels.pixel(kSide - 1, kSide - 1)), 255);
}

// The load reads the file's facts and asks the decoder about its header; the pixels come when
// something needs them. A file whose header is sound but whose second scan is not loads, keeps
// answering its queries, and fails every operation that needs pixels.
TEST(LazyDecoding, PixelsThatCannotBeDecodedFailOnlyWhereTheyAreNeeded)
{
    auto loaded = LoadFixture("jpeg_pixels_undecodable.jpg");
    ASSERT_EQ(loaded.status, Ok);
    GpImage* image = loaded.image.get();
    EXPECT_EQ(QuerySize(image), (Size{37, 21}));
    EXPECT_EQ(QueryRawFormat(image), ImageFormatJPEG);
    EXPECT_EQ(GdipImageRotateFlip(image, Rotate90FlipNone), Ok);
    EXPECT_EQ(QuerySize(image), (Size{21, 37}));

    EXPECT_NE(GdipImageForceDecode(image), Ok);
    test_support::Surface surface = test_support::MakeSurface(40, 40);
    EXPECT_NE(GdipDrawImageI(surface.graphics.get(), image, 0, 0), Ok);
    ARGB colour = 0;
    EXPECT_NE(GdipBitmapGetPixel(image, 0, 0, &colour), Ok);
    GpTexture* texture = nullptr;
    EXPECT_NE(GdipCreateTexture(image, WrapModeTile, &texture), Ok);
    EXPECT_EQ(QuerySize(image), (Size{21, 37}));
}

// Only regular files are read: a named pipe would block for ever waiting for a writer, and a
// link to a device never ends; both fail at once.
TEST(GdipCreateBitmapFromFile, RefusesEverythingButRegularFiles)
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("photo.jpg"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString zero = dir.filePath(QStringLiteral("zero.png"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    for (const QString& path : {pipe, zero, dir.path()}) {
        EXPECT_NE(LoadFile(path).status, Ok) << path.toStdString();
    }
}

// A failed load says why, and names the format when its first bytes matched one.
TEST(LoadFailure, SaysWhyAndWhatTheContentWas)
{
    QByteArray jpegTooLarge = test_support::ReadFixture("jpeg_1_component.jpg");
    const qsizetype frame = jpegTooLarge.indexOf("\xFF\xC0");
    ASSERT_GT(frame, 0);
    qToBigEndian(std::uint16_t{60000}, jpegTooLarge.data() + frame + 5);
    qToBigEndian(std::uint16_t{60000}, jpegTooLarge.data() + frame + 7);
    const QByteArray png = test_support::ReadFixture("png_rgb_8bit.png");
    const struct {
        QByteArray bytes;
        LoadFailureReason reason;
        QByteArray contentKind;
    } rows[] = {
        {QByteArray(), LoadFailureReason::Empty, ""},
        {QByteArray("%PDF-1.7\n"), LoadFailureReason::NoDecoder, ""},
        {png.first(20), LoadFailureReason::DamagedHeader, "png"},
        {QByteArray("P6\n4 4\n255\n"), LoadFailureReason::DamagedHeader, "ppm"},
        {QByteArray("\xD7\xCD\xC6\x9A\0\0", 6), LoadFailureReason::NotDecodable, "wmf"},
        {jpegTooLarge, LoadFailureReason::OverPixelBudget, "jpeg"},
    };
    for (const auto& row : rows) {
        GpBitmap* bitmap = nullptr;
        LoadFailure failure;
        EXPECT_NE(LoadBitmapFromBytes(row.bytes, &bitmap, &failure), Ok);
        EXPECT_EQ(bitmap, nullptr);
        EXPECT_EQ(failure.reason, row.reason) << row.bytes.first(std::min<qsizetype>(8, row.bytes.size())).toHex().constData();
        EXPECT_EQ(failure.contentKind, row.contentKind);
    }
    LoadFailure failure;
    GpBitmap* bitmap = nullptr;
    ASSERT_EQ(LoadBitmapFromBytes(png, &bitmap, &failure), Ok);
    GdipDisposeImage(bitmap);
    EXPECT_EQ(failure.reason, LoadFailureReason::None);
}

// A file may take 64 MiB of pixels whatever its size, and 16 KiB of pixels a byte beyond that,
// up to the service's 2 GiB.
TEST(PixelBudget, GrowsWithTheFile)
{
    EXPECT_EQ(PixelBudgetFor(0), std::uint64_t{64} << 20);
    EXPECT_EQ(PixelBudgetFor(4096), std::uint64_t{64} << 20);
    EXPECT_EQ(PixelBudgetFor(8192), std::uint64_t{128} << 20);
    EXPECT_EQ(PixelBudgetFor(qsizetype{1} << 20), std::uint64_t{2} << 30);
    EXPECT_EQ(PixelBudgetFor(qsizetype{1} << 40), std::uint64_t{2} << 30);
}

// A grey baseline JPEG's frame header patched to claim more 8 x 8 blocks: up to eight for each
// byte of the file, one bit a block, it may hold them; one block more, it cannot.
TEST(PixelBudget, AJpegWithFewerBitsThanBlocksIsRefused)
{
    QByteArray jpeg = test_support::ReadFixture("jpeg_1_component.jpg");
    const qsizetype frame = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(frame, 0);
    const auto claim = [&jpeg, frame](std::uint32_t blocksDown) {
        QByteArray patched = jpeg;
        qToBigEndian(static_cast<std::uint16_t>(blocksDown * 8), patched.data() + frame + 5);
        qToBigEndian(static_cast<std::uint16_t>(8), patched.data() + frame + 7);
        return patched;
    };
    QTemporaryDir dir;
    const auto load = [&dir](const QByteArray& bytes) {
        const QString path = dir.filePath(QStringLiteral("claim.jpg"));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        file.close();
        return LoadFile(path).status;
    };
    const auto mostBlocks = static_cast<std::uint32_t>(jpeg.size() * 8);
    EXPECT_EQ(load(claim(mostBlocks)), Ok);
    EXPECT_NE(load(claim(mostBlocks + 1)), Ok);
}

// The edges of the bounds a picture's header meets at the load. Each is passed by one byte (or
// the smallest step the format allows) on one side and met exactly on the other, so that a
// bound made one step stricter or looser fails here.

GpStatus LoadBytes(const QByteArray& bytes)
{
    GpBitmap* bitmap = nullptr;
    const GpStatus status = CreateBitmapFromBytes(bytes, &bitmap);
    ImagePtr image(bitmap);
    return status;
}

QByteArray Little(std::uint32_t value, int bytes)
{
    QByteArray out(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<char>(value >> (8 * i));
    return out;
}

// A 32-bit BMP header for the picture and zero bytes after it, Qt's decoder reading the header.
QByteArray BmpOfBytes(int width, int height, qsizetype fileBytes)
{
    QByteArray bmp = "BM" + Little(static_cast<std::uint32_t>(fileBytes), 4) + Little(0, 4) +
                     Little(54, 4) + Little(40, 4) + Little(width, 4) + Little(height, 4) +
                     Little(1, 2) + Little(32, 2) + QByteArray(24, '\0');
    return bmp + QByteArray(fileBytes - bmp.size(), '\0');
}

// A GIF whose screen is the picture, with one pixel of image and a comment that fills the file.
QByteArray GifOfBytes(int width, int height, qsizetype fileBytes)
{
    const QByteArray head = "GIF89a" + Little(width, 2) + Little(height, 2) +
                            QByteArray("\x80\x00\x00\x00\x00\x00\xff\xff\xff", 9);
    const QByteArray tail = QByteArray("\x2c\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0\x3b", 16);
    // The comment's sub-blocks, each a length byte and up to 255 bytes, to the exact size.
    qsizetype left = fileBytes - head.size() - tail.size() - 3;
    QByteArray comment("\x21\xfe", 2);
    while (left > 0) {
        const qsizetype block = std::min<qsizetype>(left == 257 ? 254 : 255, left - 1);
        comment += static_cast<char>(block) + QByteArray(block, 'c');
        left -= block + 1;
    }
    return head + comment + '\0' + tail;
}

// A lossless WebP header for the picture and a chunk of padding that fills the file; one byte
// fewer cuts the padding short.
QByteArray WebPOfBytes(int width, int height, qsizetype fileBytes)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(width - 1) |
                               (static_cast<std::uint32_t>(height - 1) << 14);
    const QByteArray vp8l = QByteArray("VP8L\x06\0\0\0\x2f", 9) + Little(bits, 4) + '\0';
    const qsizetype even = fileBytes + (fileBytes & 1);
    const QByteArray padding = "PADD" + Little(static_cast<std::uint32_t>(even - 34), 4);
    const QByteArray whole = "RIFF" + Little(static_cast<std::uint32_t>(even - 8), 4) + "WEBP" +
                             vp8l + padding + QByteArray(even - 34, '\0');
    return whole.first(fileBytes);
}

struct PixelBudgetRow {
    const char* name;
    QByteArray (*make)(int width, int height, qsizetype fileBytes);
};

class PixelBudgetEdge : public ::testing::TestWithParam<PixelBudgetRow> {};

// 64 MiB for any file: 4096 x 4096 in a file of 4096 bytes, and one row more. Then 16 KiB for
// each byte: 8192 x 4096 in a file of 8192 bytes, and the same in a file one byte shorter.
TEST_P(PixelBudgetEdge, PicturesThatExactlyFillTheBudgetAreAccepted)
{
    const auto make = GetParam().make;
    ASSERT_EQ(make(4096, 4096, 4096).size(), 4096);
    EXPECT_EQ(LoadBytes(make(4096, 4096, 4096)), Ok);
    EXPECT_EQ(LoadBytes(make(4096, 4097, 4096)), OutOfMemory);
    EXPECT_EQ(LoadBytes(make(8192, 4096, 8192)), Ok);
    EXPECT_EQ(LoadBytes(make(8192, 4096, 8191)), OutOfMemory);
}

INSTANTIATE_TEST_SUITE_P(Formats, PixelBudgetEdge,
                         ::testing::Values(PixelBudgetRow{"bmp_through_qt", BmpOfBytes},
                                           PixelBudgetRow{"gif_header", GifOfBytes},
                                           PixelBudgetRow{"webp_header", WebPOfBytes}),
                         [](const auto& info) { return std::string(info.param.name); });

// Qt's GIF decoder paints on a canvas of fewer than 16384 x 16384 pixels; the file is large
// enough for either canvas, so only the decoder's limit tells them apart.
TEST(GifCanvas, OneOfSixteenThousandSquaredPixelsIsRefused)
{
    EXPECT_EQ(LoadBytes(GifOfBytes(16384, 16383, 70000)), Ok);
    EXPECT_EQ(LoadBytes(GifOfBytes(16384, 16384, 70000)), UnknownImageFormat);
}

// A PNG's image data inflates to at most 1032 bytes a byte, and a little more for framing:
// a header that declares more filtered bytes (here a row of one filter byte and 107295 grey
// samples against 100 bytes of data) is refused before the decoder is asked for pixels.
TEST(PngDataClaim, AHeaderTheImageDataCanHoldIsAccepted)
{
    const QByteArray data(100, '\0');
    ASSERT_EQ(1032 * 100 + 4096, 1 + 107295);
    EXPECT_EQ(LoadBytes(GreyPng(107295, 1, data)), Ok);
    EXPECT_NE(LoadBytes(GreyPng(107296, 1, data)), Ok);
}

}  // namespace
}  // namespace veltra::imaging
