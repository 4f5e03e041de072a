// Findings on whole files: small files made here or by the fixture script for each finding, and
// the repository's camera files against what exiftool says of the same facts.

#include "analysis/analysed_files.h"
#include "analysis/c2pa_builders.h"
#include "analysis/file_analysis.h"
#include "imaging/file_structure.h"
#include "imaging/gdiplus.h"
#include "imaging/image_handles.h"
#include "info/image_facts.h"
#include "support/qt_printers.h"
#include "support/test_files.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <zlib.h>

#include <map>

#include <gtest/gtest.h>

namespace veltra::analysis {
namespace {

using namespace c2pa_builders;

QString Fixture(const QString& name)
{
    return QStringLiteral(VELTRA_FIXTURES_DIR "/") + name;
}

// A JPEG's bytes with segments put right after its SOI marker.
QByteArray WithSegments(const QByteArray& jpeg, const std::vector<std::pair<char, QByteArray>>& segments)
{
    QByteArray inserted;
    for (const auto& [marker, payload] : segments)
        inserted += QByteArray("\xFF") + marker + Big16(std::uint16_t(payload.size() + 2)) + payload;
    return jpeg.first(2) + inserted + jpeg.sliced(2);
}

// A PNG's bytes with one more chunk right before IEND.
QByteArray WithChunk(const QByteArray& png, const char* type, const QByteArray& data)
{
    const QByteArray typeAndData = QByteArray(type) + data;
    const auto crc = std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(typeAndData.constData()),
                                         uInt(typeAndData.size())));
    const qsizetype iend = png.size() - 12;
    return png.first(iend) + Big32(std::uint32_t(data.size())) + typeAndData + Big32(crc) +
           png.sliced(iend);
}

TEST(FileAnalysis, NameAgainstContent)
{
    const QJsonObject lying = FindingOf(AnalyseAt(Fixture(QStringLiteral("png_named_as.jpg"))),
                                        Topic::Name, "extension");
    EXPECT_EQ(lying[u"content_format"].toString(), QStringLiteral("png"));
    EXPECT_EQ(lying[u"extension"].toString(), QStringLiteral("jpg"));
    EXPECT_FALSE(lying[u"matches"].toBool());
    EXPECT_TRUE(lying[u"text"].toString().contains(u"does not fit"));

    const QJsonObject bare = FindingOf(AnalyseAt(Fixture(QStringLiteral("jpeg_without_extension"))),
                                       Topic::Name, "extension");
    EXPECT_EQ(bare[u"content_format"].toString(), QStringLiteral("jpeg"));
    EXPECT_FALSE(bare[u"matches"].toBool());
    EXPECT_TRUE(FindingOf(AnalyseAt(Fixture(QStringLiteral("jpeg_3_components.jpg"))), Topic::Name,
                          "extension")[u"matches"].toBool());
}

// Whatever follows a picture's own end is found where it starts, measured and recognised.
TEST(FileAnalysis, DataAfterTheEnd)
{
    QTemporaryDir directory;
    const QByteArray zip = QByteArray("PK\x03\x04\x14\0\0\0\0\0", 10) + QByteArray(16, '\0') +
                           QByteArray("\x05\0\0\0", 4) + "a.txt";
    struct Case {
        const char* fixture;
        QByteArray appended;
        const char* kind;
    };
    const std::vector<Case> cases{
        {"jpeg_3_components.jpg", zip, "zip"},
        {"png_no_phys.png", QByteArray("a note left after the picture\n"), "text"},
        {"gif_one_frame.gif", Big32(24) + QByteArray("ftypmp42") + QByteArray(12, '\0'), "mp4"},
        {"webp_lossless_alpha.webp", QByteArray(300, '\0'), "zeros"},
    };
    for (const Case& c : cases) {
        const QByteArray original = test::ReadBytes(Fixture(QString::fromLatin1(c.fixture)));
        ASSERT_FALSE(original.isEmpty()) << c.fixture;
        const QString path = test::WriteBytes(directory, QString::fromLatin1(c.fixture),
                                              original + c.appended);
        const QJsonObject after = FindingOf(AnalyseAt(path), Topic::TrailingData, "after_end");
        EXPECT_EQ(after[u"offset"].toInteger(), original.size()) << c.fixture;
        EXPECT_EQ(after[u"length"].toInteger(), c.appended.size()) << c.fixture;
        EXPECT_EQ(after[u"kind"].toString(), QLatin1String(c.kind)) << c.fixture;
        // The file as it was has nothing after its end.
        EXPECT_EQ(FindingOf(AnalyseAt(Fixture(QString::fromLatin1(c.fixture))), Topic::TrailingData,
                            "none")[u"length"].toInteger(-1), 0) << c.fixture;
    }

    const QByteArray jpeg = test::ReadBytes(Fixture(QStringLiteral("jpeg_3_components.jpg")));
    const QString cut = test::WriteBytes(directory, QStringLiteral("cut.jpg"), jpeg.first(jpeg.size() - 2));
    EXPECT_FALSE(FindingOf(AnalyseAt(cut), Topic::TrailingData, "end_not_found").isEmpty());
}

