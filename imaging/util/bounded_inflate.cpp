#include "util/bounded_inflate.h"

#include "imaging/work_counters.h"

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

std::optional<QByteArray> InflateZlib(QByteArrayView compressed, qsizetype limit,
                                      InflationBudget& budget)
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

    const qsizetype allowed = std::max<qsizetype>(0, std::min(limit, budget.remaining()));
    QByteArray output;
    constexpr qsizetype kStep = 64 * 1024;
    for (;;) {
        // With no room left, zlib still reads what needs no output (the end of the last
        // block, the checksum): a stream of exactly `allowed` bytes ends there, and one that
        // has more to give stops without giving it.
        const qsizetype room = std::min(kStep, allowed - output.size());
        const qsizetype before = output.size();
        output.resize(before + room);
        stream.next_out = reinterpret_cast<Bytef*>(output.data() + before);
        stream.avail_out = static_cast<uInt>(room);
        const int result = inflate(&stream, Z_NO_FLUSH);
        const qsizetype produced = room - static_cast<qsizetype>(stream.avail_out);
        output.resize(before + produced);
        budget.spend(produced);
        CountWork(Work::InflatedBytes, static_cast<std::uint64_t>(produced));
        if (result == Z_STREAM_END)
            return output;
        if (room == 0)
            return std::nullopt;  // more to come than is allowed
        // Z_BUF_ERROR with output room left means the input ran out before the end.
        if ((result != Z_OK && result != Z_BUF_ERROR) ||
            (stream.avail_in == 0 && stream.avail_out != 0))
            return std::nullopt;
    }
}

}  // namespace veltra::imaging
