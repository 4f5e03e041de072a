// veltra-bench: the steps a user waits for on a 24-megapixel photo, timed through the same
// document code the window uses, and the open of a 12-megapixel HEIC and AVIF beside libheif's
// bare decode of the same files in the same process. scripts/bench.sh runs it beside the
// reference tools (djpeg, cjpeg, exiftool) on the same file and prints each target's ratio.
//
//   VELTRA_BENCH_JPEG    the photo to use; without it one is generated that decodes like a
//                        photo (noise and texture: flat colour decodes far faster and hides
//                        the cost)
//   VELTRA_BENCH_HEIC, VELTRA_BENCH_AVIF
//                        the HEIC and AVIF to use; without them heif-enc and avifenc code the
//                        generated picture at 4000 x 3000
//   VELTRA_BENCH_EXPORT  where the export benchmark writes its JPEG (default: a temporary file)
//   VELTRA_BENCH_RAW     a camera raw with a full-size preview (scripts/make_raw_fixtures.py
//                        --large writes one); without it the repository's small DNG
//   VELTRA_BENCH_SHORT   when set, a small generated photo, so a test run only proves that every
//                        benchmark works
//
// Extra commands (not benchmarks), for the script:
//   veltra-bench --write-photo PATH [--orientation N]   writes the generated photo
//   veltra-bench --write-heif-source PATH               writes the 4000 x 3000 picture the
//                                                       HEIC and AVIF are coded from (PNG)
//   veltra-bench --peak-memory                          shows the photo with a tiled watermark
//                                                       and its two neighbours decoded ahead,
//                                                       and prints the peak resident size

#include "document/unattended_prompts.h"
#include "document/veltra_doc.h"
#include "imaging/gdiplus.h"

#include <QStringList>

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <QProcess>

#include <benchmark/benchmark.h>
#include <libheif/heif.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace {

using veltra::CVeltraDoc;

const QSize kWindow(1920, 1080);
const QSize kOtherWindow(1600, 900);

// Answers the choosers with prepared files: the watermark and the export target.
class BenchPrompts : public veltra::UnattendedPrompts {
public:
    std::optional<QString> ChooseWatermarkFile() override { return watermark; }
    std::optional<QString> ChooseExportFile() override { return exportPath; }

    QString watermark;
    QString exportPath;
};

bool ShortRun()
{
    return qEnvironmentVariableIsSet("VELTRA_BENCH_SHORT");
}

// A photo-like picture: smooth light and shade, fine texture and sensor-like noise in every
// channel, so the encoder has real detail to code.
QImage PhotoLikePicture(QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    QRandomGenerator random(20261209);
    const double w = size.width();
    const double h = size.height();
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const double shade = 0.5 + 0.5 * std::sin(x / w * 5.0 + y / h * 3.0);
            const double texture = 18.0 * std::sin(x * 0.21) * std::cos(y * 0.17);
            const auto noise = [&random] { return static_cast<int>(random.bounded(33)) - 16; };
            const auto channel = [](double value) {
                return static_cast<int>(std::clamp(value, 0.0, 255.0));
            };
            line[x] = qRgb(channel(60 + 150 * shade + texture + noise()),
                           channel(90 + 100 * (1 - shade) + texture + noise()),
                           channel(70 + 120 * (y / h) - texture + noise()));
        }
    }
    return picture;
}

// An Exif APP1 segment that says the picture is stored with the given orientation.
QByteArray OrientationSegment(std::uint16_t orientation)
{
    QByteArray tiff("II\x2A\x00\x08\x00\x00\x00", 8);
    tiff += QByteArray("\x01\x00", 2);                   // one entry
    tiff += QByteArray("\x12\x01\x03\x00\x01\x00\x00\x00", 8);  // Orientation, SHORT, 1
    tiff += static_cast<char>(orientation & 0xFF);
    tiff += static_cast<char>(orientation >> 8);
    tiff += QByteArray(2, '\0');
    tiff += QByteArray(4, '\0');  // no next directory
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment("\xFF\xE1", 2);
    const int length = static_cast<int>(payload.size()) + 2;
    segment += static_cast<char>(length >> 8);
    segment += static_cast<char>(length & 0xFF);
    return segment + payload;
}