TEST(FileAnalysis, AThumbnailOfAnotherPictureIsTold)
{
    const FileAnalysis itself = AnalyseAt(Fixture(QStringLiteral("analysis/thumbnail_of_itself.jpg")));
    const QJsonObject same = FindingOf(itself, Topic::Embedded, "exif_thumbnail");
    EXPECT_EQ(same[u"width"].toInt(), 48);
    EXPECT_TRUE(same[u"agrees"].toBool());
    EXPECT_LT(same[u"mean_difference"].toDouble(), 16.0);
    EXPECT_TRUE(FindingOf(itself, Topic::Consistency, "pixel_dimensions")[u"agrees"].toBool());

    const FileAnalysis edited =
        AnalyseAt(Fixture(QStringLiteral("analysis/thumbnail_of_another_picture.jpg")));
    const QJsonObject other = FindingOf(edited, Topic::Embedded, "exif_thumbnail");
    EXPECT_FALSE(other[u"agrees"].toBool(true));
    EXPECT_GT(other[u"mean_difference"].toDouble(), 40.0);
    EXPECT_TRUE(other[u"text"].toString().contains(u"trace of editing"));
    const QJsonObject dimensions = FindingOf(edited, Topic::Consistency, "pixel_dimensions");
    EXPECT_FALSE(dimensions[u"agrees"].toBool(true));
    EXPECT_EQ(dimensions[u"exif_width"].toInt(), 1920);
}

// cjpeg's files at known qualities: every table gives that quality exactly, and the sampling
// named in the file's name.
TEST(FileAnalysis, HowAJpegWasMade)
{
    for (const int quality : {50, 75, 92, 100}) {
        for (const char* sampling : {"420", "444"}) {
            const QString name = QStringLiteral("analysis/cjpeg_quality_%1_%2.jpg").arg(quality).arg(sampling);
            const FileAnalysis analysis = AnalyseAt(Fixture(name));
            const QJsonArray tables = FindingOf(analysis, Topic::JpegCoding, "quality")[u"tables"].toArray();
            ASSERT_EQ(tables.size(), 2) << name.toStdString();
            for (const QJsonValue& table : tables) {
                EXPECT_TRUE(table[u"standard"].toBool()) << name.toStdString();
                EXPECT_EQ(table[u"quality"].toInt(), quality) << name.toStdString();
            }
            EXPECT_EQ(FindingOf(analysis, Topic::JpegCoding, "subsampling")[u"subsampling"].toString(),
                      QStringLiteral("4:%1").arg(sampling[1] == '2' ? QStringLiteral("2:0") : QStringLiteral("4:4")));
            EXPECT_EQ(FindingOf(analysis, Topic::JpegCoding, "process")[u"process"].toString(),
                      QStringLiteral("baseline"));
        }
    }
    const QJsonArray own = FindingOf(AnalyseAt(Fixture(QStringLiteral("analysis/own_tables_420.jpg"))),
                                     Topic::JpegCoding, "quality")[u"tables"].toArray();
    ASSERT_FALSE(own.isEmpty());
    EXPECT_FALSE(own[0][u"standard"].toBool(true));
    EXPECT_GT(own[0][u"relative_difference"].toDouble(), 0.0);
    EXPECT_EQ(FindingOf(AnalyseAt(Fixture(QStringLiteral("jpeg_progressive_4_2_0.jpg"))),
                        Topic::JpegCoding, "process")[u"process"].toString(),
              QStringLiteral("progressive"));
}

