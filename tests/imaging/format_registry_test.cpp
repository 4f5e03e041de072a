// The file type comes from the first bytes alone. Each row is a few inline bytes: the
// signatures of the table, and near misses that must not be taken for them.

#include "formats/format_registry.h"
#include "imaging/imaging_test_support.h"

#include <QByteArray>
#include <QUuid>

#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <string>

namespace veltra::imaging {
namespace {

using test_support::GuidFromText;

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int value : values)
        bytes.append(static_cast<char>(value));
    return bytes;
}

QByteArray Text(const char* text)
{
    return QByteArray(text);
}

QByteArray Little32(std::uint32_t value)
{
    return Bytes({static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF), static_cast<int>(value >> 24)});
}

QByteArray Little16(std::uint16_t value)
{
    return Bytes({value & 0xFF, value >> 8});
}

// "BM", file size, two reserved words, pixel offset, then the info header's size field and
// a little more of the header.
QByteArray BmpHead(std::uint32_t pixelOffset, std::uint32_t infoSize)
{
    return Text("BM") + Little32(70) + Little32(0) + Little32(pixelOffset) + Little32(infoSize) +
           Little32(1) + Little32(1) + Little16(1) + Little16(24);
}

// An icon directory with one entry: width, height, colour count, reserved byte, planes, bits
// per pixel, bytes in the image, offset of the image.
QByteArray IconHead(std::uint16_t type, std::uint16_t count, int reserved, std::uint16_t planes,
                    std::uint16_t bitCount)
{
    return Little16(0) + Little16(type) + Little16(count) + Bytes({16, 16, 0, reserved}) +
           Little16(planes) + Little16(bitCount) + Little32(1128) + Little32(22);
}

// An EMF header record: type, size, bounds and frame rectangles, then the signature at
// offset 40 and the version.
QByteArray EmfHead(std::uint32_t recordType, const char* signature)
{
    QByteArray head = Little32(recordType) + Little32(88);
    head += QByteArray(32, '\0');
    head += QByteArray(signature, 4);
    head += Little32(0x10000);
    return head;
}

QByteArray WmfStandardHead(std::uint16_t type, std::uint16_t headerWords, std::uint16_t version)
{
    return Little16(type) + Little16(headerWords) + Little16(version) + Little32(100) +
           Little16(0) + Little32(20) + Little16(0);
}

// An ISO base media file's first box: its declared length, major brand, minor version 0 and
// compatible brands.
QByteArray FileType(std::uint32_t length, const char* major, std::initializer_list<const char*> compatible)
{
    QByteArray box = Bytes({int(length >> 24), int((length >> 16) & 0xFF), int((length >> 8) & 0xFF),
                            int(length & 0xFF)}) + Text("ftyp") + Text(major) + Bytes({0, 0, 0, 0});
    for (const char* brand : compatible)
        box += Text(brand);
    return box;
}

struct SniffRow {
    const char* name;
    QByteArray head;
    FileFormat expected;
};

void PrintTo(const SniffRow& row, std::ostream* os)
{
    *os << row.name;
}

class SniffFileFormatTest : public ::testing::TestWithParam<SniffRow> {};

TEST_P(SniffFileFormatTest, DecidesFromFirstBytes)
{
    EXPECT_EQ(SniffFileFormat(GetParam().head), GetParam().expected);
}

