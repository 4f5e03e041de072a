// Real camera files (the repository's own and the corpus beside the checkout) through the whole
// load and report, against exiftool: the report's file type and size must be what exiftool
// reads from the file (the size after the upright turn), and a damaged file must end in a
// report or in the load-failure message, never a crash.

#include "document/document_test_support.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <map>

namespace veltra {
namespace {

using document_test::FakePrompts;


struct ExifToolFacts {
    QString fileType;
    int width = 0;
    int height = 0;
    int orientation = 0;
};

// One exiftool run over a whole folder.
std::map<QString, ExifToolFacts> ExifToolFolder(const QString& folder)
{
    std::map<QString, ExifToolFacts> result;
    if (QStandardPaths::findExecutable(QStringLiteral("exiftool")).isEmpty())
        return result;
    QProcess exiftool;
    exiftool.start(QStringLiteral("exiftool"),
                   {QStringLiteral("-j"), QStringLiteral("-n"), QStringLiteral("-r"),
                    QStringLiteral("-FileType"), QStringLiteral("-ImageWidth"),
                    QStringLiteral("-ImageHeight"), QStringLiteral("-Orientation"), folder});
    exiftool.waitForFinished(-1);
    const QJsonArray entries = QJsonDocument::fromJson(exiftool.readAllStandardOutput()).array();
    for (const QJsonValue& value : entries) {
        const QJsonObject entry = value.toObject();
        ExifToolFacts fact{entry.value(QStringLiteral("FileType")).toString(),
                           entry.value(QStringLiteral("ImageWidth")).toInt(),
                           entry.value(QStringLiteral("ImageHeight")).toInt(),
                           entry.value(QStringLiteral("Orientation")).toInt()};
        result[QFileInfo(entry.value(QStringLiteral("SourceFile")).toString())
                   .canonicalFilePath()] = fact;
    }
    return result;
}

std::vector<QString> PicturesUnder(const QString& folder)
{
    std::vector<QString> files;
    QDirIterator it(folder, {QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"),
                                 QStringLiteral("*.tif"), QStringLiteral("*.tiff")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.push_back(it.next());
    std::sort(files.begin(), files.end());
    return files;
}

// The report's name for each type as exiftool names it.
QString ReportTypeFor(const QString& exifToolType)
{
    static const std::map<QString, QString> names{
        {QStringLiteral("JPEG"), QStringLiteral("jpg")},  {QStringLiteral("TIFF"), QStringLiteral("tiff")},
        {QStringLiteral("PNG"), QStringLiteral("png")},   {QStringLiteral("GIF"), QStringLiteral("gif")},
        {QStringLiteral("BMP"), QStringLiteral("bmp")},
    };
    const auto found = names.find(exifToolType);
    return found == names.end() ? QStringLiteral("未知类型") : found->second;
}

// Files the corpus marks as damaged may fail to load; every other file must load.
bool MarkedDamaged(const QString& path)
{
    return path.contains(QStringLiteral("/invalid/")) || path.contains(QStringLiteral("/tests/")) ||
           path.contains(QStringLiteral("corrupted"));
}

void CheckAgainstExifTool(const QString& path, const std::map<QString, ExifToolFacts>& corpus)
{
    FakePrompts prompts;
    CVeltraDoc document(prompts);
    ASSERT_TRUE(document.OnOpenDocument(path));
    QString report;
    if (!document.GetImageInfo(report)) {
        EXPECT_TRUE(MarkedDamaged(path)) << "an intact file failed to load";
        EXPECT_EQ(prompts.messages.size(), 1u);
        return;
    }
    EXPECT_TRUE(prompts.messages.empty());

    const auto found = corpus.find(QFileInfo(path).canonicalFilePath());
    ASSERT_NE(found, corpus.end()) << "exiftool did not list the file";
    const ExifToolFacts& facts = found->second;
    const bool quarterTurned = facts.orientation >= 5 && facts.orientation <= 8;
    const int width = quarterTurned ? facts.height : facts.width;
    const int height = quarterTurned ? facts.width : facts.height;
    EXPECT_TRUE(report.startsWith(QStringLiteral("文件类型：%1\n尺寸：%2x%3\n")
                                      .arg(ReportTypeFor(facts.fileType))
                                      .arg(width)
                                      .arg(height)))
        << report.left(80).toStdString();
}

void CheckFolder(const QString& folder)
{
    const std::vector<QString> pictures = PicturesUnder(folder);
    ASSERT_FALSE(pictures.empty());
    const std::map<QString, ExifToolFacts> facts = ExifToolFolder(folder);
    if (facts.empty())
        GTEST_SKIP() << "exiftool not available";
    for (const QString& path : pictures) {
        SCOPED_TRACE(path.toStdString());
        CheckAgainstExifTool(path, facts);
    }
}

// One case per folder, so that exiftool starts once for each.
TEST(RealFileReportTest, TypeAndSizeAgreeWithExifToolForEveryCameraFile)
{
    CheckFolder(QStringLiteral(VELTRA_CAMERA_FILES_DIR));
}

TEST(RealFileReportTest, TypeAndSizeAgreeWithExifToolForEveryCorpusPicture)
{
    if (!QFileInfo(QStringLiteral(VELTRA_CORPUS_DIR)).isDir())
        GTEST_SKIP() << VELTRA_CORPUS_DIR << " is absent: a checkout without the real-file "
                     << "corpus beside it checks only the repository's camera files";
    CheckFolder(QStringLiteral(VELTRA_CORPUS_DIR));
}

}  // namespace
}  // namespace veltra
