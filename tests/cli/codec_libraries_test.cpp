// Codec libraries are opened when a file needs them, never at start: a report of a JPEG loads
// none of them, and neither does a report of a JPEG XL or JPEG 2000 file, whose facts come
// from its own headers; decoding one loads its library. Nor does a report load the service's
// pixels' half, and Qt Gui with it, for a JPEG nor for a PNG, a BMP or a TIFF, whose headers
// the service reads as their decoders would. The dynamic linker says which libraries a run loaded
// (LD_DEBUG=files), each under the soname the build found.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

// The libraries the dynamic linker reported loading during one run of veltra-info.
QString LibrariesLoadedBy(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
    environment.remove(QStringLiteral("DISPLAY"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VELTRA_INFO_PROGRAM), arguments);
    process.waitForFinished(120000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().right(300).toStdString();
    return QString::fromUtf8(process.readAllStandardError());
}

TEST(PixelHalfLoading, OnlyWhenAFileNeedsPixels)
{
    const QString jpeg = QStringLiteral(VELTRA_FIXTURES_DIR "/jpeg_exif_orientation_6.jpg");
    const QString png = QStringLiteral(VELTRA_FIXTURES_DIR "/png_rgba_8bit.png");
    const QString bmp = QStringLiteral(VELTRA_FIXTURES_DIR "/bmp_24bit.bmp");
    const QString tiff = QStringLiteral(VELTRA_FIXTURES_DIR "/tiff_rgb_8bit.tif");
    const QStringList reports[] = {{jpeg}, {QStringLiteral("--json"), jpeg},
                                   {QStringLiteral("--analyze"), jpeg}, {png, bmp, tiff}};
    for (const QStringList& report : reports) {
        const QString loaded = LibrariesLoadedBy(report);
        const std::string run = report.join(u' ').toStdString();
        EXPECT_FALSE(loaded.contains(QStringLiteral("veltra-pixels.so"))) << run;
        EXPECT_FALSE(loaded.contains(QStringLiteral("libQt6Gui"))) << run;
    }
    const QString decoded = LibrariesLoadedBy({QStringLiteral("--decode"), jpeg});
    EXPECT_TRUE(decoded.contains(QStringLiteral("veltra-pixels.so")));
    EXPECT_TRUE(decoded.contains(QStringLiteral("libQt6Gui")));
}

struct CodecRow {
    const char* soname;
    const char* fileNeedingIt;
};

class CodecLibraryLoading : public ::testing::TestWithParam<CodecRow> {};

TEST_P(CodecLibraryLoading, OnlyWhenPixelsOfAFileNeedIt)
{
    const QString soname = QString::fromLatin1(GetParam().soname);
    const QString loaded = QStringLiteral("file=") + soname;
    const QString needing = QStringLiteral(VELTRA_FIXTURES_DIR "/") + GetParam().fileNeedingIt;
    const QString jpeg = QStringLiteral(VELTRA_FIXTURES_DIR "/jpeg_exif_orientation_6.jpg");

    EXPECT_FALSE(LibrariesLoadedBy({jpeg}).contains(loaded));
    EXPECT_FALSE(LibrariesLoadedBy({QStringLiteral("--decode"), QStringLiteral("--analyze"), jpeg})
                     .contains(loaded));
    EXPECT_FALSE(LibrariesLoadedBy({needing}).contains(loaded));
    // The run that decodes shows the check can see the library at all.
    EXPECT_TRUE(LibrariesLoadedBy({QStringLiteral("--decode"), needing}).contains(loaded));
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, CodecLibraryLoading,
    ::testing::Values(CodecRow{VELTRA_JXL_SONAME, "jxl/jxl_orientation_6_exif_3.jxl"},
                      CodecRow{VELTRA_OPENJP2_SONAME, "jp2/jp2_exif_xmp.jp2"}),
    [](const ::testing::TestParamInfo<CodecRow>& info) {
        return std::string(info.param.soname).substr(0, std::string(info.param.soname).find('.'));
    });

}  // namespace