// Tables defined again and again: one estimate for each distinct table, and a flood of
// distinct ones cut short instead of estimated one by one.
TEST(FileAnalysis, RepeatedQuantisationTablesAreEstimatedOnce)
{
    QTemporaryDir directory;
    const QByteArray original = test::ReadBytes(Fixture(QStringLiteral("analysis/cjpeg_quality_75_420.jpg")));
    ASSERT_TRUE(original.startsWith("\xFF\xD8"));
    auto tablesAfterInserting = [&](const QByteArray& segments) {
        const QString path = test::WriteBytes(directory, QStringLiteral("tables.jpg"),
                                              original.left(2) + segments + original.mid(2));
        return FindingOf(AnalyseAt(path), Topic::JpegCoding, "quality")[u"tables"].toArray();
    };
    auto table = [](int id, char step) {
        return QByteArray("\xFF\xDB\x00\x43", 4) + char(id) + QByteArray(64, step);
    };
    const QJsonArray repeated = tablesAfterInserting(table(2, 7).repeated(500));
    ASSERT_EQ(repeated.size(), 3);  // the one inserted, then the file's own two
    EXPECT_EQ(repeated[0][u"table"].toInt(), 2);
    QByteArray distinct;
    for (int step = 1; step <= 100; ++step)
        distinct += table(3, static_cast<char>(step));
    EXPECT_EQ(tablesAfterInserting(distinct).size(), 16);
}

// Content Credentials in a JPEG's APP11 segments with XMP that declares a generative source,
// and in a PNG's caBX chunk: present, named, never called validated.
TEST(FileAnalysis, ProvenanceAsTheFileDeclaresIt)
{
    QTemporaryDir directory;
    const QByteArray xmp =
        "http://ns.adobe.com/xap/1.0/" + QByteArray(1, '\0') +
        "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
        "<rdf:Description xmlns:Iptc4xmpExt='http://iptc.org/std/Iptc4xmpExt/2008-02-29/' "
        "xmlns:xmp='http://ns.adobe.com/xap/1.0/' xmp:CreatorTool='Image Maker 3' "
        "Iptc4xmpExt:DigitalSourceType='http://cv.iptc.org/newscodes/digitalsourcetype/trainedAlgorithmicMedia'/>"
        "</rdf:RDF></x:xmpmeta>";
    std::vector<std::pair<char, QByteArray>> segments{{'\xE1', xmp}};
    for (const QByteArray& part : App11Segments(kStore, 1, 120, 100))
        segments.emplace_back('\xEB', part);
    const QString jpeg = test::WriteBytes(
        directory, QStringLiteral("generated.jpg"),
        WithSegments(test::ReadBytes(Fixture(QStringLiteral("jpeg_3_components.jpg"))), segments));
    const FileAnalysis analysis = AnalyseAt(jpeg);
    const QJsonObject c2pa = FindingOf(analysis, Topic::Provenance, "c2pa");
    EXPECT_TRUE(c2pa[u"present"].toBool());
    EXPECT_FALSE(c2pa[u"validated"].toBool(true));
    EXPECT_EQ(c2pa[u"manifests"].toInt(), 2);
    EXPECT_EQ(c2pa[u"claim_generator"].toString(), QStringLiteral("Photo Editor/4.2 c2pa-rs/0.28"));
    EXPECT_TRUE(c2pa[u"text"].toString().contains(u"read without validation"));
    const QJsonObject source = FindingOf(analysis, Topic::Provenance, "digital_source_type");
    EXPECT_EQ(source[u"term"].toString(), QStringLiteral("trainedAlgorithmicMedia"));
    EXPECT_TRUE(source[u"generative"].toBool());
    EXPECT_TRUE(source[u"text"].toString().contains(u"generated by AI, as the file declares"));
    EXPECT_EQ(FindingOf(analysis, Topic::Provenance, "creator_tool")[u"creator_tool"].toString(),
              QStringLiteral("Image Maker 3"));
    // The same in Chinese.
    EXPECT_TRUE(AnalysisText(analysis, Language::Chinese).contains(u"按文件自己的声明，由 AI 生成"));

    const QString png = test::WriteBytes(
        directory, QStringLiteral("credentials.png"),
        WithChunk(test::ReadBytes(Fixture(QStringLiteral("png_no_phys.png"))), "caBX", kStore));
    EXPECT_EQ(FindingOf(AnalyseAt(png), Topic::Provenance, "c2pa")[u"manifests"].toInt(), 2);
    EXPECT_FALSE(FindingOf(AnalyseAt(Fixture(QStringLiteral("png_no_phys.png"))), Topic::Provenance,
                           "c2pa")[u"present"].toBool(true));
}

