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

// The formats outside the report's table are named in JSON as what they are: a JPEG XL, a JP2,
// a bare JPEG 2000 codestream, and a BigTIFF, which the report calls a TIFF. A JPEG XL upright
// by its codestream's orientation 6 is stored sideways; its Exif's 3 is the orientation listed.
TEST(JsonTest, NamesJpegXlJpeg2000AndBigTiff)
{
    const QString fixtures = QStringLiteral(VELTRA_FIXTURES_DIR);
    const ProgramRun run = RunInfo({QStringLiteral("--json"), QStringLiteral("--analyze"),
                                    fixtures + QStringLiteral("/jxl/jxl_orientation_6_exif_3.jxl"),
                                    fixtures + QStringLiteral("/jxl/jxl_recompressed_jpeg.jxl"),
                                    fixtures + QStringLiteral("/jp2/jp2_exif_xmp.jp2"),
                                    fixtures + QStringLiteral("/jp2/j2c_rgb_8bit.j2k"),
                                    fixtures + QStringLiteral("/bigtiff/bigtiff_rgb_8bit.tif")},
                                   QStringLiteral("en_US.UTF-8"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray objects = QJsonDocument::fromJson(run.out.toUtf8()).array();
    ASSERT_EQ(objects.size(), 5);
    const char* const names[] = {"jxl", "jxl", "jp2", "j2c", "bigtiff"};
    const char* const texts[] = {"未知类型", "未知类型", "未知类型", "未知类型", "tiff"};
    for (qsizetype index = 0; index < objects.size(); ++index) {
        EXPECT_EQ(objects[index][u"type"][u"name"].toString(), QLatin1String(names[index]));
        EXPECT_EQ(objects[index][u"type"][u"text"].toString(), QString::fromUtf8(texts[index]));
        EXPECT_TRUE(objects[index][u"extension_matches"].toBool()) << index;
    }
    const QJsonObject sideways = objects[0].toObject();
    EXPECT_EQ(sideways[u"width"].toInt(), 2);
    EXPECT_EQ(sideways[u"height"].toInt(), 3);
    EXPECT_EQ(sideways[u"stored"][u"width"].toInt(), 3);
    EXPECT_EQ(sideways[u"stored"][u"height"].toInt(), 2);
    EXPECT_EQ(sideways[u"orientation"][u"value"].toInt(), 3);
    EXPECT_EQ(sideways[u"orientation"][u"turn"].toString(), QStringLiteral("Rotate90FlipNone"));
    const QJsonObject orientation = sideways[u"analysis"][u"jpeg_xl"][u"orientation"].toObject();
    EXPECT_EQ(orientation[u"codestream"].toInt(), 6);
    EXPECT_EQ(orientation[u"exif"].toInt(), 3);
    EXPECT_FALSE(orientation[u"agree"].toBool());
    EXPECT_FALSE(
        sideways[u"analysis"][u"jpeg_xl"][u"recompressed_jpeg"][u"jpeg_reconstruction"].toBool());

    const QJsonObject recompressed = objects[1][u"analysis"][u"jpeg_xl"].toObject();
    EXPECT_TRUE(recompressed[u"recompressed_jpeg"][u"jpeg_reconstruction"].toBool());
    const QJsonArray boxes = recompressed[u"metadata_boxes"][u"boxes"].toArray();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0][u"type"].toString(), QStringLiteral("Exif"));
    EXPECT_TRUE(boxes[0][u"brotli"].toBool());
    EXPECT_EQ(objects[3][u"extensions"].toArray(),
              (QJsonArray{QStringLiteral("j2c"), QStringLiteral("j2k"), QStringLiteral("jpc")}));
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

// HEIF and AVIF are named by their picture's codec; the size is upright, the stored size the
// file's own (its container turns it a quarter), the Exif orientation as stored; a file holding
// only an image sequence fails for that reason.
TEST(JsonTest, HeifKindsStoredSizeAndSequenceFailure)
{
    const QString folder = QStringLiteral(VELTRA_FIXTURES_DIR "/heif/");
    const ProgramRun run = RunInfo({QStringLiteral("--json"), folder + QStringLiteral("heic_irot_90_exif_6.heic"),
                                    folder + QStringLiteral("avif_avifenc_10bit.avif"),
                                    folder + QStringLiteral("heif_jpeg_coded.heif"),
                                    folder + QStringLiteral("heic_sequence_only.heic")},
                                   QStringLiteral("C.UTF-8"));
    EXPECT_EQ(run.exitCode, 1);
    const QJsonArray objects = QJsonDocument::fromJson(run.out.toUtf8()).array();
    ASSERT_EQ(objects.size(), 4);
    const QJsonObject heic = objects[0].toObject();
    EXPECT_EQ(heic[u"type"][u"name"].toString(), QStringLiteral("heic"));
    EXPECT_EQ(heic[u"type"][u"text"].toString(), QStringLiteral("未知类型"));
    EXPECT_TRUE(heic[u"extension_matches"].toBool());
    EXPECT_EQ(heic[u"width"].toInt(), 128);
    EXPECT_EQ(heic[u"height"].toInt(), 64);
    EXPECT_EQ(heic[u"stored"][u"width"].toInt(), 64);
    EXPECT_EQ(heic[u"stored"][u"height"].toInt(), 128);
    EXPECT_EQ(heic[u"orientation"][u"value"].toInt(), 6);
    EXPECT_EQ(heic[u"orientation"][u"turn"].toString(), QStringLiteral("Rotate270FlipNone"));
    EXPECT_EQ(objects[1][u"type"][u"name"].toString(), QStringLiteral("avif"));
    EXPECT_EQ(objects[1][u"pixel_format"].toString(), QStringLiteral("48bppRGB"));
    EXPECT_EQ(objects[2][u"type"][u"name"].toString(), QStringLiteral("heif"));
    EXPECT_EQ(objects[3][u"reason"].toString(), QStringLiteral("sequence_only"));
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
    ASSERT_TRUE(process.waitForFinished(-1));
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
