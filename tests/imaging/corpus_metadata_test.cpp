// The metadata reader against exiv2 on real camera files: for every JPEG and TIFF of the
// repository's camera files and of the corpus beside the checkout, the IFD0, Exif, GPS and thumbnail entries must come out with the same ids, types,
// counts and numbers as exiv2 reads them.

#include "imaging/imaging_test_support.h"

#include "imaging/thumbnail_id_table.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace veltra::imaging {
namespace {


struct Entry {
    std::uint32_t id = 0;
    std::uint16_t type = 0;
    qint64 count = 0;
    QString numbers;  // the value as exiv2 prints it, for the numeric types only

    friend bool operator==(const Entry&, const Entry&) = default;
};

std::string Describe(const Entry& entry)
{
    return QStringLiteral("{0x%1 type %2 count %3 \"%4\"}")
        .arg(entry.id, 4, 16, QLatin1Char('0'))
        .arg(entry.type)
        .arg(entry.count)
        .arg(entry.numbers)
        .toStdString();
}

std::uint16_t TypeNumber(const QString& exiv2Name)
{
    static const QStringList names{"Byte",  "Ascii",  "Short",     "Long",  "Rational", "SByte",
                                   "Undefined", "SShort", "SLong", "SRational", "Float", "Double"};
    return static_cast<std::uint16_t>(names.indexOf(exiv2Name) + 1);
}

int ElementSize(std::uint16_t type)
{
    static const int sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type <= 12 ? sizes[type] : 0;
}

bool IsNumericType(std::uint16_t type)
{
    return type == 3 || type == 4 || type == 5 || type == 8 || type == 9 || type == 10;
}

// Our little-endian value written the way exiv2 prints numbers: elements separated by one
// space, rationals as numerator/denominator.
QString NumbersOf(std::uint16_t type, const QByteArray& value)
{
    const char* bytes = value.constData();
    auto u16 = [&](qsizetype at) { return qFromLittleEndian<std::uint16_t>(bytes + at); };
    auto u32 = [&](qsizetype at) { return qFromLittleEndian<std::uint32_t>(bytes + at); };
    QStringList parts;
    const int size = ElementSize(type);
    for (qsizetype at = 0; at + size <= value.size(); at += size) {
        switch (type) {
        case 3: parts << QString::number(u16(at)); break;
        case 8: parts << QString::number(static_cast<std::int16_t>(u16(at))); break;
        case 4: parts << QString::number(u32(at)); break;
        case 9: parts << QString::number(static_cast<std::int32_t>(u32(at))); break;
        case 5: parts << QStringLiteral("%1/%2").arg(u32(at)).arg(u32(at + 4)); break;
        case 10:
            parts << QStringLiteral("%1/%2")
                         .arg(static_cast<std::int32_t>(u32(at)))
                         .arg(static_cast<std::int32_t>(u32(at + 4)));
            break;
        }
    }
    return parts.join(QLatin1Char(' '));
}

struct Exiv2Listing {
    std::vector<Entry> entries;
    std::vector<Entry> thumbnailEntries;  // under their own IFD1 ids
};

// The rows of `exiv2 -u -pv` for IFD0 (Image), Exif (Photo), GPS (GPSInfo) and, in Exif blocks,
// IFD1 (Thumbnail), in exiv2's order, which is the order of the file with each sub-directory
// after its pointer. Makernote, interoperability and other groups are left out.
Exiv2Listing RunExiv2(const QString& path, FileFormat format)
{
    QProcess process;
    // Without -u, exiv2 hides the entries it has no name for (Exif tags stored in IFD0, padding).
    process.start(QStringLiteral("exiv2"), {QStringLiteral("-u"), QStringLiteral("-pv"), path});
    process.waitForFinished(-1);
    static const QRegularExpression row(
        QStringLiteral(R"(^0x([0-9a-f]{4}) (\w+) +\S+ +(\w+) +(\d+)(?:  (.*))?$)"));
    Exiv2Listing listing;
    const QStringList lines =
        QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QRegularExpressionMatch match = row.match(line);
        if (!match.hasMatch())
            continue;
        const QString group = match.captured(2);
        const bool thumbnail = group == QLatin1String("Thumbnail");
        if (thumbnail && format == FileFormat::Tiff)
            continue;
        if (!thumbnail && group != QLatin1String("Image") && group != QLatin1String("Photo") &&
            group != QLatin1String("GPSInfo"))
            continue;
        Entry entry;
        entry.id = match.captured(1).toUInt(nullptr, 16);
        entry.type = TypeNumber(match.captured(3));
        entry.count = match.captured(4).toLongLong();
        if (IsNumericType(entry.type))
            entry.numbers = match.captured(5).trimmed();
        if (thumbnail) {
            listing.thumbnailEntries.push_back(entry);
            entry.id = test::ListedThumbnailId(entry.id);
        }
        listing.entries.push_back(entry);
    }
    return listing;
}

