#include "support/test_files.h"

#include <QFile>
#include <QImageWriter>

#include <gtest/gtest.h>

namespace veltra::test {

QString WriteBytes(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "could not write " << path.toStdString();
    return path;
}

QString WritePicture(const QTemporaryDir& dir, const QString& name, const QImage& image,
                     const char* format)
{
    const QString path = dir.filePath(name);
    QImageWriter writer(path, format);
    if (!writer.write(image))
        ADD_FAILURE() << "could not write " << path.toStdString();
    return path;
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage SolidImage(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

}  // namespace veltra::test
