#include "util/bounded_brotli.h"

#include "util/shared_library.h"

#include <brotli/decode.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

namespace veltra::imaging {
namespace {

// Opened by the first file with compressed metadata (JPEG XL's brob boxes), not at every start.
struct BrotliLibrary {
    VELTRA_LIBRARY_FUNCTION(BrotliDecoderCreateInstance) BrotliDecoderCreateInstance;
    VELTRA_LIBRARY_FUNCTION(BrotliDecoderDestroyInstance) BrotliDecoderDestroyInstance;
    VELTRA_LIBRARY_FUNCTION(BrotliDecoderDecompressStream) BrotliDecoderDecompressStream;
};

const BrotliLibrary* OpenBrotli()
{
    static SharedLibrary library(VELTRA_BROTLIDEC_SONAME);
    static const std::optional<BrotliLibrary> api = []() -> std::optional<BrotliLibrary> {
        BrotliLibrary api{};
        const bool resolved = library.open() &&
                              VELTRA_RESOLVE(library, api, BrotliDecoderCreateInstance) &&
                              VELTRA_RESOLVE(library, api, BrotliDecoderDestroyInstance) &&
                              VELTRA_RESOLVE(library, api, BrotliDecoderDecompressStream);
        return resolved ? std::optional(api) : std::nullopt;
    }();
    return api ? &*api : nullptr;
}

}  // namespace

std::optional<QByteArray> DecompressBrotli(QByteArrayView compressed, qsizetype limit)
{
    const BrotliLibrary* brotli = OpenBrotli();
    if (!brotli)
        return std::nullopt;
    const std::unique_ptr<BrotliDecoderState, void (*)(BrotliDecoderState*)> decoder(
        brotli->BrotliDecoderCreateInstance(nullptr, nullptr, nullptr),
        brotli->BrotliDecoderDestroyInstance);
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
        const BrotliDecoderResult result = brotli->BrotliDecoderDecompressStream(
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
