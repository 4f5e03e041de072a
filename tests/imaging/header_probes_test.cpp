// The service reads some formats' headers itself, so that a report needs neither Qt Gui nor its
// image plugins; the decoder that will decode the pixels must still be the one that decides
// what loads. Each such probe must say what Qt's decoder says of the same bytes: for sound files
// of every layout, for every cut of them, and for headers damaged byte by byte.

#include "formats/bmp/bmp_reader.h"
#include "formats/format_decoder.h"
#include "formats/png/png_reader.h"
#include "formats/tiff/tiff_reader.h"
#include "imaging/work_counters.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

#include <zlib.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

namespace veltra::imaging {
namespace {

struct Probed {
    GpStatus status = GenericError;
    QSize size;
    std::optional<PixelFormat> format;

    bool operator==(const Probed& other) const
    {
        return status == other.status &&
               (status != Ok || (size == other.size && format == other.format));
    }
};

std::ostream& operator<<(std::ostream& os, const Probed& probed)
{
    os << "status " << probed.status;
    if (probed.status == Ok) {
        os << ", " << probed.size.width() << " x " << probed.size.height() << ", format 0x"
           << std::hex << probed.format.value_or(0) << std::dec;
    }
    return os;
}

Probed OwnProbe(const FormatReader& reader, QByteArrayView file)
{
    const FileFacts facts = reader.read(file);
    FrameHeader header;
    const GpStatus status = reader.probe(file, facts, &header);
    return {status, header.size, header.decodedPixelFormat};
}

Probed DecodersProbe(const FormatReader& reader, QByteArrayView file)
{
    const FileFacts facts = reader.read(file);
    FrameHeader header;
    const GpStatus status = ProbeWithDecoder(reader, file, facts, &header);
    return {status, header.size, header.decodedPixelFormat};
}

std::vector<QByteArray> Fixtures(const QString& pattern)
{
    std::vector<QByteArray> files;
    const QDir folder(QStringLiteral(VELTRA_FIXTURES_DIR));
    for (const QString& name : folder.entryList({pattern}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            files.push_back(file.readAll());
    }
    return files;
}

// Every cut of the file short of its end, or of its first `longest` bytes.
std::vector<QByteArray> Cuts(const QByteArray& file, qsizetype longest = INT_MAX)
{
    std::vector<QByteArray> cuts;
    for (qsizetype length = 0; length < std::min(file.size(), longest); ++length)
        cuts.push_back(file.first(length));
    return cuts;
}

// Each byte of each chunk before the image data set to values a damaged or hostile file holds,
// with the chunk's CRC made good again, so that libpng judges the value and not the CRC; and
// the palette left out.
std::vector<QByteArray> PngHeaderEdits(const QByteArray& file)
{
    std::vector<QByteArray> edits;
    qsizetype at = 8;
    while (at + 12 <= file.size()) {
        const auto length = static_cast<qsizetype>(qFromBigEndian<quint32>(file.constData() + at));
        const QByteArray type = file.sliced(at + 4, 4);
        if (type == "IDAT" || at + 12 + length > file.size())
            break;
        for (qsizetype index = 0; index < std::min<qsizetype>(length, 16); ++index) {
            for (const char value : {'\x00', '\x01', '\x07', '\x10', '\xFF'}) {
                QByteArray edited = file;
                edited[at + 8 + index] = value;
                const auto crc = static_cast<quint32>(
                    crc32(0, reinterpret_cast<const Bytef*>(edited.constData() + at + 4),
                          static_cast<uInt>(length + 4)));
                qToBigEndian(crc, edited.data() + at + 8 + length);
                edits.push_back(edited);
            }
        }
        if (type == "PLTE")
            edits.push_back(QByteArray(file).remove(at, length + 12));
        at += length + 12;
    }
    return edits;
}

// Each of the first bytes set to values a damaged or hostile header holds.
std::vector<QByteArray> ByteEdits(const QByteArray& file, qsizetype bytes)
{
    std::vector<QByteArray> edits;
    for (qsizetype index = 0; index < std::min(file.size(), bytes); ++index) {
        for (const char value : {'\x00', '\x01', '\x07', '\x10', '\x80', '\xFF'}) {
            QByteArray edited = file;
            edited[index] = value;
            edits.push_back(edited);
        }
    }
    return edits;
}

void ExpectSameAnswers(const FormatReader& reader, const std::vector<QByteArray>& files,
                       const char* what)
{
    for (std::size_t index = 0; index < files.size(); ++index) {
        const QByteArray& file = files[index];
        // A file that is no longer of the format never reaches its probe; a picture past the
        // file's pixel budget is refused before any decoder is asked (checked below).
        if (!reader.matches(file))
            continue;
        const Probed own = OwnProbe(reader, file);
        if (own.status == OutOfMemory)
            continue;
        EXPECT_EQ(own, DecodersProbe(reader, file))
            << what << " " << index << " of " << files.size() << ", " << file.size()
            << " bytes: " << file.first(std::min<qsizetype>(file.size(), 48)).toHex().toStdString();
    }
}

TEST(HeaderProbes, PngAnswersAsQtsDecoder)
{
    const std::vector<QByteArray> sound = Fixtures(QStringLiteral("png_*.png"));
    ASSERT_GE(sound.size(), 30u);
    ExpectSameAnswers(kPngFormat, sound, "fixture");
    int accepted = 0;
    for (const QByteArray& file : sound) {
        accepted += OwnProbe(kPngFormat, file).status == Ok;
        ExpectSameAnswers(kPngFormat, Cuts(file), "cut");
        ExpectSameAnswers(kPngFormat, PngHeaderEdits(file), "edit");
    }
    // Every layout of the fixtures is decodable: the agreement is not one of refusals alone.
    EXPECT_EQ(accepted, static_cast<int>(sound.size()) - 1);  // one is cut inside its header
}

TEST(HeaderProbes, BmpAnswersAsQtsDecoder)
{
    std::vector<QByteArray> sound = Fixtures(QStringLiteral("bmp_*.bmp"));
    std::erase_if(sound, [](const QByteArray& file) { return !kBmpFormat.matches(file); });
    ASSERT_GE(sound.size(), 12u);
    ExpectSameAnswers(kBmpFormat, sound, "fixture");
    for (const QByteArray& file : sound) {
        EXPECT_EQ(OwnProbe(kBmpFormat, file).status, Ok);
        ExpectSameAnswers(kBmpFormat, Cuts(file, 160), "cut");
        // The headers, the masks and the start of the palette.
        ExpectSameAnswers(kBmpFormat, ByteEdits(file, 150), "edit");
    }
}

// Stored top row first, the decoder tells no size before decoding; seventy bytes declaring 50
// million such pixels are refused before it makes a picture of them.
TEST(HeaderProbes, ATopDownBmpPastTheBudgetIsRefusedBeforeDecoding)
{
    QByteArray file = Fixtures(QStringLiteral("bmp_24bit.bmp")).at(0);
    const auto declare = [&file](std::int32_t height) {
        qToLittleEndian(height, file.data() + 22);
        return OwnProbe(kBmpFormat, file);
    };
    const std::uint64_t decodedBefore = WorkDone(Work::FramesDecoded);
    EXPECT_EQ(declare(-16777214).status, OutOfMemory);
    EXPECT_EQ(WorkDone(Work::FramesDecoded), decodedBefore);
    // Within the budget the decoder is asked, and decodes it to tell.
    const Probed small = declare(-2);
    EXPECT_EQ(small.status, Ok);
    EXPECT_EQ(small.size, QSize(3, 2));
}

TEST(HeaderProbes, TiffAnswersAsQtsDecoder)
{
    std::vector<QByteArray> sound = Fixtures(QStringLiteral("tiff_*.tif"));
    ASSERT_GE(sound.size(), 18u);
    ExpectSameAnswers(kTiffFormat, sound, "fixture");
    for (const QByteArray& file : sound) {
        EXPECT_EQ(OwnProbe(kTiffFormat, file).status, Ok);
        ExpectSameAnswers(kTiffFormat, Cuts(file, 300), "cut");
        ExpectSameAnswers(kTiffFormat, ByteEdits(file, 300), "edit");
    }
}

}  // namespace
}  // namespace veltra::imaging
