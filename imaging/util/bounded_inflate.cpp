#include "util/bounded_inflate.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <memory>

namespace veltra::imaging {
namespace {

struct InflateStreamEnd {
    void operator()(z_stream* stream) const { inflateEnd(stream); }
};

}  // namespace

std::optional<QByteArray> InflateZlib(QByteArrayView compressed, qsizetype limit)
{
    if (compressed.size() > std::numeric_limits<uInt>::max())
        return std::nullopt;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return std::nullopt;
    const std::unique_ptr<z_stream, InflateStreamEnd> cleanup(&stream);
    // zlib takes a non-const pointer but does not write through it.
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    stream.avail_in = static_cast<uInt>(compressed.size());

    QByteArray output;
    constexpr qsizetype kStep = 64 * 1024;
    for (;;) {
        // One byte more than the limit is allowed for, so that a stream of exactly `limit`
        // bytes is told apart from a longer one.
        const qsizetype room = std::min(kStep, limit + 1 - output.size());
        if (room <= 0)
            return std::nullopt;
        const qsizetype before = output.size();
        output.resize(before + room);
        stream.next_out = reinterpret_cast<Bytef*>(output.data() + before);
        stream.avail_out = static_cast<uInt>(room);
        const int result = inflate(&stream, Z_NO_FLUSH);
        output.resize(before + room - static_cast<qsizetype>(stream.avail_out));
        if (output.size() > limit)
            return std::nullopt;
        if (result == Z_STREAM_END)
            return output;
        // Z_BUF_ERROR with output room left means the input ran out before the end.
        if (result != Z_OK || (stream.avail_in == 0 && stream.avail_out != 0))
            return std::nullopt;
    }
}

}  // namespace veltra::imaging
