#pragma once

#include <QByteArrayView>
#include <QImage>

#include <optional>

namespace veltra::imaging {

// Qt 6.4 decodes a 16-bit RGB PNG that marks one colour transparent (a tRNS chunk) into wrong
// colours. For such a file this decodes the picture without its tRNS chunk and makes the key
// colour transparent itself; for every other file it gives nothing and Qt decodes as usual.
std::optional<QImage> DecodeColourKeyedRgb16Png(QByteArrayView file);

}  // namespace veltra::imaging