TEST(FileAnalysis, DensityAndDates)
{
    const QJsonObject density = FindingOf(
        AnalyseAt(Fixture(QStringLiteral("jpeg_jfif_72_dpi_over_exif_300.jpg"))), Topic::Consistency, "density");
    EXPECT_FALSE(density[u"agrees"].toBool(true));
    EXPECT_EQ(density[u"jfif_dpi_x"].toDouble(), 72.0);
    EXPECT_EQ(density[u"exif_dpi_x"].toDouble(), 300.0);
    // This camera's clock and its GPS disagree by 22 hours (exiftool: 2008:10:22 16:28:39
    // against 2008:10:23 14:27:07.24 UTC).
    const QJsonObject dates = FindingOf(
        AnalyseAt(QStringLiteral(VELTRA_CAMERA_FILES_DIR "/jpg/gps/DSCN0010.jpg")), Topic::Consistency, "dates");
    EXPECT_NEAR(dates[u"hours_apart"].toDouble(), 21.98, 0.01);
    EXPECT_FALSE(dates[u"agrees"].toBool(true));
}

// A camera raw: the sensor as exiftool reads the DNG's sensor directory (its size and
// ActiveArea, 16 bits, CFAPattern 0 1 1 2), the two pictures the script keeps beside it (a
// 16 x 12 thumbnail and a 64 x 48 JPEG preview, both of the mosaicked picture, stored as the
// sensor lies) each showing the picture once turned as it is, and the DNG converted or not
// by whether it keeps the original raw file's name.
TEST(FileAnalysis, CameraRawSensorPreviewsAndDng)
{
    const FileAnalysis turned = AnalyseAt(Fixture(QStringLiteral("raw/dng_rggb_orientation_8.dng")));
    const QJsonObject sensor = FindingOf(turned, Topic::CameraRaw, "sensor");
    EXPECT_EQ(sensor[u"sensor_width"].toInt(), 68);
    EXPECT_EQ(sensor[u"sensor_height"].toInt(), 52);
    EXPECT_EQ(sensor[u"left_margin"].toInt(), 2);
    EXPECT_EQ(sensor[u"visible_width"].toInt(), 64);
    EXPECT_EQ(sensor[u"cfa_pattern"].toString(), QStringLiteral("RGGB"));
    EXPECT_EQ(sensor[u"bits_per_sample"].toInt(), 16);
    EXPECT_EQ(sensor[u"developed_width"].toInt(), 48);
    EXPECT_EQ(FindingOf(turned, Topic::CameraRaw, "camera")[u"model"].toString(),
              QStringLiteral("Fixture Camera"));

    const QJsonArray previews = FindingOf(turned, Topic::Embedded, "raw_previews")[u"previews"].toArray();
    ASSERT_EQ(previews.size(), 2);
    EXPECT_EQ(previews[0][u"location"].toString(), QStringLiteral("IFD0"));
    EXPECT_EQ(previews[0][u"width"].toInt(), 16);
    EXPECT_EQ(previews[1][u"format"].toString(), QStringLiteral("jpeg"));
    EXPECT_EQ(previews[1][u"width"].toInt(), 64);
    EXPECT_TRUE(previews[1][u"offered_by_libraw"].toBool());
    for (const QJsonValue& preview : previews)
        EXPECT_TRUE(preview[u"agrees"].toBool()) << preview[u"mean_difference"].toDouble();
    EXPECT_TRUE(FindingOf(turned, Topic::Embedded, "none").isEmpty());
    // Previews that show the picture are no trace of anything.
    for (const Finding* finding : FindingsOf(turned, Topic::Embedded))
        EXPECT_FALSE(finding->deservesSecondLook()) << finding->key().toStdString();

    const QJsonObject converted = FindingOf(turned, Topic::CameraRaw, "dng");
    EXPECT_EQ(converted[u"version"].toString(), QStringLiteral("1.4.0.0"));
    EXPECT_TRUE(converted[u"converted"].toBool());
    EXPECT_EQ(converted[u"original_raw_file_name"].toString(), QStringLiteral("IMG_0008.CR2"));
    const FileAnalysis upright = AnalyseAt(Fixture(QStringLiteral("raw/dng_rggb_orientation_1.dng")));
    EXPECT_FALSE(FindingOf(upright, Topic::CameraRaw, "dng")[u"converted"].toBool(true));
    // Another file's findings leave the raw topic out.
    EXPECT_TRUE(FindingOf(AnalyseAt(Fixture(QStringLiteral("png_named_as.jpg"))), Topic::CameraRaw, "sensor").isEmpty());
}

