// JPEG 2000 boxes written byte by byte: what the header boxes say beyond what opj_compress
// writes (depths that differ by component, channel definitions), and files whose boxes lie.

#include "imaging/imaging_test_support.h"

#include "formats/jp2/jp2_boxes.h"
#include "formats/jp2/jp2_reader.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace veltra::imaging {
namespace {

QByteArray Big16(std::uint16_t value)
{
    char bytes[2];
    qToBigEndian(value, bytes);
    return QByteArray(bytes, 2);
}

QByteArray Big32(std::uint32_t value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray Box(const char* type, const QByteArray& content)
{
    return Big32(std::uint32_t(8 + content.size())) + QByteArray(type, 4) + content;
}

// SOC and a SIZ segment: the reference grid, its tiles (one unless a tile size is given), and
// each component's depth byte.
QByteArray Siz(std::uint32_t width, std::uint32_t height, const QByteArray& depths,
               std::uint32_t tileSide = 0)
{
    const std::uint32_t tileWidth = tileSide ? tileSide : width;
    const std::uint32_t tileHeight = tileSide ? tileSide : height;
    QByteArray body = Big16(0) + Big32(width) + Big32(height) + Big32(0) + Big32(0) +
                      Big32(tileWidth) + Big32(tileHeight) + Big32(0) + Big32(0) +
                      Big16(std::uint16_t(depths.size()));
    for (char depth : depths)
        body += QByteArray(1, depth) + QByteArray("\x01\x01", 2);
    return QByteArray("\xFF\x4F\xFF\x51", 4) + Big16(std::uint16_t(body.size() + 2)) + body;
}

// A JP2 file: signature, file type, a header of an image header (depth byte `depth`) and the
// boxes given, and a codestream of `depths`.
QByteArray Jp2(std::uint32_t width, std::uint32_t height, char depth, const QByteArray& depths,
               const QByteArray& headerBoxes, std::uint32_t codestreamWidth = 0)
{
    const QByteArray ihdr =
        Box("ihdr", Big32(height) + Big32(width) + Big16(std::uint16_t(depths.size())) +
                        QByteArray(1, depth) + QByteArray("\x07\x00\x00", 3));
    return QByteArray("\0\0\0\x0CjP  \x0D\x0A\x87\x0A", 12) +
           Box("ftyp", QByteArray("jp2 \0\0\0\0jp2 ", 12)) + Box("jp2h", ihdr + headerBoxes) +
           Box("jp2c", Siz(codestreamWidth ? codestreamWidth : width, height, depths));
}

TEST(Jp2Boxes, DepthsPerComponentAndChannelDefinitions)
{
    // Depth byte 255: each component's own depth in a bpcc box, the deepest 12 bits.
    const Jp2File varying =
        ReadJp2File(Jp2(9, 4, '\xFF', "\x07\x0B\x07", Box("bpcc", "\x07\x0B\x07")));
    ASSERT_TRUE(varying.picture);
    EXPECT_EQ(varying.picture->bitsPerComponent, 12);
    EXPECT_FALSE(varying.picture->alpha);
    EXPECT_FALSE(varying.picture->grey);

    // Two components that a cdef box names grey and opacity.
    const QByteArray cdef =
        Box("cdef", Big16(2) + Big16(0) + Big16(0) + Big16(1) + Big16(1) + Big16(1) + Big16(0));
    const QByteArray greyColour = Box("colr", QByteArray("\x01\x00\x00", 3) + Big32(17));
    const Jp2File greyAlpha = ReadJp2File(Jp2(9, 4, '\x07', "\x07\x07", cdef + greyColour));
    ASSERT_TRUE(greyAlpha.picture);
    EXPECT_TRUE(greyAlpha.picture->alpha);
    EXPECT_TRUE(greyAlpha.picture->grey);
    EXPECT_EQ(greyAlpha.picture->width, 9u);
    EXPECT_EQ(greyAlpha.picture->height, 4u);

    // An ICC profile in the colour box (colr) reaches the analysis.
    const Jp2File profiled = ReadJp2File(
        Jp2(9, 4, '\x07', "\x07\x07\x07", Box("colr", QByteArray("\x02\x00\x00", 3) + "profile")));
    EXPECT_EQ(profiled.iccProfile, "profile");
}

// Boxes that lie: a header and a codestream of different sizes, a header box running past
// the file, an image header cut short. Each fails to load, named as JPEG 2000.
TEST(Jp2Boxes, LyingBoxesFailAsADamagedJp2)
{
    const QByteArray good = Jp2(9, 4, '\x07', "\x07\x07\x07", {});
    ASSERT_TRUE(ReadJp2File(good).picture);
    QByteArray pastTheEnd = good;
    pastTheEnd.replace(32, 4, Big32(0x7FFFFFF0));  // the jp2h box's length
    const QByteArray cases[] = {
        Jp2(9, 4, '\x07', "\x07\x07\x07", {}, 10),
        pastTheEnd,
        good.first(48),
    };
    for (const QByteArray& bytes : cases) {
        EXPECT_FALSE(ReadJp2File(bytes).picture);
        GpBitmap* bitmap = nullptr;
        LoadFailure failure;
        EXPECT_NE(LoadBitmapFromBytes(bytes, &bitmap, &failure), Ok);
        EXPECT_EQ(failure.reason, LoadFailureReason::DamagedHeader);
        EXPECT_EQ(failure.contentKind, "jp2");
    }
}

// A codestream of a few bytes may declare the standard's most tiles, 65,535 of one pixel each:
// its pixels fit any budget, but the decoder's bookkeeping for the tiles alone would be
// gigabytes, so the header is refused before the decoder sees it. The same picture in tiles
// of 16 pixels a side is accepted.
TEST(Jp2Boxes, ATileGridPastTheBudgetIsRefusedBeforeDecoding)
{
    const QByteArray tiny = Siz(255, 257, "\x07\x07\x07", 1);
    const QByteArray tiled = Siz(255, 257, "\x07\x07\x07", 16);
    ASSERT_TRUE(ReadJp2File(tiny).picture);
    EXPECT_EQ(ReadJp2File(tiny).picture->tiles, 255u * 257u);
    EXPECT_EQ(ReadJp2File(tiled).picture->tiles, 16u * 17u);
    FrameHeader header;
    EXPECT_EQ(ProbeFirstFrame(kJp2Format, tiny, kJp2Format.read(tiny), &header), OutOfMemory);
    EXPECT_EQ(ProbeFirstFrame(kJp2Format, tiled, kJp2Format.read(tiled), &header), Ok);
    EXPECT_EQ(header.size, QSize(255, 257));
}

}  // namespace
}  // namespace veltra::imaging
