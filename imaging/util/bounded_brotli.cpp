#include "util/bounded_brotli.h"

#include <brotli/decode.h>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace veltra::imaging {

std::optional<QByteArray> DecompressBrotli(QByteArrayView compressed, qsizetype limit)
{
    const std::unique_ptr<BrotliDecoderState, void (*)(BrotliDecoderState*)> decoder(
        BrotliDecoderCreateInstance(nullptr, nullptr, nullptr), BrotliDecoderDestroyInstance);
    if (!decoder)
        return std::nullopt;
    auto* next = reinterpret_cast<const std::uint8_t*>(compressed.data());
    std::size_t available = static_cast<std::size_t>(compressed.size());
    QByteArray output;
    // Grown in steps, so that the output never takes much more than it holds.
    constexpr qsizetype kStep = 64 * 1024;
    for (;;) {
        const qsizetype used = output.size();
        const qsizetype room = std::min(kStep, limit - used + 1);
        output.resize(used + room);
        auto* out = reinterpret_cast<std::uint8_t*>(output.data() + used);
        std::size_t outRoom = static_cast<std::size_t>(room);
        const BrotliDecoderResult result = BrotliDecoderDecompressStream(
            decoder.get(), &available, &next, &outRoom, &out, nullptr);
        output.resize(used + room - static_cast<qsizetype>(outRoom));
        if (output.size() > limit)
            return std::nullopt;
        if (result == BROTLI_DECODER_RESULT_SUCCESS)
            return output;
        // Input that ends before the stream does is a truncated stream.
        if (result != BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT)
            return std::nullopt;
    }
}

}  // namespace veltra::imaging