// Every Photoshop document of the fixtures as exiftool reads it: PSD or PSB, colour mode, bits,
// channels, whether the merged picture is the real composite, and the layers by name (the
// Unicode name where there is one), hidden ones marked. The merged picture's compression is
// the one the fixture script names in the file's name: exiftool misreads it in a document
// without a layer section.
TEST(FileAnalysis, PhotoshopDocumentsAgreeWithExiftool)
{
    const QString exiftool = QStandardPaths::findExecutable(QStringLiteral("exiftool"));
    if (exiftool.isEmpty())
        GTEST_SKIP() << "exiftool is not installed";
    QStringList files;
    QDirIterator it(Fixture(QStringLiteral("psd")), QDir::Files);
    while (it.hasNext())
        files << it.next();
    QProcess process;
    process.start(exiftool, QStringList{QStringLiteral("-j"), QStringLiteral("-n"),
                                        QStringLiteral("-FileType"), QStringLiteral("-Photoshop:all")} +
                                files);
    ASSERT_TRUE(process.waitForFinished(-1));
    const QJsonArray reference = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
    ASSERT_EQ(reference.size(), files.size());
    // exiftool gives a list of one as the value alone.
    const auto listed = [](const QJsonValue& value) {
        return value.isArray() ? value.toArray() : value.isUndefined() ? QJsonArray() : QJsonArray{value};
    };
    int hiddenSeen = 0;
    int standInSeen = 0;
    for (const QJsonValue& expected : reference) {
        const QString path = expected[u"SourceFile"].toString();
        SCOPED_TRACE(path.toStdString());
        const FileAnalysis analysis = AnalyseAt(path);
        const QJsonObject document = FindingOf(analysis, Topic::Photoshop, "document");
        EXPECT_EQ(document[u"format"].toString().toUpper(), expected[u"FileType"].toString());
        EXPECT_EQ(document[u"colour_mode"].toInt(-1), expected[u"ColorMode"].toInt());
        EXPECT_EQ(document[u"bits_per_channel"].toInt(), expected[u"BitDepth"].toInt());
        EXPECT_EQ(document[u"channels"].toInt(), expected[u"NumChannels"].toInt());

        const QJsonObject merged = FindingOf(analysis, Topic::Photoshop, "merged_picture");
        EXPECT_EQ(merged[u"compression_name"].toString(),
                  path.contains(QLatin1String("_raw")) ? QStringLiteral("raw") : QStringLiteral("rle"));
        const bool real = expected[u"HasRealMergedData"].toInt(1) != 0;
        EXPECT_EQ(merged[u"real_composite"].toBool(true), real);
        standInSeen += real ? 0 : 1;

        const QJsonArray names = listed(expected[u"LayerNames"]);
        const QJsonArray unicodeNames = listed(expected[u"LayerUnicodeNames"]);
        const QJsonArray visibility = listed(expected[u"LayerVisible"]);
        const QJsonObject layers = FindingOf(analysis, Topic::Photoshop, "layers");
        ASSERT_EQ(layers[u"count"].toInt(), names.size());
        int hidden = 0;
        for (qsizetype index = 0; index < names.size(); ++index) {
            const QString unicodeName = unicodeNames[index].toString();
            const QJsonValue layer = layers[u"layers"][index];
            EXPECT_EQ(layer[u"name"].toString(),
                      unicodeName.isEmpty() ? names[index].toString() : unicodeName);
            // Photoshop's flag bit 1 marks a layer that is not shown.
            const bool isHidden = (visibility[index].toInt() & 2) != 0;
            EXPECT_EQ(layer[u"hidden"].toBool(), isHidden);
            hidden += isHidden ? 1 : 0;
        }
        EXPECT_EQ(layers[u"hidden"].toInt(), hidden);
        hiddenSeen += hidden;
        const Finding* layerFinding = nullptr;
        for (const Finding* finding : FindingsOf(analysis, Topic::Photoshop)) {
            if (finding->key() == QLatin1String("layers"))
                layerFinding = finding;
        }
        ASSERT_NE(layerFinding, nullptr);
        EXPECT_EQ(layerFinding->deservesSecondLook(), hidden > 0);
    }
    EXPECT_GT(hiddenSeen, 0);
    EXPECT_GT(standInSeen, 0);

    const QString chinese = AnalysisText(
        AnalyseAt(Fixture(QStringLiteral("psd/psb_rgb_8bit_rle_layers.psb"))), Language::Chinese);
    EXPECT_TRUE(chinese.contains(QStringLiteral("\n Photoshop 文档：3 个图层（自下而上）：“Background”、“文字图层”、“Hidden”（隐藏）")))
        << chinese.toStdString();
}

