// veltra-info over many files: the order of reports read in parallel, folders walked with -r,
// JSON Lines, and the summary.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "cli/program_run.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using veltra::test::ProgramRun;
using veltra::test::RunInfo;

void WritePicture(const QString& path, int width, int height, const char* format)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(QColor(width % 256, height % 256, 90));
    ASSERT_TRUE(picture.save(path, format)) << path.toStdString();
}

// Each line of JSON Lines output as an object; fails the test on a line that is not one.
std::vector<QJsonObject> ParseLines(const QString& out)
{
    std::vector<QJsonObject> objects;
    const QStringList lines = out.split(u'\n');
    EXPECT_TRUE(lines.back().isEmpty()) << "the last line is not closed";
    for (qsizetype line = 0; line + 1 < lines.size(); ++line) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(lines[line].toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << lines[line].toStdString();
        EXPECT_TRUE(document.isObject());
        objects.push_back(document.object());
    }
    return objects;
}

QStringList PathsOf(const std::vector<QJsonObject>& objects)
{
    QStringList paths;
    for (const QJsonObject& object : objects)
        paths << object.value(QStringLiteral("path")).toString();
    return paths;
}

TEST(FolderTest, ReportsReadInParallelComeOutInTheOrderGiven)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    // The large pictures first, so that later files are done before earlier ones.
    QStringList files;
    std::vector<int> widths;
    for (int index = 0; index < 24; ++index) {
        const int width = index < 4 ? 2400 - index * 100 : 8 + index;
        files << directory.filePath(QStringLiteral("p%1.png").arg(index));
        WritePicture(files.back(), width, 1200 / (index + 1), "PNG");
        widths.push_back(width);
    }
    QStringList arguments{QStringLiteral("--jobs=4"), QStringLiteral("--decode"),
                          QStringLiteral("--json-lines")};
    const ProgramRun lines = RunInfo(arguments + files);
    EXPECT_EQ(lines.exitCode, 0);
    const std::vector<QJsonObject> objects = ParseLines(lines.out);
    EXPECT_EQ(PathsOf(objects), files);
    for (std::size_t index = 0; index < objects.size() && index < widths.size(); ++index)
        EXPECT_EQ(objects[index].value(QStringLiteral("width")).toInt(), widths[index]);

    arguments.removeLast();
    const ProgramRun text = RunInfo(arguments + files);
    qsizetype from = 0;
    for (const QString& file : files) {
        const qsizetype at = text.out.indexOf(QStringLiteral("==> %1 <==").arg(file), from);
        ASSERT_GE(at, from) << file.toStdString();
        from = at + 1;
    }
}

