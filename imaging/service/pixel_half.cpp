#include "service/pixel_half.h"

#include "imaging/logging.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <dlfcn.h>

#include <atomic>

namespace veltra::imaging {
namespace {

std::atomic<const PixelHalf*> g_half{nullptr};

// Where the module lies: beside the program in the build tree, under the library folder once
// installed (the build says where from the program's folder).
QStringList ModuleCandidates()
{
    const QString programFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return {programFolder + QStringLiteral("/" VELTRA_PIXEL_MODULE_NAME),
            programFolder + QStringLiteral("/" VELTRA_PIXEL_MODULE_FROM_PROGRAM)};
}

const PixelHalf* OpenModule()
{
    for (const QString& path : ModuleCandidates()) {
        if (!QFileInfo::exists(path))
            continue;
        // Global, so that the codec libraries it brings find the program's message handlers
        // as they would in a program that links it.
        if (!dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_GLOBAL)) {
            qCWarning(lcImaging, "the pixels' module cannot be opened: %s", dlerror());
            return nullptr;
        }
        const PixelHalf* half = g_half.load();
        if (!half)
            qCWarning(lcImaging, "the pixels' module %s did not start", qPrintable(path));
        return half;
    }
    qCWarning(lcImaging, "the pixels' module %s is not installed", VELTRA_PIXEL_MODULE_NAME);
    return nullptr;
}

}  // namespace

void RegisterPixelHalf(const PixelHalf* half)
{
    g_half.store(half);
}

const PixelHalf* PresentPixelHalf()
{
    return g_half.load();
}

const PixelHalf* Pixels()
{
    if (const PixelHalf* half = g_half.load())
        return half;
    static const PixelHalf* const opened = [] {
        const PixelHalf* half = OpenModule();
        if (half)
            half->prepare();
        return half;
    }();
    return opened;
}

}  // namespace veltra::imaging
