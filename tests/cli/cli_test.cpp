// veltra-info as a user runs it: output, errors and exit statuses.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "cli/program_run.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

using veltra::test::ProgramRun;
using veltra::test::RunInfo;

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(directory.isValid());
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(QColor(10, 200, 30));
        picture.setDotsPerMeterX(3780);  // Qt writes these as the pHYs chunk
        picture.setDotsPerMeterY(3780);
        pngPath = directory.filePath(QStringLiteral("plain.png"));
        ASSERT_TRUE(picture.save(pngPath, "PNG"));
        textPath = directory.filePath(QStringLiteral("notes.jpg"));
        QFile text(textPath);
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("not a picture at all\n");
    }

    QTemporaryDir directory;
    QString pngPath;
    QString textPath;
};

// A PNG that Qt writes with 8-bit RGB and one metadata chunk, pHYs at 3780 dots per metre
// (96.012 dpi): every line is known.
constexpr char kPlainPngReport[] =
    "文件类型：png\n尺寸：64x48\n像素格式：24bppRGB\nDPI：96x96 - 非JPG仅供参考\n"
    "其它属性：\n PixelUnit:1\n PixelPerUnitX:3780\n PixelPerUnitY:3780\n";

TEST_F(CliTest, OneFilePrintsTheReportWithOneClosingLineBreak)
{
    const ProgramRun run = RunInfo({pngPath});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QString::fromUtf8(kPlainPngReport));
    EXPECT_TRUE(run.err.isEmpty());
}

TEST_F(CliTest, SeveralFilesAreHeadedAndSeparatedAsHeadDoes)
{
    const ProgramRun run = RunInfo({pngPath, pngPath});
    EXPECT_EQ(run.exitCode, 0);
    const QString report = QString::fromUtf8(kPlainPngReport);
    EXPECT_EQ(run.out, QStringLiteral("==> %1 <==\n%2\n==> %1 <==\n%2").arg(pngPath, report));
}

TEST_F(CliTest, AFileThatCannotBeLoadedIsReportedAndTheOthersStillPrinted)
{
    const QString missing = directory.filePath(QStringLiteral("missing.png"));
    const ProgramRun run = RunInfo({textPath, pngPath, missing});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, QStringLiteral("%1: 文件加载失败（没有能读取此内容的解码器：text）\n"
                                      "%2: 文件加载失败（文件不存在）\n")
                           .arg(textPath, missing));
    EXPECT_EQ(run.out, QStringLiteral("==> %1 <==\n%2").arg(pngPath, QString::fromUtf8(kPlainPngReport)));
}

TEST_F(CliTest, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(RunInfo({}).exitCode, 2);
    const ProgramRun unknown = RunInfo({QStringLiteral("--bogus"), pngPath});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.out.isEmpty());
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("--bogus")));
}

// The program's own messages follow the locale; the report does not.
TEST_F(CliTest, MessagesInEnglishUnlessTheLocaleIsChinese)
{
    const QString english = QStringLiteral("en_US.UTF-8");
    const ProgramRun failed = RunInfo({textPath, pngPath}, english);
    EXPECT_EQ(failed.err,
              QStringLiteral("%1: cannot be loaded (no decoder for this content: text)\n")
                  .arg(textPath));
    EXPECT_TRUE(failed.out.contains(QString::fromUtf8(kPlainPngReport)));
    EXPECT_TRUE(RunInfo({QStringLiteral("--help")}, english).out.startsWith(u"Usage: veltra-info"));
    EXPECT_TRUE(RunInfo({QStringLiteral("--bogus")}, QStringLiteral("C"))
                    .err.startsWith(u"veltra-info: unrecognised option '--bogus'"));
    EXPECT_TRUE(RunInfo({}, QStringLiteral("zh_TW.UTF-8")).err.startsWith(u"veltra-info: 缺少文件参数"));
    EXPECT_TRUE(RunInfo({QStringLiteral("--help")}).out.startsWith(u"用法: veltra-info"));
}