TEST(FolderTest, RecursiveWalkOrdersNamesSkipsFolderLinksAndFailsSpecialFiles)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const QDir root(directory.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("a")));
    WritePicture(root.filePath(QStringLiteral("a/10.png")), 10, 10, "PNG");
    WritePicture(root.filePath(QStringLiteral("a/2.png")), 2, 2, "PNG");
    WritePicture(root.filePath(QStringLiteral("b.png")), 5, 5, "PNG");
    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("b.png")),
                            root.filePath(QStringLiteral("c-link.png"))));
    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("a")),
                            root.filePath(QStringLiteral("d-folder-link"))));
    ASSERT_TRUE(QFile::link(root.path(), root.filePath(QStringLiteral("a/loop"))));
    const QString fifo = root.filePath(QStringLiteral("e-fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    // A pipe nobody writes to must fail at once rather than block the run.
    const ProgramRun run =
        RunInfo({QStringLiteral("-r"), QStringLiteral("--json-lines"), root.path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.isEmpty());
    const std::vector<QJsonObject> objects = ParseLines(run.out);
    const QStringList expected{
        root.filePath(QStringLiteral("a/2.png")), root.filePath(QStringLiteral("a/10.png")),
        root.filePath(QStringLiteral("b.png")), root.filePath(QStringLiteral("c-link.png")), fifo};
    ASSERT_EQ(PathsOf(objects), expected);
    EXPECT_EQ(objects[3].value(QStringLiteral("width")).toInt(), 5);
    EXPECT_EQ(objects[4].value(QStringLiteral("reason")).toString(),
              QStringLiteral("not_regular_file"));
}

TEST(FolderTest, AnUnreadableFileFailsAndTheWalkGoesOn)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const QString locked = directory.filePath(QStringLiteral("1.png"));
    const QString open = directory.filePath(QStringLiteral("2.png"));
    WritePicture(locked, 3, 3, "PNG");
    WritePicture(open, 4, 4, "PNG");
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    const ProgramRun run =
        RunInfo({QStringLiteral("--recursive"), QStringLiteral("--json-lines"), directory.path()},
                QStringLiteral("C.UTF-8"), veltra::test::Permissions::ModesBind);
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    const std::vector<QJsonObject> objects = ParseLines(run.out);
    ASSERT_EQ(PathsOf(objects), QStringList({locked, open}));
    EXPECT_EQ(objects[0].value(QStringLiteral("reason")).toString(),
              QStringLiteral("access_denied"));
    EXPECT_EQ(objects[1].value(QStringLiteral("width")).toInt(), 4);
}

TEST(FolderTest, SummaryCountsFormatsAndFilesThatDeserveASecondLook)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const QDir root(directory.path());
    WritePicture(root.filePath(QStringLiteral("1.png")), 8, 8, "PNG");
    WritePicture(root.filePath(QStringLiteral("2.jpg")), 8, 8, "JPEG");
    WritePicture(root.filePath(QStringLiteral("3.jpg")), 8, 8, "JPEG");
    // A PNG under a JPEG's name, and a JPEG with a ZIP archive after its end.
    const QString lying = root.filePath(QStringLiteral("4.jpg"));
    WritePicture(lying, 8, 8, "PNG");
    const QString hiding = root.filePath(QStringLiteral("5.jpg"));
    WritePicture(hiding, 8, 8, "JPEG");
    QFile appended(hiding);
    ASSERT_TRUE(appended.open(QIODevice::Append));
    appended.write(QByteArray("PK\x03\x04", 4) + QByteArray(60, 'z'));
    appended.close();
    QFile text(root.filePath(QStringLiteral("6.txt")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("no picture\n");
    text.close();

    const ProgramRun run = RunInfo({QStringLiteral("--summary-only"), QStringLiteral("--json"),
                                    QStringLiteral("-r"), root.path()});
    EXPECT_EQ(run.exitCode, 1);
    const QJsonObject summary = QJsonDocument::fromJson(run.out.toUtf8())
                                    .object()
                                    .value(QStringLiteral("summary"))
                                    .toObject();
    EXPECT_EQ(summary.value(QStringLiteral("files")).toInt(), 6);
    EXPECT_EQ(summary.value(QStringLiteral("failed")).toInt(), 1);
    const QJsonObject formats = summary.value(QStringLiteral("formats")).toObject();
    EXPECT_EQ(formats.value(QStringLiteral("png")).toInt(), 2);
    EXPECT_EQ(formats.value(QStringLiteral("jpeg")).toInt(), 3);
    const QJsonObject looks = summary.value(QStringLiteral("second_look")).toObject();
    EXPECT_EQ(looks.value(QStringLiteral("name.extension"))[QStringLiteral("files")].toArray(),
              QJsonArray({lying}));
    EXPECT_EQ(
        looks.value(QStringLiteral("trailing_data.after_end"))[QStringLiteral("files")].toArray(),
        QJsonArray({hiding}));

    // The same in words after the reports, in the locale's language.
    const ProgramRun english =
        RunInfo({QStringLiteral("--summary"), QStringLiteral("-r"), root.path()},
                QStringLiteral("C.UTF-8"));
    EXPECT_TRUE(
        english.out.contains(QStringLiteral("Summary: 6 files, 5 read, 1 could not be loaded\n")));
    EXPECT_TRUE(english.out.contains(QStringLiteral("  jpeg: 3\n  png: 2\n")));
    EXPECT_TRUE(english.out.contains(QStringLiteral(": extension (1)\n    %1\n").arg(lying)));
    EXPECT_LT(english.out.indexOf(QStringLiteral("==> %1 <==").arg(hiding)),
              english.out.indexOf(QStringLiteral("Summary:")));
}

}  // namespace
