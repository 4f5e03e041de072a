// Feeds arbitrary bytes through the whole path a user's file takes: the document's load
// (content sniffing, facts, the decoder's header), two reports (the first may turn the
// picture), paints with and without a tiled watermark (which decode the pixels), and the JPEG
// export, all under the service's real limits.

#include "analysis/file_analysis.h"
#include "document/document_prompts.h"
#include "document/veltra_doc.h"
#include "imaging/file_structure.h"
#include "imaging/gdiplus.h"
#include "info/image_facts.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace {

// Answers the watermark chooser with a small picture and the export chooser with a file.
class FuzzPrompts : public veltra::DocumentPrompts {
public:
    void ShowMessage(const QString&, Icon) override {}
    std::optional<veltra::COLORREF> ChooseColor(veltra::COLORREF) override { return std::nullopt; }
    std::optional<QString> ChooseWatermarkFile() override { return watermark; }
    std::optional<QString> ChooseExportFile() override { return exported; }
    QString watermark;
    QString exported;
};

struct Environment {
    Environment()
    {
        static int argc = 1;
        static char name[] = "pipeline_fuzz";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
        std::uintptr_t token = 0;
        veltra::imaging::GdiplusStartupInput startup;
        startup.SuppressBackgroundThread = true;
        veltra::imaging::GdiplusStartup(&token, &startup, nullptr);
        input = directory.filePath(QStringLiteral("input"));
        prompts.exported = directory.filePath(QStringLiteral("exported.jpg"));
        prompts.watermark = directory.filePath(QStringLiteral("mark.png"));
        QImage mark(7, 5, QImage::Format_ARGB32);
        mark.fill(QColor(200, 0, 0, 120));
        mark.save(prompts.watermark);
    }
    std::unique_ptr<QGuiApplication> app;
    QTemporaryDir directory;
    QString input;
    FuzzPrompts prompts;
};

void Paint(veltra::CVeltraDoc& document)
{
    QImage window(160, 120, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&window);
    const QRect client = window.rect();
    document.Draw(&painter, &client);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Environment environment;
    {
        QFile file(environment.input);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    veltra::CVeltraDoc document(environment.prompts);
    document.OnOpenDocument(environment.input);
    QString first;
    QString second;
    document.GetImageInfo(first);
    document.GetImageInfo(second);
    // What --analyze adds: the file's structure walked again, the thumbnail compared.
    if (const std::optional<veltra::info::ImageFacts> facts =
            veltra::info::GatherImageFacts(document.image(), veltra::info::RawValues::Kept)) {
        veltra::imaging::FileStructure structure;
        if (veltra::imaging::ReadFileStructure(environment.input, &structure) == veltra::imaging::Ok) {
            const veltra::analysis::FileAnalysis findings = veltra::analysis::AnalyseFile(
                environment.input, document.image(), *facts, structure);
            veltra::analysis::AnalysisJson(findings, veltra::analysis::Language::English);
        }
    }
    Paint(document);
    document.OnWatermarkLoad();
    document.OnWatermarkTile();
    Paint(document);
    document.OnFileSaveJpeg();
    return 0;
}