// Rows follow the table's order; after each signature come its near misses.
INSTANTIATE_TEST_SUITE_P(
    Signatures, SniffFileFormatTest,
    ::testing::Values(
        SniffRow{"png", Bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13}) + Text("IHDR"),
                 FileFormat::Png},
        SniffRow{"png_signature_alone", Bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}),
                 FileFormat::Png},
        SniffRow{"png_last_byte_wrong", Bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0B}),
                 FileFormat::Unknown},
        SniffRow{"png_cut_to_seven_bytes", Bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A}),
                 FileFormat::Unknown},
        SniffRow{"png_text_signature", Text("PNG image"), FileFormat::Unknown},
        SniffRow{"jpeg_jfif", Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 16}) + Text("JFIF"), FileFormat::Jpeg},
        SniffRow{"jpeg_exif", Bytes({0xFF, 0xD8, 0xFF, 0xE1, 0, 16}) + Text("Exif"), FileFormat::Jpeg},
        SniffRow{"jpeg_three_bytes", Bytes({0xFF, 0xD8, 0xFF}), FileFormat::Jpeg},
        SniffRow{"jpeg_without_third_marker_byte", Bytes({0xFF, 0xD8, 0x00, 0xE0}),
                 FileFormat::Unknown},
        SniffRow{"gif87a", Text("GIF87a") + Bytes({3, 0, 2, 0}), FileFormat::Gif},
        SniffRow{"gif89a", Text("GIF89a") + Bytes({3, 0, 2, 0}), FileFormat::Gif},
        SniffRow{"gif88a", Text("GIF88a") + Bytes({3, 0, 2, 0}), FileFormat::Unknown},
        SniffRow{"gif_cut_short", Text("GIF8"), FileFormat::Unknown},
        SniffRow{"bmp_info_header_40", BmpHead(54, 40), FileFormat::Bmp},
        SniffRow{"bmp_core_header_12", BmpHead(26, 12), FileFormat::Bmp},
        SniffRow{"bmp_v4_header_108", BmpHead(122, 108), FileFormat::Bmp},
        SniffRow{"bmp_v5_header_124", BmpHead(138, 124), FileFormat::Bmp},
        SniffRow{"bm_text_not_a_bmp", Text("BMW owners meet on Sunday at ten."),
                 FileFormat::Unknown},
        SniffRow{"bm_with_unknown_header_size", BmpHead(54, 41), FileFormat::Unknown},
        SniffRow{"bm_with_pixels_inside_headers", BmpHead(20, 40), FileFormat::Unknown},
        SniffRow{"bm_alone", Text("BM"), FileFormat::Unknown},
        SniffRow{"tiff_little_endian", Bytes({'I', 'I', 0x2A, 0, 8, 0, 0, 0}), FileFormat::Tiff},
        SniffRow{"tiff_big_endian", Bytes({'M', 'M', 0, 0x2A, 0, 0, 0, 8}), FileFormat::Tiff},
        SniffRow{"tiff_little_mark_big_number", Bytes({'I', 'I', 0, 0x2A, 0, 0, 0, 8}),
                 FileFormat::Unknown},
        SniffRow{"tiff_big_mark_little_number", Bytes({'M', 'M', 0x2A, 0, 8, 0, 0, 0}),
                 FileFormat::Unknown},
        SniffRow{"bigtiff_little_endian", Bytes({'I', 'I', 0x2B, 0, 8, 0, 0, 0, 16, 0}),
                 FileFormat::BigTiff},
        SniffRow{"bigtiff_big_endian", Bytes({'M', 'M', 0, 0x2B, 0, 8, 0, 0, 0, 0}),
                 FileFormat::BigTiff},
        SniffRow{"bigtiff_offsets_of_4_bytes", Bytes({'I', 'I', 0x2B, 0, 4, 0, 0, 0}),
                 FileFormat::Unknown},
        SniffRow{"bigtiff_cut_after_version", Bytes({'I', 'I', 0x2B, 0}), FileFormat::Unknown},
        SniffRow{"icon_32bit", IconHead(1, 1, 0, 1, 32), FileFormat::Icon},
        SniffRow{"icon_planes_zero", IconHead(1, 2, 0, 0, 8), FileFormat::Icon},
        SniffRow{"icon_without_images", IconHead(1, 0, 0, 1, 32), FileFormat::Unknown},
        SniffRow{"icon_reserved_byte_set", IconHead(1, 1, 7, 1, 32), FileFormat::Unknown},
        SniffRow{"icon_odd_bit_count", IconHead(1, 1, 0, 1, 7), FileFormat::Unknown},
        SniffRow{"icon_two_planes", IconHead(1, 1, 0, 2, 32), FileFormat::Unknown},
        SniffRow{"cursor_directory", IconHead(2, 1, 0, 1, 32), FileFormat::Unknown},
        SniffRow{"icon_directory_cut_short", IconHead(1, 1, 0, 1, 32).first(12),
                 FileFormat::Unknown},
        SniffRow{"emf", EmfHead(1, " EMF"), FileFormat::Emf},
        SniffRow{"emf_wrong_signature", EmfHead(1, "XEMF"), FileFormat::Unknown},
        SniffRow{"emf_signature_in_other_record", EmfHead(2, " EMF"), FileFormat::Unknown},
        SniffRow{"emf_cut_before_signature", EmfHead(1, " EMF").first(42), FileFormat::Unknown},
        SniffRow{"wmf_placeable", Bytes({0xD7, 0xCD, 0xC6, 0x9A, 0, 0}), FileFormat::Wmf},
        SniffRow{"wmf_memory_version3", WmfStandardHead(1, 9, 0x0300), FileFormat::Wmf},
        SniffRow{"wmf_disk_version1", WmfStandardHead(2, 9, 0x0100), FileFormat::Wmf},
        SniffRow{"wmf_wrong_header_size", WmfStandardHead(1, 8, 0x0300), FileFormat::Unknown},
        SniffRow{"wmf_unknown_version", WmfStandardHead(1, 9, 0x0200), FileFormat::Unknown},
        SniffRow{"wmf_wrong_type", WmfStandardHead(3, 9, 0x0300), FileFormat::Unknown},
        SniffRow{"webp", Text("RIFF") + Little32(30) + Text("WEBPVP8L"), FileFormat::WebP},
        SniffRow{"riff_wave", Text("RIFF") + Little32(30) + Text("WAVEfmt "), FileFormat::Unknown},
        SniffRow{"heic", FileType(16, "heic", {}), FileFormat::Heif},
        SniffRow{"avif", FileType(20, "avif", {"mif1"}), FileFormat::Heif},
        SniffRow{"mif1_compatible_of_another_major", FileType(24, "MiHE", {"MiHB", "mif1"}), FileFormat::Heif},
        SniffRow{"hevc_sequence", FileType(20, "msf1", {"hevc"}), FileFormat::Heif},
        SniffRow{"avif_sequence", FileType(16, "avis", {}), FileFormat::Heif},
        SniffRow{"heic_brand_past_the_box", FileType(16, "isom", {"heic"}), FileFormat::Unknown},
        SniffRow{"ftyp_shorter_than_its_brands", FileType(12, "heic", {}), FileFormat::Unknown},
        SniffRow{"mp4_video", FileType(24, "isom", {"iso2", "avc1"}), FileFormat::Unknown},
        SniffRow{"canon_cr3", FileType(24, "crx ", {"crx ", "isom"}), FileFormat::CameraRaw},
        SniffRow{"jpeg_xl_container_with_ftyp", Bytes({0, 0, 0, 12}) + Text("JXL ") + Bytes({0x0D, 0x0A, 0x87, 0x0A}) +
                                          FileType(20, "jxl ", {"jxl "}), FileFormat::Jxl},
        SniffRow{"jxl_codestream", Bytes({0xFF, 0x0A, 0xFA, 0x7F}), FileFormat::Jxl},
        SniffRow{"jxl_container", Bytes({0, 0, 0, 12}) + Text("JXL ") + Bytes({13, 10, 0x87, 10}),
                 FileFormat::Jxl},
        SniffRow{"jxl_container_signature_cut", Bytes({0, 0, 0, 12}) + Text("JXL ") + Bytes({13}),
                 FileFormat::Unknown},
        SniffRow{"jxl_box_of_another_length", Bytes({0, 0, 0, 16}) + Text("JXL ") +
                                                  Bytes({13, 10, 0x87, 10}),
                 FileFormat::Unknown},
        SniffRow{"jp2", Bytes({0, 0, 0, 12}) + Text("jP  ") + Bytes({13, 10, 0x87, 10}),
                 FileFormat::Jp2},
        SniffRow{"j2k_codestream", Bytes({0xFF, 0x4F, 0xFF, 0x51, 0, 47}), FileFormat::Jp2},
        SniffRow{"j2k_start_without_siz", Bytes({0xFF, 0x4F, 0xFF, 0x52}), FileFormat::Unknown},
        SniffRow{"jp2_signature_uppercase", Bytes({0, 0, 0, 12}) + Text("JP  ") +
                                                Bytes({13, 10, 0x87, 10}),
                 FileFormat::Unknown},
        SniffRow{"empty", QByteArray(), FileFormat::Unknown},
        SniffRow{"one_byte", Bytes({0x89}), FileFormat::Unknown},
        SniffRow{"plain_text", Text("Hello, this is a text file.\n"), FileFormat::Unknown},
        SniffRow{"pnm", Text("P6\n3 2\n255\n"), FileFormat::Unknown}),
    [](const ::testing::TestParamInfo<SniffRow>& info) { return std::string(info.param.name); });