// Writes the generated photo at quality 92, with an orientation segment when asked.
bool WritePhoto(const QString& path, std::uint16_t orientation)
{
    const QSize size = ShortRun() ? QSize(600, 400) : QSize(6000, 4000);
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(92);
        if (!writer.write(PhotoLikePicture(size)))
            return false;
    }
    if (orientation > 1)
        jpeg.insert(2, OrientationSegment(orientation));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(jpeg) == jpeg.size();
}

// The picture HEIC and AVIF are coded from: 12 megapixels, photo-like.
QSize HeifSourceSize()
{
    return ShortRun() ? QSize(400, 300) : QSize(4000, 3000);
}

bool WriteHeifSource(const QString& path)
{
    return PhotoLikePicture(HeifSourceSize()).save(path, "PNG");
}

// Codes the source with heif-enc or avifenc as a user's tools would, at their usual quality.
QString Coded(const QTemporaryDir& directory, const QString& source, const QString& name)
{
    const QString target = directory.filePath(name);
    QProcess encoder;
    if (name.endsWith(QLatin1String(".heic")))
        encoder.start(QStringLiteral("heif-enc"), {QStringLiteral("-q"), QStringLiteral("85"),
                                                   QStringLiteral("-o"), target, source});
    else
        encoder.start(QStringLiteral("avifenc"), {QStringLiteral("--jobs"), QStringLiteral("all"),
                                                  QStringLiteral("-s"), QStringLiteral("8"),
                                                  QStringLiteral("-y"), QStringLiteral("420"), source, target});
    encoder.waitForFinished(-1);
    return encoder.exitCode() == 0 ? target : QString();
}

// The photos and the watermark every benchmark shares, made once.
struct Files {
    QTemporaryDir directory;
    QString photo;
    QString photoOrientation6;
    QString heic;
    QString avif;
    QString watermark;
    QString exportPath;
    // Two more copies of the photo under other names: the neighbours of a folder.
    QString neighbour;
    QString otherNeighbour;
};

const Files& SharedFiles()
{
    static Files* files = [] {
        auto* made = new Files;
        const QString given = qEnvironmentVariable("VELTRA_BENCH_JPEG");
        if (!given.isEmpty()) {
            made->photo = given;
            // The same picture stored sideways: the given file with an orientation segment.
            QFile file(given);
            file.open(QIODevice::ReadOnly);
            QByteArray bytes = file.readAll();
            bytes.insert(2, OrientationSegment(6));
            made->photoOrientation6 = made->directory.filePath(QStringLiteral("orient6.jpg"));
            QFile out(made->photoOrientation6);
            out.open(QIODevice::WriteOnly);
            out.write(bytes);
        } else {
            made->photo = made->directory.filePath(QStringLiteral("photo.jpg"));
            made->photoOrientation6 = made->directory.filePath(QStringLiteral("orient6.jpg"));
            WritePhoto(made->photo, 1);
            WritePhoto(made->photoOrientation6, 6);
        }
        QImage mark(300, 120, QImage::Format_ARGB32);
        mark.fill(Qt::transparent);
        QPainter painter(&mark);
        painter.setBrush(QColor(200, 30, 30, 150));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(mark.rect(), 30, 30);
        painter.end();
        made->watermark = made->directory.filePath(QStringLiteral("mark.png"));
        mark.save(made->watermark, "PNG");
        made->neighbour = made->directory.filePath(QStringLiteral("neighbour.jpg"));
        made->otherNeighbour = made->directory.filePath(QStringLiteral("other_neighbour.jpg"));
        QFile::copy(made->photo, made->neighbour);
        QFile::copy(made->photo, made->otherNeighbour);
        made->heic = qEnvironmentVariable("VELTRA_BENCH_HEIC");
        made->avif = qEnvironmentVariable("VELTRA_BENCH_AVIF");
        if (made->heic.isEmpty() || made->avif.isEmpty()) {
            const QString source = made->directory.filePath(QStringLiteral("heif_source.png"));
            WriteHeifSource(source);
            if (made->heic.isEmpty())
                made->heic = Coded(made->directory, source, QStringLiteral("photo.heic"));
            if (made->avif.isEmpty())
                made->avif = Coded(made->directory, source, QStringLiteral("photo.avif"));
        }
        made->exportPath = qEnvironmentVariable("VELTRA_BENCH_EXPORT");
        if (made->exportPath.isEmpty())
            made->exportPath = made->directory.filePath(QStringLiteral("export.jpg"));
        return made;
    }();
    return *files;
}

