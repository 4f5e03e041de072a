// The JPEG XL codestream headers read without libjxl, on headers written bit by bit here,
// and the bounds around libjxl: a picture past the budget refused before decoding, the memory
// manager it is given, the Brotli-compressed metadata unpacked within a limit.

#include "imaging/imaging_test_support.h"

#include "formats/jxl/jxl_codec.h"
#include "formats/jxl/jxl_container.h"
#include "formats/jxl/jxl_header.h"
#include "formats/pixel_budget.h"
#include "imaging/iso_boxes.h"
#include "metadata/ifd_walker.h"
#include "util/bounded_brotli.h"

#include <gtest/gtest.h>

#include <vector>

namespace veltra::imaging {
namespace {

using test_support::ReadFixture;

// JPEG XL's bit packing: each field from its lowest bit up, bytes filled from bit 0.
class BitWriter {
public:
    BitWriter& bits(std::uint32_t value, int count)
    {
        for (int bit = 0; bit < count; ++bit)
            m_bits.push_back(((value >> bit) & 1u) != 0);
        return *this;
    }
    BitWriter& flag(bool value) { return bits(value ? 1 : 0, 1); }

    // The codestream: its signature, then the fields, padded to whole bytes.
    QByteArray codestream() const
    {
        QByteArray bytes = kJxlCodestreamSignature.toByteArray();
        for (std::size_t at = 0; at < m_bits.size(); at += 8) {
            int byte = 0;
            for (std::size_t bit = 0; bit < 8 && at + bit < m_bits.size(); ++bit)
                byte |= int(m_bits[at + bit]) << bit;
            bytes.append(static_cast<char>(byte));
        }
        return bytes;
    }

private:
    std::vector<bool> m_bits;
};

// A size header with both sides as 30-bit U32 fields (selector 3, value less one).
BitWriter& LargeSize(BitWriter& writer, std::uint32_t width, std::uint32_t height)
{
    return writer.flag(false)
        .bits(3, 2)
        .bits(height - 1, 30)
        .bits(0, 3)
        .bits(3, 2)
        .bits(width - 1, 30);
}

TEST(JxlHeader, AllDefaultMetadataOfALargeSize)
{
    BitWriter writer;
    LargeSize(writer, 70000, 50000).flag(true);
    const std::optional<JxlHeader> header = ReadJxlHeader(writer.codestream());
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, 70000u);
    EXPECT_EQ(header->height, 50000u);
    EXPECT_EQ(header->orientation, 1);
    EXPECT_EQ(header->bitsPerSample, 8);
    EXPECT_TRUE(header->xybEncoded);
    EXPECT_FALSE(header->alpha);
    EXPECT_EQ(header->channels, 3);
}

// A small height (a multiple of 8 in 5 bits), the width as 16:9 of it, the orientation among
// the extra fields, a 12-bit depth, one default extra channel (8-bit alpha), a grey colour
// encoding.
TEST(JxlHeader, SmallSizeWithRatioOrientationDepthAlphaAndGrey)
{
    BitWriter writer;
    writer.flag(true).bits(8, 5).bits(5, 3);     // height (8 + 1) * 8 = 72, ratio 16:9
    writer.flag(false);                          // metadata not all default
    writer.flag(true).bits(7, 3);                // extra fields: orientation 8
    writer.flag(false).flag(false).flag(false);  // no intrinsic size, preview, animation
    writer.flag(false).bits(2, 2);               // integer samples, 12 bits
    writer.flag(true);                           // 16-bit buffers suffice
    writer.bits(1, 2).flag(true);                // one extra channel, all default: alpha
    writer.flag(false);                          // not XYB
    writer.flag(false).flag(false).bits(1, 2);   // colour encoding: no ICC, grey
    const std::optional<JxlHeader> header = ReadJxlHeader(writer.codestream());
    ASSERT_TRUE(header);
    EXPECT_EQ(header->height, 72u);
    EXPECT_EQ(header->width, 128u);  // 72 * 16 / 9
    EXPECT_EQ(header->orientation, 8);
    EXPECT_EQ(header->bitsPerSample, 12);
    EXPECT_TRUE(header->alpha);
    EXPECT_TRUE(header->grey);
    EXPECT_FALSE(header->xybEncoded);
    EXPECT_EQ(header->channels, 2);
}

TEST(JxlHeader, CutShortOrOfAnUnknownExtraChannelIsRefused)
{
    BitWriter cut;
    LargeSize(cut, 100, 100);
    EXPECT_FALSE(ReadJxlHeader(cut.codestream().first(6)));

    BitWriter reserved;
    LargeSize(reserved, 100, 100).flag(false).flag(false);
    reserved.flag(false).bits(0, 2).flag(true);  // 8-bit samples, 16-bit buffers
    reserved.bits(1, 2).flag(false);             // one extra channel, not default
    reserved.bits(2, 2).bits(10 - 2, 4);         // of type 10, a reserved one
    reserved.flag(false).bits(0, 2).bits(0, 2).bits(0, 2);
    EXPECT_FALSE(ReadJxlHeader(reserved.codestream() + QByteArray(16, '\0')));
}

struct BudgetRow {
    std::uint32_t width;
    std::uint32_t height;
    const char* why;
};

class JxlPastTheBudget : public ::testing::TestWithParam<BudgetRow> {};

// A header of a few bytes claiming a picture the budget refuses: a billion pixels a side, or
// 4096 x 4096, which fits the 64 MiB any file may take at four bytes a pixel but not libjxl's
// three planes of 32-bit samples. Refused at the load, before any decoding.
TEST_P(JxlPastTheBudget, IsRefusedAtTheLoad)
{
    BitWriter writer;
    LargeSize(writer, GetParam().width, GetParam().height).flag(true);
    GpBitmap* bitmap = nullptr;
    LoadFailure failure;
    EXPECT_EQ(LoadBitmapFromBytes(writer.codestream() + QByteArray(32, '\0'), &bitmap, &failure),
              OutOfMemory);
    EXPECT_EQ(bitmap, nullptr);
    EXPECT_EQ(failure.reason, LoadFailureReason::OverPixelBudget);
    EXPECT_EQ(failure.contentKind, "jxl");
}

INSTANTIATE_TEST_SUITE_P(Claims, JxlPastTheBudget,
                         ::testing::Values(BudgetRow{1u << 30, 1u << 30, "gigapixels"},
                                           BudgetRow{4096, 4096, "planes"}),
                         [](const ::testing::TestParamInfo<BudgetRow>& info) {
                             return std::string(info.param.why);
                         });

// libjxl is given a memory manager that refuses past its limit: too small a limit for even
// its decoder fails the decode, the file's budget lets it through.
TEST(JxlCodec, MemoryManagerRefusesPastItsLimit)
{
    const QByteArray file = ReadFixture("jxl/jxl_rgba_8bit.jxl");
    const std::optional<JxlHeader> header = ReadJxlHeader(file);
    ASSERT_TRUE(header);
    QImage pixels;
    EXPECT_EQ(DecodeJxl(file, *header, 1024, &pixels), OutOfMemory);
    EXPECT_TRUE(pixels.isNull());
    EXPECT_EQ(DecodeJxl(file, *header, PixelBudgetFor(file.size()), &pixels), Ok);
    EXPECT_EQ(pixels.size(), QSize(4, 4));
}

// cjxl keeps the Exif of a JPEG it recompresses in a Brotli-compressed box. Unpacked within
// its size exactly it gives the Exif box's content, one byte less fails whole.
TEST(JxlContainer, BrotliBoxUnpackedWithinItsLimit)
{
    const QByteArray file = ReadFixture("jxl/jxl_recompressed_jpeg.jxl");
    const IsoBoxes boxes = SplitIsoBoxes(file);
    const std::optional<IsoBox> brob = FindIsoBox(boxes, BoxType("brob"));
    ASSERT_TRUE(brob);
    ASSERT_EQ(brob->content.first(4), "Exif");
    const QByteArrayView stream = brob->content.sliced(4);

    const std::optional<QByteArray> exif = DecompressBrotli(stream, 1 << 20);
    ASSERT_TRUE(exif);
    EXPECT_FALSE(DecompressBrotli(stream, exif->size() - 1));
    EXPECT_EQ(DecompressBrotli(stream, exif->size()), exif);
    EXPECT_FALSE(DecompressBrotli(stream.first(stream.size() - 1), 1 << 20));  // cut short

    const PropertyRecords items = ReadTiffItems(TiffOfExifBox(*exif), TiffStructure::ExifBlock);
    EXPECT_FALSE(items.empty());
    EXPECT_EQ(ReadJxlFile(file).metadata.front().content, *exif);
}

TEST(JxlContainer, ExifOffsetIsBoundsChecked)
{
    EXPECT_EQ(TiffOfExifBox(QByteArray("\0\0\0\x02xxII*\0", 10)), QByteArrayView("II*\0", 4));
    EXPECT_TRUE(TiffOfExifBox(QByteArray("\0\0\0\x07xxII*\0", 10)).isEmpty());
    EXPECT_TRUE(TiffOfExifBox(QByteArray("\xFF\xFF\xFF\xFFII*\0", 8)).isEmpty());
    EXPECT_TRUE(TiffOfExifBox(QByteArray("\0\0\0", 3)).isEmpty());
}

}  // namespace
}  // namespace veltra::imaging
