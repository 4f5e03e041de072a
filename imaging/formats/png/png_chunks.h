#pragma once

// Walking a PNG file's chunks.

#include <QByteArrayView>

#include <functional>

namespace veltra::imaging {

struct PngChunk {
    QByteArrayView type;  // four letters
    QByteArrayView data;
};

// Calls `visit` for each chunk after the signature up to IEND, or until `visit` returns
// false. Stops quietly at a chunk whose data runs past the end of the file. CRCs are not
// checked: a wrong checksum does not make a chunk less readable.
void ForEachPngChunk(QByteArrayView file, const std::function<bool(const PngChunk&)>& visit);

}  // namespace veltra::imaging