void Paint(CVeltraDoc& document, QImage& window)
{
    QPainter painter(&window);
    const QRect client = window.rect();
    document.Draw(&painter, &client);
}

// Paints until the document stops asking for more, as the window would: a report that turns
// the picture asks for one more paint to show it upright.
void PaintUntilSettled(CVeltraDoc& document, QImage& window)
{
    bool asked = true;
    const auto connection =
        QObject::connect(&document, &CVeltraDoc::viewsUpdateRequested, [&asked] { asked = true; });
    for (int paints = 0; asked && paints < 4; ++paints) {
        asked = false;
        Paint(document, window);
    }
    QObject::disconnect(connection);
}

// Time to the first picture: the open and the paints until the picture shows upright.
void OpenAndShow(benchmark::State& state, const QString& path)
{
    QImage window(kWindow, QImage::Format_ARGB32_Premultiplied);
    BenchPrompts prompts;
    for (auto _ : state) {
        auto document = std::make_unique<CVeltraDoc>(prompts);
        if (!document->OnOpenDocument(path) || !document->image()) {
            state.SkipWithError("the photo could not be opened");
            return;
        }
        PaintUntilSettled(*document, window);
        benchmark::DoNotOptimize(window.constBits());
        // Releasing the picture is not part of the wait.
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
}

// Time to the first picture in a window of a known size: the open and the paints until the
// picture shows, drawn from the copy decoded at the size it is shown. Its pixels follow on the
// service's thread; they are waited for outside the timing, so that the next open does not
// find that thread busy.
void FirstPictureInWindow(benchmark::State& state, const QString& path)
{
    QImage window(kWindow, QImage::Format_ARGB32_Premultiplied);
    BenchPrompts prompts;
    for (auto _ : state) {
        auto document = std::make_unique<CVeltraDoc>(prompts);
        document->SetViewSize(kWindow);
        if (!document->OnOpenDocument(path) || !document->image()) {
            state.SkipWithError("the photo could not be opened");
            return;
        }
        PaintUntilSettled(*document, window);
        benchmark::DoNotOptimize(window.constBits());
        state.PauseTiming();
        veltra::imaging::WaitForDecodeAhead();
        document.reset();
        state.ResumeTiming();
    }
}

void BM_FirstPicture(benchmark::State& state)
{
    FirstPictureInWindow(state, SharedFiles().photo);
}

// Stepping to the next picture of a folder, decoded ahead as the window asks after each open:
// from the command to the painted picture.
void BM_Flip(benchmark::State& state)
{
    QImage window(kWindow, QImage::Format_ARGB32_Premultiplied);
    BenchPrompts prompts;
    CVeltraDoc document(prompts);
    document.SetViewSize(kWindow);
    QString shown = SharedFiles().neighbour;
    QString next = SharedFiles().otherNeighbour;
    document.OnOpenDocument(shown);
    PaintUntilSettled(document, window);
    for (auto _ : state) {
        state.PauseTiming();
        veltra::imaging::DecodeFilesAheadForView({next}, kWindow);
        veltra::imaging::WaitForDecodeAhead();
        state.ResumeTiming();
        if (!document.OnOpenDocument(next) || !document.image()) {
            state.SkipWithError("the photo could not be opened");
            return;
        }
        PaintUntilSettled(document, window);
        benchmark::DoNotOptimize(window.constBits());
        state.PauseTiming();
        // The short run's small photo fits the window and is drawn from its pixels.
        bool standIn = false;
        veltra::imaging::GetImageShownFromStandIn(document.image(), &standIn);
        if (!standIn && !ShortRun())
            state.SkipWithError("the neighbour was not shown from its copy decoded ahead");
        veltra::imaging::WaitForDecodeAhead();
        std::swap(shown, next);
        state.ResumeTiming();
    }
}

void BM_Open(benchmark::State& state)
{
    OpenAndShow(state, SharedFiles().photo);
}

void BM_OpenOrientation6(benchmark::State& state)
{
    OpenAndShow(state, SharedFiles().photoOrientation6);
}

void BM_OpenHeic(benchmark::State& state)
{
    OpenAndShow(state, SharedFiles().heic);
}

void BM_OpenAvif(benchmark::State& state)
{
    OpenAndShow(state, SharedFiles().avif);
}

// What libheif alone takes for the same file, in this process and with the same settings (its
// own thread counts: neither this nor the imaging service sets them): the file read, its boxes
// parsed and its primary picture decoded to interleaved 8-bit RGB.
void BareHeifDecode(benchmark::State& state, const QString& path)
{
    QFile file(path);
    for (auto _ : state) {
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("the file could not be read");
            return;
        }
        const QByteArray bytes = file.readAll();
        file.close();
        heif_context* context = heif_context_alloc();
        heif_image_handle* handle = nullptr;
        heif_image* image = nullptr;
        const bool decoded =
            heif_context_read_from_memory_without_copy(context, bytes.constData(), std::size_t(bytes.size()),
                                                       nullptr).code == heif_error_Ok &&
            heif_context_get_primary_image_handle(context, &handle).code == heif_error_Ok &&
            heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code ==
                heif_error_Ok;
        if (image) {
            int stride = 0;
            benchmark::DoNotOptimize(heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride));
            heif_image_release(image);
        }
        if (handle)
            heif_image_handle_release(handle);
        heif_context_free(context);
        if (!decoded) {
            state.SkipWithError("libheif could not decode the file");
            return;
        }
    }
}

