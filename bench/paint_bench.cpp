// Repainting a large photo: every paint composes the picture and rebuilds the report, so a
// window resize or an expose must stay quick even for a 24-megapixel picture.

#include "document/unattended_prompts.h"
#include "document/veltra_doc.h"
#include "imaging/gdiplus.h"

#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// Answers the watermark chooser with one file.
class WatermarkPrompts : public veltra::UnattendedPrompts {
public:
    explicit WatermarkPrompts(QString path) : m_path(std::move(path)) {}
    std::optional<QString> ChooseWatermarkFile() override { return m_path; }

private:
    QString m_path;
};

// A 6000 x 4000 photo-like JPEG, made once per run.
QString LargePhoto(const QTemporaryDir& directory)
{
    const QString path = directory.filePath(QStringLiteral("large.jpg"));
    QImage image(6000, 4000, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, 4000);
    sky.setColorAt(0, QColor(90, 140, 220));
    sky.setColorAt(1, QColor(40, 110, 40));
    painter.fillRect(image.rect(), sky);
    for (int i = 0; i < 400; ++i)
        painter.fillRect((i * 7919) % 6000, (i * 104729) % 4000, 80, 60, QColor::fromHsv(i % 360, 160, 200));
    painter.end();
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    writer.write(image);
    return path;
}

void BM_RepaintLargePhoto(benchmark::State& state)
{
    QTemporaryDir directory;
    veltra::UnattendedPrompts prompts;
    veltra::CVeltraDoc document(prompts);
    document.OnOpenDocument(LargePhoto(directory));
    QImage window(1280, 800, QImage::Format_ARGB32_Premultiplied);
    const QRect client = window.rect();
    for (auto _ : state) {
        QPainter painter(&window);
        document.Draw(&painter, &client);
    }
}
BENCHMARK(BM_RepaintLargePhoto)->Unit(benchmark::kMillisecond);

// With a watermark held, each paint lays it on a fresh copy of the picture first.
void BM_RepaintLargePhotoWithTiledWatermark(benchmark::State& state)
{
    QTemporaryDir directory;
    QImage mark(300, 120, QImage::Format_ARGB32);
    mark.fill(QColor(200, 0, 0, 150));
    const QString markPath = directory.filePath(QStringLiteral("mark.png"));
    mark.save(markPath);
    WatermarkPrompts markPrompts(markPath);
    veltra::CVeltraDoc markedDocument(markPrompts);
    markedDocument.OnOpenDocument(LargePhoto(directory));
    markedDocument.OnWatermarkLoad();
    markedDocument.OnWatermarkTile();
    QImage window(1280, 800, QImage::Format_ARGB32_Premultiplied);
    const QRect client = window.rect();
    for (auto _ : state) {
        QPainter painter(&window);
        markedDocument.Draw(&painter, &client);
    }
}
BENCHMARK(BM_RepaintLargePhotoWithTiledWatermark)->Unit(benchmark::kMillisecond);

void BM_LoadLargePhoto(benchmark::State& state)
{
    QTemporaryDir directory;
    const QString path = LargePhoto(directory);
    veltra::UnattendedPrompts prompts;
    for (auto _ : state) {
        veltra::CVeltraDoc document(prompts);
        document.OnOpenDocument(path);
        benchmark::DoNotOptimize(document.image());
    }
}
BENCHMARK(BM_LoadLargePhoto)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::uintptr_t token = 0;
    const veltra::imaging::GdiplusStartupInput startup;
    veltra::imaging::GdiplusStartup(&token, &startup, nullptr);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