TEST_F(CliTest, HelpAndVersionNeedNoFile)
{
    const ProgramRun help = RunInfo({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("veltra-info")));
    const ProgramRun version = RunInfo({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("veltra-info 1.0")));
}

// The name is not ASCII either, and the locale names no encoding: names are UTF-8 whatever it.
TEST_F(CliTest, ADoubleDashLetsAFileNameStartWithADash)
{
    const QString dashed = directory.filePath(QStringLiteral("-照片.png"));
    ASSERT_TRUE(QFile::copy(pngPath, dashed));
    QDir::setCurrent(directory.path());
    const ProgramRun run =
        RunInfo({QStringLiteral("--"), QStringLiteral("-照片.png")}, QStringLiteral("C"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QString::fromUtf8(kPlainPngReport));
}

// A sideways photo shows its stored orientation with the turn, and the size after the turn
// (exiftool: stored 600 x 450, orientation 6).
TEST(CliCameraFileTest, StoredOrientationSixShowsTheTurnAndTheTurnedSize)
{
    const ProgramRun run =
        RunInfo({QStringLiteral(VELTRA_CAMERA_FILES_DIR "/jpg/orientation/portrait_6.jpg")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("文件类型：jpg\n尺寸：450x600\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("\n旋转标志：6 [Rotate90FlipNone]\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("\n Orientation:6\n")));
}

// Exif 125/2 by 1/2 dots per inch, written as C's printf writes them.
TEST(CliFixtureTest, ExactHalvesOfADotRoundToTheEvenNeighbour)
{
    const ProgramRun run =
        RunInfo({QStringLiteral(VELTRA_FIXTURES_DIR "/jpeg_exif_125_2_by_1_2_inch.jpg")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(QStringLiteral("\nDPI：62x0\n"))) << run.out.toStdString();
}

// veltra-info reads its files and nothing else: a read-only copy stays byte for byte the same.
TEST_F(CliTest, AReadOnlyFileIsLeftAsItWas)
{
    const QString copy = directory.filePath(QStringLiteral("copy.jpg"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELTRA_CAMERA_FILES_DIR "/jpg/gps/DSCN0010.jpg"), copy));
    ASSERT_TRUE(QFile::setPermissions(copy, QFileDevice::ReadOwner));
    QFile before(copy);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray original = before.readAll();
    before.close();
    EXPECT_EQ(RunInfo({QStringLiteral("--decode"), copy}).exitCode, 0);
    QFile after(copy);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), original);
}

// Without --decode the report needs no pixels, so a file whose header is sound but whose
// pixels cannot be decoded is reported; with --decode it fails as a load does.
TEST(CliFixtureTest, DecodeAsksForThePixelsToo)
{
    const QString broken = QStringLiteral(VELTRA_FIXTURES_DIR "/jpeg_pixels_undecodable.jpg");
    const ProgramRun reported = RunInfo({broken});
    EXPECT_EQ(reported.exitCode, 0);
    EXPECT_TRUE(reported.out.startsWith(QStringLiteral("文件类型：jpg\n尺寸：37x21\n")));
    const ProgramRun decoded = RunInfo({QStringLiteral("--decode"), broken});
    EXPECT_EQ(decoded.exitCode, 1);
    EXPECT_EQ(decoded.err, QStringLiteral("%1: 文件加载失败（像素无法解码）\n").arg(broken));
    const ProgramRun sound = RunInfo(
        {QStringLiteral("--decode"), QStringLiteral(VELTRA_FIXTURES_DIR "/jpeg_progressive_4_2_0.jpg")});
    EXPECT_EQ(sound.exitCode, 0);
}

// The libraries the dynamic loader opens for a run of veltra-info, as it reports them.
QString LoadedLibraries(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("libs"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VELTRA_INFO_PROGRAM), arguments);
    process.waitForFinished(120000);
    return QString::fromLocal8Bit(process.readAllStandardError());
}