void BM_BareHeic(benchmark::State& state)
{
    BareHeifDecode(state, SharedFiles().heic);
}

void BM_BareAvif(benchmark::State& state)
{
    BareHeifDecode(state, SharedFiles().avif);
}

enum class Watermark { None, Fit, Tile };

// A document showing the photo, with the watermark mode asked for, painted once already.
struct Shown {
    BenchPrompts prompts;
    CVeltraDoc document{prompts};
    QImage window{kWindow, QImage::Format_ARGB32_Premultiplied};

    explicit Shown(Watermark watermark)
    {
        const Files& files = SharedFiles();
        prompts.watermark = files.watermark;
        prompts.exportPath = files.exportPath;
        document.SetViewSize(kWindow);
        document.OnOpenDocument(files.photo);
        if (watermark != Watermark::None)
            document.OnWatermarkLoad();  // show and fit
        if (watermark == Watermark::Tile)
            document.OnWatermarkTile();
        PaintUntilSettled(document, window);
        // Steady state: the pixels decoded, the window drawn from them.
        veltra::imaging::WaitForDecodeAhead();
        PaintUntilSettled(document, window);
    }
};

void SteadyRepaint(benchmark::State& state, Watermark watermark)
{
    Shown shown(watermark);
    for (auto _ : state) {
        Paint(shown.document, shown.window);
        benchmark::DoNotOptimize(shown.window.constBits());
    }
}

void BM_PaintPlain(benchmark::State& state)
{
    SteadyRepaint(state, Watermark::None);
}

void BM_PaintFit(benchmark::State& state)
{
    SteadyRepaint(state, Watermark::Fit);
}

void BM_PaintTile(benchmark::State& state)
{
    SteadyRepaint(state, Watermark::Tile);
}

// The first paint at a new window size: the sizes alternate, so every paint meets a new one.
void BM_PaintResize(benchmark::State& state)
{
    Shown shown(Watermark::Tile);
    QImage other(kOtherWindow, QImage::Format_ARGB32_Premultiplied);
    bool useOther = true;
    for (auto _ : state) {
        Paint(shown.document, useOther ? other : shown.window);
        useOther = !useOther;
        benchmark::DoNotOptimize(other.constBits());
    }
}

