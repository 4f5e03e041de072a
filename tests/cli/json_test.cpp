// veltra-info --json says what the text report says, field for field, on the repository's
// real files; its GPS decimals agree with exiftool's.

#include "cli/program_run.h"
#include "support/qt_printers.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <map>

#include <gtest/gtest.h>

namespace {

using veltra::test::ProgramRun;
using veltra::test::RunInfo;

QStringList FilesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        if (!file.endsWith(QLatin1String(".md")) && !file.endsWith(QLatin1String(".txt")))
            files << file;
    }
    files.sort();
    return files;
}

QStringList RepositoryFiles()
{
    QStringList files = FilesUnder(QStringLiteral(VELTRA_CAMERA_FILES_DIR));
    files += FilesUnder(QStringLiteral(VELTRA_FIXTURES_DIR));
    return files;
}

// The text reports of several files, by file, from the "==> FILE <==" headings.
std::map<QString, QString> ReportsByFile(const QString& out)
{
    static const QRegularExpression heading(QStringLiteral("^==> (.*) <==\\n"),
                                            QRegularExpression::MultilineOption);
    std::map<QString, QString> reports;
    QRegularExpressionMatchIterator it = heading.globalMatch(out);
    QRegularExpressionMatch match = it.hasNext() ? it.next() : QRegularExpressionMatch();
    while (match.hasMatch()) {
        const QRegularExpressionMatch next = it.hasNext() ? it.next() : QRegularExpressionMatch();
        // A report ends with its line break; the empty line before the next heading separates.
        const qsizetype end = next.hasMatch() ? next.capturedStart() - 1 : out.size();
        reports[match.captured(1)] = out.mid(match.capturedEnd(), end - match.capturedEnd());
        match = next;
    }
    return reports;
}

// The text report, rebuilt from one JSON object as the window would write it.
QString ReportFromJson(const QJsonObject& facts)
{
    QString report = QStringLiteral("文件类型：") + facts[u"type"][u"text"].toString();
    report += QStringLiteral("\n尺寸：%1x%2").arg(facts[u"width"].toInteger()).arg(facts[u"height"].toInteger());
    report += QStringLiteral("\n像素格式：") + facts[u"pixel_format"].toString();
    report += QStringLiteral("\nDPI：") + facts[u"dpi"][u"text"].toString();
    const QString orientation = facts[u"orientation"][u"text"].toString();
    if (!orientation.isEmpty())
        report += QStringLiteral("\n旋转标志：") + orientation;
    if (facts[u"color_space"].isString())
        report += QStringLiteral("\n颜色空间：") + facts[u"color_space"].toString();
    const QJsonArray properties = facts[u"properties"].toArray();
    if (!properties.isEmpty())
        report += QStringLiteral("\n其它属性：\n");
    for (const QJsonValue& property : properties)
        report += u' ' + property[u"name"].toString() + u':' + property[u"value"].toString() + u'\n';
    if (!report.endsWith(u'\n'))
        report += u'\n';
    return report;
}

TEST(JsonTest, EveryFieldAgreesWithTheTextReport)
{
    const QStringList files = RepositoryFiles();
    ASSERT_GT(files.size(), 100);
    const ProgramRun text = RunInfo(files);
    const ProgramRun json = RunInfo(QStringList{QStringLiteral("--json")} + files);
    EXPECT_EQ(json.exitCode, text.exitCode);
    EXPECT_TRUE(json.err.isEmpty()) << json.err.toStdString();

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonArray objects = document.array();
    ASSERT_EQ(objects.size(), files.size());

    const std::map<QString, QString> reports = ReportsByFile(text.out);
    for (const QJsonValue& value : objects) {
        const QJsonObject facts = value.toObject();
        const QString path = facts[u"path"].toString();
        const auto report = reports.find(path);
        if (facts.contains(u"error")) {
            EXPECT_TRUE(report == reports.end()) << path.toStdString();
            EXPECT_TRUE(text.err.contains(facts[u"error"].toString() + u'\n'));
            EXPECT_TRUE(facts[u"error"].toString().startsWith(path + QStringLiteral(": 文件加载失败（")));
            EXPECT_FALSE(facts[u"reason"].toString().isEmpty());
            continue;
        }
        ASSERT_TRUE(report != reports.end()) << path.toStdString();
        EXPECT_EQ(ReportFromJson(facts), report->second) << path.toStdString();

        // The numbers behind the texts.
        const QJsonObject dpi = facts[u"dpi"].toObject();
        EXPECT_EQ(dpi[u"reference_only"].toBool(), dpi[u"text"].toString().contains(u"仅供参考"));
        const bool quarterTurn = facts[u"orientation"][u"turn"].toString().contains(u"Rotate90") ||
                                 facts[u"orientation"][u"turn"].toString().contains(u"Rotate270");
        EXPECT_EQ(facts[u"stored"][u"width"], facts[quarterTurn ? u"height" : u"width"]);
        for (const QJsonValue& property : facts[u"properties"].toArray()) {
            const qint64 bytes = property[u"raw"].toString().size() / 2;
            const int type = property[u"type_number"].toInt();
            const qint64 elementSize = type == 3 || type == 8 ? 2 : type == 4 || type == 9 ? 4
                                       : type == 5 || type == 10 ? 8 : 1;
            EXPECT_EQ(property[u"count"].toInteger() * elementSize, bytes) << path.toStdString();
        }
    }
}

