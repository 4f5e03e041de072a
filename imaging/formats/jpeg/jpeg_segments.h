#pragma once

// Walking a JPEG file's marker segments without touching the entropy-coded data.

#include <QByteArrayView>

#include <cstdint>
#include <functional>

namespace veltra::imaging {

struct JpegSegment {
    std::uint8_t marker = 0;   // the byte after 0xFF
    QByteArrayView payload;    // the bytes after the two length bytes
};

// Calls `visit` for each segment from the start of the file up to the first SOS or EOI, or
// until `visit` returns false. Stops quietly where the marker structure breaks; a segment
// cut off by the end of the file is handed over as far as it goes.
void ForEachJpegSegment(QByteArrayView file, const std::function<bool(const JpegSegment&)>& visit);

}  // namespace veltra::imaging
