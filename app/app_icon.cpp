#include "app/app_icon.h"

#include <QString>

#include <array>

// The resources live in a static library, so they are registered by hand before first use.
static void RegisterApplicationResources() { Q_INIT_RESOURCE(veltra); }

namespace veltra {

namespace {

// The square sizes the icon is drawn at, smallest first.
constexpr std::array kIconSizes{16, 24, 32, 48, 64, 72, 80, 96, 128, 256};

}  // namespace

QIcon ApplicationIcon()
{
    RegisterApplicationResources();
    QIcon icon;
    for (int size : kIconSizes)
        icon.addFile(QStringLiteral(":/veltra/icons/veltra_%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace veltra