TEST(JsonTest, StoredAndUprightSizeOfASidewaysPhoto)
{
    const ProgramRun run = RunInfo({QStringLiteral("--json"),
        QStringLiteral(VELTRA_CAMERA_FILES_DIR "/jpg/orientation/portrait_6.jpg")});
    const QJsonObject facts = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(facts[u"width"].toInt(), 450);
    EXPECT_EQ(facts[u"height"].toInt(), 600);
    EXPECT_EQ(facts[u"stored"][u"width"].toInt(), 600);
    EXPECT_EQ(facts[u"stored"][u"height"].toInt(), 450);
    EXPECT_EQ(facts[u"orientation"][u"value"].toInt(), 6);
    EXPECT_EQ(facts[u"orientation"][u"turn"].toString(), QStringLiteral("Rotate90FlipNone"));
    EXPECT_EQ(facts[u"type"][u"name"].toString(), QStringLiteral("jpeg"));
    EXPECT_TRUE(facts[u"extension_matches"].toBool());
}

TEST(JsonTest, ANameThatLiesAndAFileThatFails)
{
    QTemporaryDir directory;
    const QString missing = directory.filePath(QStringLiteral("missing.png"));
    const QString lying = QStringLiteral(VELTRA_FIXTURES_DIR "/png_named_as.jpg");
    const ProgramRun run = RunInfo({QStringLiteral("--json"), lying, missing},
                                   QStringLiteral("en_US.UTF-8"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.isEmpty());
    const QJsonArray objects = QJsonDocument::fromJson(run.out.toUtf8()).array();
    ASSERT_EQ(objects.size(), 2);
    EXPECT_EQ(objects[0][u"type"][u"name"].toString(), QStringLiteral("png"));
    EXPECT_FALSE(objects[0][u"extension_matches"].toBool());
    EXPECT_EQ(objects[0][u"extensions"].toArray(), QJsonArray{QStringLiteral("png")});
    EXPECT_EQ(objects[1].toObject(),
              (QJsonObject{{QStringLiteral("path"), missing},
                           {QStringLiteral("error"), missing + QStringLiteral(": cannot be loaded (no such file)")},
                           {QStringLiteral("reason"), QStringLiteral("not_found")}}));
}

// --analyze adds the findings after the report, in the user's language, or as "analysis".
TEST(JsonTest, AnalysisInTextAndJson)
{
    const QString lying = QStringLiteral(VELTRA_FIXTURES_DIR "/png_named_as.jpg");
    const ProgramRun chinese = RunInfo({QStringLiteral("--analyze"), lying});
    EXPECT_EQ(chinese.exitCode, 0);
    EXPECT_TRUE(chinese.out.contains(QStringLiteral(
        "\n\n分析：\n 名称与内容：内容是 PNG 文件，适合的扩展名：png；文件名的扩展名“jpg”与内容不符\n")))
        << chinese.out.toStdString();
    EXPECT_TRUE(chinese.out.startsWith(RunInfo({lying}).out));
    const ProgramRun english = RunInfo({QStringLiteral("--analyze"), lying}, QStringLiteral("C.UTF-8"));
    EXPECT_TRUE(english.out.contains(QStringLiteral("\nAnalysis:\n Name and content: the content is a PNG file")));

    const ProgramRun json = RunInfo({QStringLiteral("--json"), QStringLiteral("--analyze"), lying});
    const QJsonObject facts = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_FALSE(facts[u"analysis"][u"name"][u"extension"][u"matches"].toBool(true));
    EXPECT_TRUE(facts[u"analysis"][u"trailing_data"][u"none"].isObject());
    EXPECT_FALSE(RunInfo({QStringLiteral("--json"), lying}).out.contains(u"analysis"));
}

// exiftool's -n values are the reference: signed decimal degrees and metres.
TEST(JsonTest, GpsDecimalsAgreeWithExiftool)
{
    const QString exiftool = QStandardPaths::findExecutable(QStringLiteral("exiftool"));
    if (exiftool.isEmpty())
        GTEST_SKIP() << "exiftool is not installed";
    QStringList files = FilesUnder(QStringLiteral(VELTRA_CAMERA_FILES_DIR "/jpg/gps"));
    if (QDir(QStringLiteral(VELTRA_CORPUS_DIR)).exists())
        files += FilesUnder(QStringLiteral(VELTRA_CORPUS_DIR));

    QProcess process;
    process.start(exiftool, QStringList{QStringLiteral("-j"), QStringLiteral("-n"),
                                        QStringLiteral("-Composite:GPSLatitude"),
                                        QStringLiteral("-Composite:GPSLongitude"),
                                        QStringLiteral("-Composite:GPSAltitude")} + files);
    ASSERT_TRUE(process.waitForFinished(120000));
    std::map<QString, QJsonObject> reference;
    for (const QJsonValue& value : QJsonDocument::fromJson(process.readAllStandardOutput()).array())
        reference[value[u"SourceFile"].toString()] = value.toObject();

    const ProgramRun run = RunInfo(QStringList{QStringLiteral("--json")} + files);
    // One file gives one object, several an array of them.
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8());
    const QJsonArray objects = document.isArray() ? document.array() : QJsonArray{document.object()};
    int compared = 0;
    for (const QJsonValue& value : objects) {
        const QJsonObject& expected = reference[value[u"path"].toString()];
        const QJsonValue gps = value[u"gps"];
        for (const auto& [ours, theirs] : {std::pair{u"latitude", u"GPSLatitude"},
                                           std::pair{u"longitude", u"GPSLongitude"},
                                           std::pair{u"altitude", u"GPSAltitude"}}) {
            EXPECT_EQ(gps[ours].isDouble(), expected[theirs].isDouble())
                << value[u"path"].toString().toStdString() << " " << QStringView(ours).toString().toStdString();
            if (gps[ours].isDouble() && expected[theirs].isDouble()) {
                EXPECT_NEAR(gps[ours].toDouble(), expected[theirs].toDouble(), 1e-6);
                ++compared;
            }
        }
    }
    EXPECT_GE(compared, 2);
}

// A raw in a TIFF container is a "tiff" in the report and names its own format in the JSON;
// its size is the developed picture's, upright, and the stored one the sensor's area.
TEST(JsonTest, ACameraRawNamesItsFormat)
{
    const ProgramRun run = RunInfo({QStringLiteral("--json"),
        QStringLiteral(VELTRA_FIXTURES_DIR "/raw/dng_rggb_orientation_8.dng")});
    const QJsonObject facts = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(facts[u"type"][u"name"].toString(), QStringLiteral("dng"));
    EXPECT_EQ(facts[u"type"][u"text"].toString(), QStringLiteral("tiff"));
    EXPECT_EQ(facts[u"pixel_format"].toString(), QStringLiteral("48bppRGB"));
    EXPECT_EQ(facts[u"width"].toInt(), 48);
    EXPECT_EQ(facts[u"height"].toInt(), 64);
    EXPECT_EQ(facts[u"stored"][u"width"].toInt(), 64);
    EXPECT_EQ(facts[u"orientation"][u"value"].toInt(), 8);
    EXPECT_TRUE(facts[u"extension_matches"].toBool());
}

}  // namespace
