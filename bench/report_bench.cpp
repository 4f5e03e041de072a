// What reading a camera photo's metadata and building its report costs, next to decoding
// its pixels. The report path must stay far cheaper than the decode.

#include "formats/format_registry.h"
#include "imaging/gdiplus.h"
#include "imaging/image_handles.h"
#include "info/image_report.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>

#include <benchmark/benchmark.h>

namespace {

using namespace veltra::imaging;

const QString kCameraPhoto = QStringLiteral(VELTRA_CORPUS_DIR "/jpg/mobile/HMD_Nokia_8.3_5G.jpg");

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void BM_ReadMetadata(benchmark::State& state)
{
    const QByteArray bytes = ReadAll(kCameraPhoto);
    if (bytes.isEmpty()) {
        state.SkipWithError("camera photo not found");
        return;
    }
    for (auto _ : state) {
        FileFacts facts = ReaderFor(bytes).read(bytes);
        benchmark::DoNotOptimize(facts);
    }
}
BENCHMARK(BM_ReadMetadata)->Unit(benchmark::kMicrosecond);

void BM_ReportOnLoadedPicture(benchmark::State& state)
{
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromFile(kCameraPhoto, &bitmap) != Ok) {
        state.SkipWithError("camera photo not found");
        return;
    }
    ImagePtr image(bitmap);
    for (auto _ : state) {
        QString text;
        veltra::info::GetImageInfo(image.get(), text);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_ReportOnLoadedPicture)->Unit(benchmark::kMicrosecond);

void BM_DecodePixels(benchmark::State& state)
{
    QByteArray bytes = ReadAll(kCameraPhoto);
    if (bytes.isEmpty()) {
        state.SkipWithError("camera photo not found");
        return;
    }
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        QImage image = reader.read();
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_DecodePixels)->Unit(benchmark::kMillisecond);

void BM_LoadWholeFile(benchmark::State& state)
{
    for (auto _ : state) {
        GpBitmap* bitmap = nullptr;
        GdipCreateBitmapFromFile(kCameraPhoto, &bitmap);
        ImagePtr image(bitmap);
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_LoadWholeFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::uintptr_t token = 0;
    const GdiplusStartupInput startup;
    GdiplusStartup(&token, &startup, nullptr);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