// The export: the composition with a tiled watermark, encoded at quality 100 to a file.
void BM_ExportTile(benchmark::State& state)
{
    Shown shown(Watermark::Tile);
    for (auto _ : state) {
        shown.document.OnFileSaveJpeg();
    }
    if (!QFile::exists(SharedFiles().exportPath))
        state.SkipWithError("the export wrote no file");
}

QString RawFile()
{
    const QString given = qEnvironmentVariable("VELTRA_BENCH_RAW");
    return given.isEmpty() ? QStringLiteral(VELTRA_BENCH_SMALL_RAW) : given;
}

// A camera raw opened in the window: the first picture a user sees, its embedded preview
// while the raw is developed on the service's thread (waited for outside the timing).
void BM_FirstPictureRaw(benchmark::State& state)
{
    FirstPictureInWindow(state, RawFile());
}

// The raw developed whole, as painting at full size, export and print need it, loaded as the
// window and veltra-info load it (mapped).
void BM_DevelopRaw(benchmark::State& state)
{
    namespace imaging = veltra::imaging;
    const imaging::LoadOptions mapped{.decodeAhead = false, .viewSize = QSize(), .mapFile = true};
    for (auto _ : state) {
        imaging::GpBitmap* bitmap = nullptr;
        if (imaging::CreateBitmapFromFileWithOptions(RawFile(), mapped, &bitmap) != imaging::Ok ||
            imaging::GdipImageForceDecode(bitmap) != imaging::Ok) {
            state.SkipWithError("the raw could not be developed");
            imaging::GdipDisposeImage(bitmap);
            return;
        }
        state.PauseTiming();
        imaging::GdipDisposeImage(bitmap);
        state.ResumeTiming();
    }
}

BENCHMARK(BM_FirstPicture)->Name("FirstPicture/jpeg24mp_1920x1080")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Flip)->Name("Flip/jpeg24mp")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open)->Name("Open/jpeg24mp")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenOrientation6)->Name("Open/jpeg24mp_orient6")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenHeic)->Name("Open/heic12mp")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareHeic)->Name("Reference/heif_decode_image/heic12mp")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAvif)->Name("Open/avif12mp")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareAvif)->Name("Reference/heif_decode_image/avif12mp")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintPlain)->Name("Paint/jpeg24mp/plain")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintFit)->Name("Paint/jpeg24mp/fit")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintTile)->Name("Paint/jpeg24mp/tile")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintResize)->Name("Paint/jpeg24mp/resize")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportTile)->Name("Export/jpeg24mp/tile")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPictureRaw)->Name("FirstPicture/raw24mp")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DevelopRaw)->Name("Develop/raw24mp")->Unit(benchmark::kMillisecond);

// Shows the photo with a tiled watermark once and prints the peak resident set in kilobytes.
int PeakMemory()
{
    {
        Shown shown(Watermark::Tile);
        // As the window does after each open: the two neighbours decoded ahead.
        veltra::imaging::DecodeFilesAheadForView(
            {SharedFiles().neighbour, SharedFiles().otherNeighbour}, kWindow);
        veltra::imaging::WaitForDecodeAhead();
        Paint(shown.document, shown.window);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", usage.ru_maxrss);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::uintptr_t token = 0;
    const veltra::imaging::GdiplusStartupInput startup;
    veltra::imaging::GdiplusStartup(&token, &startup, nullptr);

    if (argc >= 3 && std::strcmp(argv[1], "--write-photo") == 0) {
        const int orientation = argc >= 5 && std::strcmp(argv[3], "--orientation") == 0
                                    ? std::atoi(argv[4])
                                    : 1;
        return WritePhoto(QString::fromLocal8Bit(argv[2]),
                          static_cast<std::uint16_t>(orientation))
                   ? 0
                   : 1;
    }
    if (argc >= 3 && std::strcmp(argv[1], "--write-heif-source") == 0)
        return WriteHeifSource(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    if (argc >= 2 && std::strcmp(argv[1], "--peak-memory") == 0)
        return PeakMemory();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