// libheif (and the three video decoders it brings) is opened only when a HEIF picture's pixels
// are needed: neither a JPEG's report nor a HEIC's facts open it; decoding the HEIC does.
TEST(CodecLibraries, OpenedOnlyForThePixelsThatNeedThem)
{
    const QString heic = QStringLiteral(VELTRA_FIXTURES_DIR "/heif/heic_irot_90_exif_6.heic");
    const QString jpeg = QStringLiteral(VELTRA_FIXTURES_DIR "/jpeg_exif_orientation_6.jpg");
    const QString decodingHeic = LoadedLibraries({QStringLiteral("--decode"), heic});
    if (!decodingHeic.contains(QLatin1String("calling init")))
        GTEST_SKIP() << "the dynamic loader says nothing of what it loads here";
    EXPECT_TRUE(decodingHeic.contains(QLatin1String("libheif"))) << decodingHeic.toStdString();
    EXPECT_FALSE(LoadedLibraries({QStringLiteral("--decode"), jpeg}).contains(QLatin1String("libheif")));
    EXPECT_FALSE(LoadedLibraries({heic}).contains(QLatin1String("libheif")));
}

// LibRaw is opened by the first raw, never by a program that reads no raw. The loader's own
// account of what it maps (LD_DEBUG) says which libraries a run loaded; the raw's run, which
// must name LibRaw, shows the account is read right.
TEST(CliFixtureTest, LibRawIsLoadedByARawAndNeverByAJpeg)
{
    const auto librariesLoaded = [](const QString& file) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VELTRA_INFO_PROGRAM), {QStringLiteral("--decode"), file});
        process.waitForFinished(120000);
        return QString::fromUtf8(process.readAllStandardError());
    };
    const QString jpeg = librariesLoaded(QStringLiteral(VELTRA_FIXTURES_DIR "/jpeg_progressive_4_2_0.jpg"));
    const QString raw = librariesLoaded(QStringLiteral(VELTRA_FIXTURES_DIR "/raw/dng_rggb_orientation_1.dng"));
    EXPECT_TRUE(jpeg.contains(u"libjpeg")) << "the loader's account was not read";
    EXPECT_FALSE(jpeg.contains(u"libraw"));
    EXPECT_TRUE(raw.contains(u"libraw_r.so"));
}

// A report reads a raw's headers only: developing it takes seconds for a large one. The
// program's own count of the raws it developed says so, and --decode shows the count is read.
TEST(CliFixtureTest, ARawIsDevelopedOnlyWhenDecodingIsAsked)
{
    const auto developed = [](const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("veltra.work=true"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VELTRA_INFO_PROGRAM), arguments);
        process.waitForFinished(120000);
        const QRegularExpressionMatch count =
            QRegularExpression(QStringLiteral(R"(raws_developed=(\d+))"))
                .match(QString::fromUtf8(process.readAllStandardError()));
        return count.hasMatch() ? count.captured(1).toInt() : -1;
    };
    const QString raw = QStringLiteral(VELTRA_FIXTURES_DIR "/raw/dng_rggb_orientation_1.dng");
    EXPECT_EQ(developed({raw}), 0);
    EXPECT_EQ(developed({QStringLiteral("--decode"), raw}), 1);
}

// A raw whose sensor data is cut is reported from its headers; decoded, its preview stands in.
TEST(CliFixtureTest, ARawCutInsideItsSensorDataIsReportedAndShowsItsPreview)
{
    const QString cut = QStringLiteral(VELTRA_FIXTURES_DIR "/raw/dng_sensor_data_cut.dng");
    const ProgramRun reported = RunInfo({cut});
    EXPECT_EQ(reported.exitCode, 0);
    EXPECT_TRUE(reported.out.startsWith(QStringLiteral("文件类型：tiff\n尺寸：64x48\n像素格式：48bppRGB\n")))
        << reported.out.toStdString();
    const ProgramRun decoded = RunInfo({QStringLiteral("--decode"), cut});
    EXPECT_EQ(decoded.exitCode, 0);
    EXPECT_TRUE(decoded.err.isEmpty()) << decoded.err.toStdString();
}

}  // namespace