// The signature is looked for at the very start only: a signature later in the file, after
// other bytes, says nothing.
TEST(SniffFileFormat, IgnoresSignaturesAfterTheStart)
{
    const QByteArray png = Bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
    EXPECT_EQ(SniffFileFormat(Text("x") + png), FileFormat::Unknown);
    EXPECT_EQ(SniffFileFormat(Bytes({0}) + Bytes({0xFF, 0xD8, 0xFF, 0xE0})), FileFormat::Unknown);
}

struct RawFormatRow {
    FileFormat format;
    // The platform's identifier as its documentation writes it.
    const char* uuid;
    const char* name;
};

// The identifier the registry's row of a format reports for its pictures.
GUID RawFormatOf(FileFormat format)
{
    for (const FormatReader* reader : FormatReaders()) {
        if (reader->format == format)
            return reader->rawFormat;
    }
    ADD_FAILURE() << "no reader for format " << static_cast<int>(format);
    return ImageFormatUndefined;
}

class RawFormatOfTest : public ::testing::TestWithParam<RawFormatRow> {};

TEST_P(RawFormatOfTest, GivesThePlatformIdentifier)
{
    EXPECT_EQ(RawFormatOf(GetParam().format), GuidFromText(GetParam().uuid));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RawFormatOfTest,
    ::testing::Values(RawFormatRow{FileFormat::Png, "{b96b3caf-0728-11d3-9d7b-0000f81ef32e}", "png"},
                      RawFormatRow{FileFormat::Jpeg, "{b96b3cae-0728-11d3-9d7b-0000f81ef32e}", "jpeg"},
                      RawFormatRow{FileFormat::Gif, "{b96b3cb0-0728-11d3-9d7b-0000f81ef32e}", "gif"},
                      RawFormatRow{FileFormat::Bmp, "{b96b3cab-0728-11d3-9d7b-0000f81ef32e}", "bmp"},
                      RawFormatRow{FileFormat::Tiff, "{b96b3cb1-0728-11d3-9d7b-0000f81ef32e}", "tiff"},
                      RawFormatRow{FileFormat::BigTiff, "{b96b3cb1-0728-11d3-9d7b-0000f81ef32e}", "bigtiff"},
                      RawFormatRow{FileFormat::Icon, "{b96b3cb5-0728-11d3-9d7b-0000f81ef32e}", "icon"},
                      RawFormatRow{FileFormat::Emf, "{b96b3cac-0728-11d3-9d7b-0000f81ef32e}", "emf"},
                      RawFormatRow{FileFormat::Wmf, "{b96b3cad-0728-11d3-9d7b-0000f81ef32e}", "wmf"}),
    [](const ::testing::TestParamInfo<RawFormatRow>& info) { return std::string(info.param.name); });

