#pragma once

// Files the tests write into their temporary folders and read back.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

namespace veltra::test {

// Writes the bytes into `dir` and returns the file's full path.
QString WriteBytes(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes);

// Writes `image` into `dir` in the given format and returns the file's full path.
QString WritePicture(const QTemporaryDir& dir, const QString& name, const QImage& image,
                     const char* format = "png");

// The whole file, or nothing when it cannot be read.
QByteArray ReadBytes(const QString& path);

// A picture of one colour, with alpha.
QImage SolidImage(int width, int height, QColor color);

}  // namespace veltra::test
