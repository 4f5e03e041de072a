#include "info/file_kinds.h"

#include <QFileInfo>

#include <array>

namespace veltra::info {

namespace {

struct FileKind {
    const char* contentFormat;
    const char* extensions;  // separated by spaces, the most usual first
};

constexpr std::array<FileKind, 17> kFileKinds{{
    {"jpeg", "jpg jpeg jpe jfif"},
    {"png", "png"},
    {"gif", "gif"},
    {"bmp", "bmp dib"},
    {"tiff", "tif tiff"},
    {"ico", "ico"},
    {"webp", "webp"},
    {"emf", "emf"},
    {"wmf", "wmf"},
    {"pbm", "pbm pnm"},
    {"pgm", "pgm pnm"},
    {"ppm", "ppm pnm"},
    {"xbm", "xbm"},
    {"xpm", "xpm"},
    {"icns", "icns"},
    {"tga", "tga icb vda vst"},
    {"wbmp", "wbmp"},
}};

}  // namespace

QStringList ExtensionsFor(QByteArrayView contentFormat)
{
    for (const FileKind& kind : kFileKinds) {
        if (contentFormat == kind.contentFormat)
            return QString::fromLatin1(kind.extensions).split(u' ');
    }
    return {};
}

bool ExtensionMatches(const QString& fileName, QByteArrayView contentFormat)
{
    // The last suffix only: "photo.png.jpg" is named a JPEG.
    const QString extension = QFileInfo(fileName).suffix().toLower();
    return !extension.isEmpty() && ExtensionsFor(contentFormat).contains(extension);
}

}  // namespace veltra::info