// Formats without an identifier of their own get one that no table row has, and a file is
// never reported as EXIF or as a bitmap made in memory; the registry holds each format once,
// with what anything else Qt decodes at its end.
TEST(RawFormatOf, OtherFormatsGetAnIdentifierOutsideTheTable)
{
    EXPECT_EQ(RawFormatOf(FileFormat::WebP), ImageFormatOtherDecoded);
    EXPECT_EQ(RawFormatOf(FileFormat::Jxl), ImageFormatOtherDecoded);
    EXPECT_EQ(RawFormatOf(FileFormat::Jp2), ImageFormatOtherDecoded);
    EXPECT_EQ(RawFormatOf(FileFormat::Unknown), ImageFormatOtherDecoded);
    const char* const tableFamily[] = {
        "{b96b3ca9-0728-11d3-9d7b-0000f81ef32e}", "{b96b3caa-0728-11d3-9d7b-0000f81ef32e}",
        "{b96b3cab-0728-11d3-9d7b-0000f81ef32e}", "{b96b3cac-0728-11d3-9d7b-0000f81ef32e}",
        "{b96b3cad-0728-11d3-9d7b-0000f81ef32e}", "{b96b3cae-0728-11d3-9d7b-0000f81ef32e}",
        "{b96b3caf-0728-11d3-9d7b-0000f81ef32e}", "{b96b3cb0-0728-11d3-9d7b-0000f81ef32e}",
        "{b96b3cb1-0728-11d3-9d7b-0000f81ef32e}", "{b96b3cb2-0728-11d3-9d7b-0000f81ef32e}",
        "{b96b3cb3-0728-11d3-9d7b-0000f81ef32e}", "{b96b3cb4-0728-11d3-9d7b-0000f81ef32e}",
        "{b96b3cb5-0728-11d3-9d7b-0000f81ef32e}"};
    for (const char* text : tableFamily)
        EXPECT_NE(ImageFormatOtherDecoded, GuidFromText(text)) << text;

    std::set<FileFormat> formats;
    for (const FormatReader* reader : FormatReaders()) {
        EXPECT_TRUE(formats.insert(reader->format).second) << int(reader->format);
        EXPECT_NE(reader->rawFormat, GuidFromText("{b96b3cb2-0728-11d3-9d7b-0000f81ef32e}"));
        EXPECT_NE(reader->rawFormat, GuidFromText("{b96b3caa-0728-11d3-9d7b-0000f81ef32e}"));
    }
    EXPECT_EQ(FormatReaders().back()->format, FileFormat::Unknown);
}

// Every kind of content has a name of its own, at least one extension and a MIME type, so
// that a file is named, checked against its name and offered by the desktop.
TEST(ContentKinds, EachNamedOnceWithExtensionsAndMimeTypes)
{
    std::set<std::string> names;
    for (const ContentKind* kind : ContentKinds()) {
        EXPECT_TRUE(names.insert(kind->name).second) << kind->name;
        EXPECT_FALSE(ContentKindExtensions(kind->name).isEmpty()) << kind->name;
        EXPECT_TRUE(QByteArrayView(kind->mimeTypes).startsWith("image/")) << kind->name;
        EXPECT_EQ(FindContentKind(kind->name), kind);
    }
    EXPECT_EQ(FindContentKind("svg"), nullptr);
    EXPECT_EQ(ContentKindExtensions("ppm"), QStringList({"ppm", "pnm"}));
}

}  // namespace
}  // namespace veltra::imaging
