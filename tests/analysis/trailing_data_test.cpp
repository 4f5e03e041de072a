// What bytes after a picture's end look like, from bytes written here.

#include "analysis/trailing_data.h"

#include "support/qt_printers.h"

#include "analysis/row_name.h"

#include <gtest/gtest.h>

#include <string>

namespace veltra::analysis {
namespace {

QByteArray Bytes(std::string_view text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

using namespace std::string_view_literals;

struct Sample {
    const char* what;
    QByteArray bytes;
    const char* kind;
};

class Classified : public ::testing::TestWithParam<Sample> {};

TEST_P(Classified, NamesWhatTheBytesLookLike)
{
    EXPECT_EQ(TrailingDataKindName(ClassifyTrailingData(GetParam().bytes)),
              QLatin1StringView(GetParam().kind))
        << GetParam().what;
}

const QByteArray kAsciiLine = Bytes("Hello, world\r\n\tsecond line\n"sv);

INSTANTIATE_TEST_SUITE_P(
    Samples, Classified,
    ::testing::Values(
        Sample{"nothing", QByteArray(), "empty"},
        Sample{"zip local file header", Bytes("PK\x03\x04\x14\x00\x00\x00"sv), "zip"},
        Sample{"empty zip archive", Bytes("PK\x05\x06"sv) + QByteArray(18, '\0'), "zip"},
        Sample{"rar 4", Bytes("Rar!\x1A\x07\x00\xCF\x90"sv), "rar"},
        Sample{"rar 5", Bytes("Rar!\x1A\x07\x01\x00\x33\x92"sv), "rar"},
        Sample{"rar of another version", Bytes("Rar!\x1A\x07\x02\x00"sv), "unknown"},
        Sample{"7z", Bytes("7z\xBC\xAF\x27\x1C\x00\x04"sv), "7z"},
        Sample{"pdf", Bytes("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n"sv), "pdf"},
        Sample{"jpeg", Bytes("\xFF\xD8\xFF\xE1\x00\x10"sv), "jpeg"},
        Sample{"mp4", Bytes("\x00\x00\x00\x1C" "ftypisom\x00\x00\x02\x00"sv), "mp4"},
        Sample{"ftyp without the size before it", Bytes("ftypisom"sv), "text"},
        Sample{"zip signature cut short", Bytes("PK\x03"sv), "unknown"},
        Sample{"ascii", kAsciiLine, "text"},
        Sample{"chinese utf-8", Bytes("图片说明：夜景\n"sv), "text"},
        Sample{"utf-8 cut inside its last character", Bytes("图片\xE8\xAF"sv), "text"},
        Sample{"one zero byte", QByteArray(1, '\0'), "zeros"},
        Sample{"zero padding", QByteArray(4096, '\0'), "zeros"},
        Sample{"zeros after one other byte", QByteArray(1, '\1') + QByteArray(100, '\0'), "unknown"},
        Sample{"binary", Bytes("\x01\x02\x80\xFF\x10\x00\x7F"sv), "unknown"},
        // 19 printable characters and 1 control, 95 %; then 18 and 2, 90 %.
        Sample{"text with one control in twenty", Bytes("abcdefghijklmnopqrs\x01"sv), "text"},
        Sample{"text with two controls in twenty", Bytes("abcdefghijklmnopqr\x01\x02"sv), "unknown"},
        Sample{"overlong utf-8", Bytes("abc\xC0\x80"sv), "unknown"},
        Sample{"utf-8 surrogate", Bytes("abc\xED\xA0\x80"sv), "unknown"},
        Sample{"text that turns binary after the sample",
               QByteArray(4096, 'a') + QByteArray(64, '\x01'), "text"}),
    [](const auto& info) { return test::RowName(info.param.what); });

struct Embedded {
    const char* what;
    QByteArray bytes;
    qsizetype offset;  // -1 when nothing is found
    TrailingDataKind kind;
};

class Found : public ::testing::TestWithParam<Embedded> {};

TEST_P(Found, FirstSignatureWithinTheFirst64KiB)
{
    const Embedded row = GetParam();
    const std::optional<EmbeddedSignature> found = FindEmbeddedSignature(row.bytes);
    if (row.offset < 0) {
        EXPECT_FALSE(found) << row.what << " found at " << found->offset;
        return;
    }
    ASSERT_TRUE(found) << row.what;
    EXPECT_EQ(found->offset, row.offset) << row.what;
    EXPECT_EQ(found->kind, row.kind) << row.what;
}

const QByteArray kZip = Bytes("PK\x03\x04\x14\x00"sv);
const QByteArray kJpeg = Bytes("\xFF\xD8\xFF"sv);

INSTANTIATE_TEST_SUITE_P(
    Searches, Found,
    ::testing::Values(
        Embedded{"at the start", kZip, 0, TrailingDataKind::Zip},
        Embedded{"a few bytes in", Bytes("\r\n\0\0\0\0\0"sv) + kZip, 7, TrailingDataKind::Zip},
        Embedded{"the first of two", QByteArray(10, 'x') + Bytes("%PDF-"sv) + kZip, 10,
                 TrailingDataKind::Pdf},
        Embedded{"mp4 box starts four bytes before its type",
                 Bytes("abc\x00\x00\x00\x18" "ftypmp42"sv), 3, TrailingDataKind::Mp4},
        Embedded{"ftyp too near the start for a box size", Bytes("abftypmp42"sv), -1,
                 TrailingDataKind::Unknown},
        Embedded{"starting at the last searched offset", QByteArray(65535, '\0') + kJpeg, 65535,
                 TrailingDataKind::Jpeg},
        Embedded{"starting past the searched offsets", QByteArray(65536, '\0') + kJpeg, -1,
                 TrailingDataKind::Unknown},
        Embedded{"cut off by the end", QByteArray(20, '\0') + kJpeg.first(2), -1,
                 TrailingDataKind::Unknown},
        Embedded{"nothing", QByteArray(), -1, TrailingDataKind::Unknown}),
    [](const auto& info) { return test::RowName(info.param.what); });

}  // namespace
}  // namespace veltra::analysis
