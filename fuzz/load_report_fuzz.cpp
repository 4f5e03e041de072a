// Feeds arbitrary bytes through the whole path a user's file takes: the document's load
// (content sniffing, decoding, metadata) and two reports (the first may turn the picture).

#include "document/unattended_prompts.h"
#include "document/veltra_doc.h"
#include "imaging/gdiplus.h"

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

struct Environment {
    Environment()
    {
        static int argc = 1;
        static char name[] = "load_report_fuzz";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QCoreApplication>(argc, argv);
        std::uintptr_t token = 0;
        const veltra::imaging::GdiplusStartupInput startup;
        veltra::imaging::GdiplusStartup(&token, &startup, nullptr);
        // A few header bytes can promise a picture of gigabytes, which the service accepts;
        // the fuzzer looks for crashes, not for large allocations, so decoding is capped here.
        QImageReader::setAllocationLimit(256);
        path = directory.filePath(QStringLiteral("input"));
    }
    std::unique_ptr<QCoreApplication> app;
    QTemporaryDir directory;
    QString path;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Environment environment;
    {
        QFile file(environment.path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    veltra::UnattendedPrompts prompts;
    veltra::CVeltraDoc document(prompts);
    document.OnOpenDocument(environment.path);
    QString first;
    QString second;
    document.GetImageInfo(first);
    document.GetImageInfo(second);
    return 0;
}