// The same facts as exiftool reads them, on every real camera file of the repository.
TEST(FileAnalysis, CameraFilesAgreeWithExiftool)
{
    const QString exiftool = QStandardPaths::findExecutable(QStringLiteral("exiftool"));
    if (exiftool.isEmpty())
        GTEST_SKIP() << "exiftool is not installed";
    QStringList files;
    QDirIterator it(QStringLiteral(VELTRA_CAMERA_FILES_DIR), {QStringLiteral("*.jpg"), QStringLiteral("*.tiff")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    QProcess process;
    process.start(exiftool, QStringList{QStringLiteral("-j"), QStringLiteral("-n"), QStringLiteral("-FileType"),
                                        QStringLiteral("-EncodingProcess"), QStringLiteral("-YCbCrSubSampling"),
                                        QStringLiteral("-ThumbnailLength"), QStringLiteral("-Software"),
                                        QStringLiteral("-XMP:CreatorTool"), QStringLiteral("-ProfileDescription"),
                                        QStringLiteral("-ExifImageWidth"), QStringLiteral("-MPF:NumberOfImages")} + files);
    ASSERT_TRUE(process.waitForFinished(-1));
    const QJsonArray reference = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
    ASSERT_EQ(reference.size(), files.size());

    for (const QJsonValue& expected : reference) {
        const QString path = expected[u"SourceFile"].toString();
        SCOPED_TRACE(path.toStdString());
        const QJsonObject findings = AnalysisJson(AnalyseAt(path), Language::English);
        EXPECT_EQ(findings[u"name"][u"extension"][u"content_format"].toString().toUpper(),
                  expected[u"FileType"].toString());
        // Every camera JPEG's end is found.
        if (expected[u"FileType"].toString() == QLatin1String("JPEG")) {
            EXPECT_TRUE(findings[u"trailing_data"][u"end_not_found"].isUndefined());
        }
        if (expected[u"EncodingProcess"].isDouble()) {
            // exiftool numbers the process by its SOF marker: 0 baseline, 2 progressive.
            EXPECT_EQ(findings[u"jpeg"][u"process"][u"marker"].toString(),
                      QStringLiteral("SOF%1").arg(expected[u"EncodingProcess"].toInt()));
        }
        if (expected[u"YCbCrSubSampling"].isString()) {
            const QString factors = expected[u"YCbCrSubSampling"].toString();  // "2 1"
            const QString named = factors == QLatin1String("1 1")   ? QStringLiteral("4:4:4")
                                  : factors == QLatin1String("2 1") ? QStringLiteral("4:2:2")
                                  : factors == QLatin1String("2 2") ? QStringLiteral("4:2:0")
                                                                    : factors;
            EXPECT_EQ(findings[u"jpeg"][u"subsampling"][u"subsampling"].toString(), named);
        }
        if (expected[u"ThumbnailLength"].isDouble()) {
            EXPECT_EQ(findings[u"embedded"][u"exif_thumbnail"][u"bytes"].toInteger(),
                      expected[u"ThumbnailLength"].toInteger());
        }
        if (expected[u"Software"].isString()) {
            EXPECT_EQ(findings[u"provenance"][u"software"][u"software"].toString().trimmed(),
                      expected[u"Software"].toString().trimmed());
        }
        if (expected[u"CreatorTool"].isString()) {
            EXPECT_EQ(findings[u"provenance"][u"creator_tool"][u"creator_tool"].toString(),
                      expected[u"CreatorTool"].toString());
        }
        EXPECT_EQ(findings[u"colour"][u"icc_profile"][u"description"].toString(),
                  expected[u"ProfileDescription"].toString());
        if (expected[u"ExifImageWidth"].isDouble()) {
            EXPECT_EQ(findings[u"consistency"][u"pixel_dimensions"][u"exif_width"].toInteger(),
                      expected[u"ExifImageWidth"].toInteger());
        }
        EXPECT_EQ(findings[u"embedded"][u"mpf"][u"count"].toInt(),
                  expected[u"NumberOfImages"].toInt());
    }
}

}  // namespace

}  // namespace veltra::analysis