// The first place where the two lists part, or an empty text when they agree.
std::string FirstDifference(const std::vector<Entry>& actual, const std::vector<Entry>& expected)
{
    const auto [ours, theirs] =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    if (ours == actual.end() && theirs == expected.end())
        return {};
    return "at position " + std::to_string(ours - actual.begin()) + ": ours " +
           (ours == actual.end() ? std::string("(end)") : Describe(*ours)) + ", exiv2 " +
           (theirs == expected.end() ? std::string("(end)") : Describe(*theirs));
}

std::vector<Entry> KeepFirstOfEachId(const std::vector<Entry>& entries)
{
    std::set<std::uint32_t> seen;
    std::vector<Entry> kept;
    for (const Entry& entry : entries) {
        if (seen.insert(entry.id).second)
            kept.push_back(entry);
    }
    return kept;
}

// A real file: the folder it was found under and its path inside it.
struct RealFile {
    std::string root;
    std::string relative;
};

void PrintTo(const RealFile& file, std::ostream* os)
{
    *os << file.relative;
}

// Every JPEG and TIFF under `root`; one empty row when the folder is missing, which the test
// then skips with a message saying so.
std::vector<RealFile> PicturesUnder(const QString& root)
{
    if (!QFileInfo(root).isDir())
        return {RealFile{root.toStdString(), {}}};
    std::vector<RealFile> files;
    QDirIterator it(root, {"*.jpg", "*.jpeg", "*.tif", "*.tiff"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files.push_back({root.toStdString(), QDir(root).relativeFilePath(it.next()).toStdString()});
    std::sort(files.begin(), files.end(),
              [](const RealFile& a, const RealFile& b) { return a.relative < b.relative; });
    return files;
}

class RealFileMetadata : public ::testing::TestWithParam<RealFile> {};

TEST_P(RealFileMetadata, TiffEntriesAgreeWithExiv2)
{
    if (GetParam().relative.empty())
        GTEST_SKIP() << GetParam().root << " is absent: a checkout without the real-file corpus "
                     << "beside it checks only the repository's camera files";
    const QString path = QString::fromStdString(GetParam().root + '/' + GetParam().relative);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const FileFormat format = SniffFileFormat(bytes);
    if (format != FileFormat::Jpeg && format != FileFormat::Tiff)
        GTEST_SKIP() << "not a JPEG or TIFF by content";

    // Read before anything else, so that the damaged files (jpg/invalid, jpg/tests) go
    // through the reader even where exiv2 is missing.
    const PropertyRecords records = test_support::ItemsOf(bytes, format);
    if (QStandardPaths::findExecutable(QStringLiteral("exiv2")).isEmpty())
        GTEST_SKIP() << "exiv2 is not on PATH";
    const Exiv2Listing exiv2 = RunExiv2(path, format);
    const std::vector<Entry> expected = KeepFirstOfEachId(exiv2.entries);
    const bool exifHasUserComment = std::any_of(
        expected.begin(), expected.end(), [](const Entry& e) { return e.id == 0x9286; });

    std::vector<Entry> actual;
    const PropertyRecord* thumbnailData = nullptr;
    for (const PropertyRecord& record : records) {
        // Items that come from outside the TIFF structure, or that exiv2 does not list.
        if (record.id == 0x501B) {
            thumbnailData = &record;
            continue;
        }
        if (record.id == 0x5090 || record.id == 0x5091)
            continue;
        const auto type = static_cast<std::uint16_t>(record.type);
        if (record.id == 0x9286 && type == 2 && !exifHasUserComment)
            continue;  // the JPEG comment segment
        const int size = ElementSize(type);
        ASSERT_GT(size, 0) << "item of type " << type;
        ASSERT_EQ(record.value.size() % size, 0);
        actual.push_back(Entry{record.id, type, record.value.size() / size,
                               IsNumericType(type) ? NumbersOf(type, record.value) : QString()});
    }

    // Every real file agrees, the damaged ones included, so no file is excused.
    EXPECT_EQ(FirstDifference(actual, expected), "");

    // The thumbnail is as long as IFD1 says and is a JPEG stream.
    if (thumbnailData) {
        const std::vector<Entry>& ifd1 = exiv2.thumbnailEntries;
        const auto length =
            std::find_if(ifd1.begin(), ifd1.end(), [](const Entry& e) { return e.id == 0x0202; });
        ASSERT_NE(length, ifd1.end());
        EXPECT_EQ(QString::number(thumbnailData->value.size()), length->numbers);
        EXPECT_TRUE(thumbnailData->value.startsWith("\xFF\xD8"));
    }
}

std::string TestNameOf(const ::testing::TestParamInfo<RealFile>& info)
{
    std::string name = info.param.relative.empty() ? "absent" : info.param.relative;
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(CameraFiles, RealFileMetadata,
                         ::testing::ValuesIn(PicturesUnder(QStringLiteral(VELTRA_CAMERA_FILES_DIR))),
                         TestNameOf);
INSTANTIATE_TEST_SUITE_P(Corpus, RealFileMetadata,
                         ::testing::ValuesIn(PicturesUnder(QStringLiteral(VELTRA_CORPUS_DIR))),
                         TestNameOf);

}  // namespace
}  // namespace veltra::imaging
