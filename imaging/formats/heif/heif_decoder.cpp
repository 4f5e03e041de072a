#include "formats/heif/heif_decoder.h"

#include "formats/pixel_budget.h"
#include "imaging/logging.h"
#include "util/shared_library.h"
#include "util/standard_error_to_log.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace veltra::imaging {
namespace {

// The functions of libheif the service calls, typed as its header declares them.
struct HeifLibrary {
    VELTRA_LIBRARY_FUNCTION(heif_init) heif_init;
    VELTRA_LIBRARY_FUNCTION(heif_context_alloc) heif_context_alloc;
    VELTRA_LIBRARY_FUNCTION(heif_context_free) heif_context_free;
    VELTRA_LIBRARY_FUNCTION(heif_context_set_maximum_image_size_limit)
    heif_context_set_maximum_image_size_limit;
    VELTRA_LIBRARY_FUNCTION(heif_context_read_from_memory_without_copy)
    heif_context_read_from_memory_without_copy;
    VELTRA_LIBRARY_FUNCTION(heif_context_get_primary_image_handle)
    heif_context_get_primary_image_handle;
    VELTRA_LIBRARY_FUNCTION(heif_image_handle_release) heif_image_handle_release;
    VELTRA_LIBRARY_FUNCTION(heif_image_handle_get_width) heif_image_handle_get_width;
    VELTRA_LIBRARY_FUNCTION(heif_image_handle_get_height) heif_image_handle_get_height;
    VELTRA_LIBRARY_FUNCTION(heif_decoding_options_alloc) heif_decoding_options_alloc;
    VELTRA_LIBRARY_FUNCTION(heif_decoding_options_free) heif_decoding_options_free;
    VELTRA_LIBRARY_FUNCTION(heif_decode_image) heif_decode_image;
    VELTRA_LIBRARY_FUNCTION(heif_image_get_width) heif_image_get_width;
    VELTRA_LIBRARY_FUNCTION(heif_image_get_height) heif_image_get_height;
    VELTRA_LIBRARY_FUNCTION(heif_image_get_plane_readonly) heif_image_get_plane_readonly;
    VELTRA_LIBRARY_FUNCTION(heif_image_get_bits_per_pixel_range)
    heif_image_get_bits_per_pixel_range;
    VELTRA_LIBRARY_FUNCTION(heif_image_release) heif_image_release;
};

// Opened, resolved and initialised once, by the first thread that needs it; null when the
// library cannot be opened or lacks a function.
const HeifLibrary* Libheif()
{
    static SharedLibrary library(VELTRA_LIBHEIF_SONAME);
    static const std::optional<HeifLibrary> api = []() -> std::optional<HeifLibrary> {
        if (!library.open())
            return std::nullopt;
        HeifLibrary functions{};
        const bool resolved =
            VELTRA_RESOLVE(library, functions, heif_init) &&
            VELTRA_RESOLVE(library, functions, heif_context_alloc) &&
            VELTRA_RESOLVE(library, functions, heif_context_free) &&
            VELTRA_RESOLVE(library, functions, heif_context_set_maximum_image_size_limit) &&
            VELTRA_RESOLVE(library, functions, heif_context_read_from_memory_without_copy) &&
            VELTRA_RESOLVE(library, functions, heif_context_get_primary_image_handle) &&
            VELTRA_RESOLVE(library, functions, heif_image_handle_release) &&
            VELTRA_RESOLVE(library, functions, heif_image_handle_get_width) &&
            VELTRA_RESOLVE(library, functions, heif_image_handle_get_height) &&
            VELTRA_RESOLVE(library, functions, heif_decoding_options_alloc) &&
            VELTRA_RESOLVE(library, functions, heif_decoding_options_free) &&
            VELTRA_RESOLVE(library, functions, heif_decode_image) &&
            VELTRA_RESOLVE(library, functions, heif_image_get_width) &&
            VELTRA_RESOLVE(library, functions, heif_image_get_height) &&
            VELTRA_RESOLVE(library, functions, heif_image_get_plane_readonly) &&
            VELTRA_RESOLVE(library, functions, heif_image_get_bits_per_pixel_range) &&
            VELTRA_RESOLVE(library, functions, heif_image_release);
        if (!resolved)
            return std::nullopt;
        // Registers the decoders built into the library, once for the process.
        if (const heif_error error = functions.heif_init(nullptr); error.code != heif_error_Ok) {
            qCWarning(lcLibraries, "libheif: %s", error.message);
            return std::nullopt;
        }
        return functions;
    }();
    return api ? &*api : nullptr;
}

bool Failed(const heif_error& error, const char* step)
{
    if (error.code == heif_error_Ok)
        return false;
    qCWarning(lcLibraries, "libheif: %s: %s", step, error.message ? error.message : "");
    return true;
}

struct ContextDeleter {
    const HeifLibrary* api;
    void operator()(heif_context* context) const { api->heif_context_free(context); }
};
struct HandleDeleter {
    const HeifLibrary* api;
    void operator()(heif_image_handle* handle) const { api->heif_image_handle_release(handle); }
};
struct ImageDeleter {
    const HeifLibrary* api;
    void operator()(heif_image* image) const { api->heif_image_release(image); }
};
struct OptionsDeleter {
    const HeifLibrary* api;
    void operator()(heif_decoding_options* options) const
    {
        api->heif_decoding_options_free(options);
    }
};
using ImagePointer = std::unique_ptr<heif_image, ImageDeleter>;

// What the decoder is asked for: grey stays grey, colour becomes interleaved RGB(A); with more
// than 8 bits a sample, two bytes a sample.
struct Layout {
    heif_colorspace colourspace;
    heif_chroma chroma;
    heif_channel channel;
};

Layout LayoutFor(const HeifPicture& picture)
{
    const bool deep = picture.bitDepth > 8;
    if (picture.monochrome && !picture.alpha)
        return {heif_colorspace_monochrome, heif_chroma_monochrome, heif_channel_Y};
    if (picture.alpha)
        return {heif_colorspace_RGB,
                deep ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RGBA,
                heif_channel_interleaved};
    // 8-bit colour is asked for with a fourth, opaque byte: the layout that drawing and
    // halving read without converting it first.
    return {heif_colorspace_RGB,
            deep ? heif_chroma_interleaved_RRGGBB_LE : heif_chroma_interleaved_RGBA,
            heif_channel_interleaved};
}

// Samples of `depth` bits scaled to 16 bits, so that the largest value becomes 65535: a table
// of every value, cheaper than a division for each of millions of samples.
std::vector<std::uint16_t> ScaleTo16Table(int depth)
{
    const std::uint32_t largest = (1u << depth) - 1;
    std::vector<std::uint16_t> table(std::size_t(largest) + 1);
    for (std::uint32_t value = 0; value <= largest; ++value)
        table[value] = static_cast<std::uint16_t>((value * 65535u + largest / 2) / largest);
    return table;
}

// The decoded plane as a picture of the service: 8-bit planes are used where libheif put them
// (the picture keeps libheif's image alive until it is released); deeper ones are scaled into
// a picture of 16-bit samples.
QImage ToQImage(const HeifLibrary* api, ImagePointer image, const HeifPicture& picture,
                const Layout& layout)
{
    const int width = api->heif_image_get_width(image.get(), layout.channel);
    const int height = api->heif_image_get_height(image.get(), layout.channel);
    int stride = 0;
    const std::uint8_t* plane =
        api->heif_image_get_plane_readonly(image.get(), layout.channel, &stride);
    if (!plane || width <= 0 || height <= 0 || stride <= 0)
        return {};
    const bool grey = layout.colourspace == heif_colorspace_monochrome;
    if (picture.bitDepth <= 8) {
        QImage::Format format = QImage::Format_Grayscale8;
        if (!grey)
            format = !picture.alpha               ? QImage::Format_RGBX8888
                     : picture.premultipliedAlpha ? QImage::Format_RGBA8888_Premultiplied
                                                  : QImage::Format_RGBA8888;
        if (stride % 4 == 0) {
            heif_image* owned = image.release();
            struct Release {
                const HeifLibrary* api;
                heif_image* image;
            };
            auto* release = new Release{api, owned};
            return QImage(
                plane, width, height, stride, format,
                [](void* info) {
                    auto* held = static_cast<Release*>(info);
                    held->api->heif_image_release(held->image);
                    delete held;
                },
                release);
        }
        // A row length the picture cannot use as it is: copied.
        return QImage(plane, width, height, stride, format).copy();
    }

    // The depth the samples really have, whatever the boxes declared.
    const int depth =
        std::clamp(api->heif_image_get_bits_per_pixel_range(image.get(), layout.channel), 1, 16);
    QImage::Format format = QImage::Format_Grayscale16;
    if (!grey)
        format = !picture.alpha               ? QImage::Format_RGBX64
                 : picture.premultipliedAlpha ? QImage::Format_RGBA64_Premultiplied
                                              : QImage::Format_RGBA64;
    QImage out(width, height, format);
    if (out.isNull())
        return {};
    const int samplesIn = grey ? 1 : picture.alpha ? 4 : 3;
    const std::vector<std::uint16_t> scaled = ScaleTo16Table(depth);
    const std::uint16_t mask = static_cast<std::uint16_t>(scaled.size() - 1);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = plane + std::ptrdiff_t(y) * stride;
        auto* target = reinterpret_cast<std::uint16_t*>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            for (int sample = 0; sample < samplesIn; ++sample) {
                std::uint16_t value = 0;
                std::memcpy(&value, row + (std::ptrdiff_t(x) * samplesIn + sample) * 2, 2);
                *target++ = scaled[value & mask];
            }
            if (samplesIn == 3)
                *target++ = 0xFFFF;
        }
    }
    return out;
}

}  // namespace

GpStatus DecodeHeifPrimary(QByteArrayView file, const HeifPicture& picture,
                           std::uint64_t maxPixelBytes, QImage* pixels)
{
    if (!WithinPixelBudget(picture.decodedSize, maxPixelBytes) ||
        !WithinPixelBudget(picture.storedSize, maxPixelBytes))
        return OutOfMemory;
    // dav1d, which libheif decodes AV1 with, prints every error of a damaged file on standard
    // error itself, and libheif offers no way to give it a logger.
    const StandardErrorToLog messages("libheif");
    const HeifLibrary* api = Libheif();
    if (!api) {
        qCWarning(lcImaging, "HEIF and AVIF pictures cannot be decoded without libheif");
        return UnknownImageFormat;
    }
    const std::unique_ptr<heif_context, ContextDeleter> context(api->heif_context_alloc(),
                                                                ContextDeleter{api});
    if (!context)
        return OutOfMemory;
    // libheif's own bound is a side whose square is the most pixels one picture may have:
    // every picture it decodes, each tile of a grid included, stays within the budget.
    const double budgetPixels = double(maxPixelBytes / 4);
    api->heif_context_set_maximum_image_size_limit(context.get(),
                                                   int(std::min(std::sqrt(budgetPixels), 1e9)));
    if (Failed(api->heif_context_read_from_memory_without_copy(context.get(), file.data(),
                                                               std::size_t(file.size()), nullptr),
               "reading the file"))
        return UnknownImageFormat;
    heif_image_handle* rawHandle = nullptr;
    if (Failed(api->heif_context_get_primary_image_handle(context.get(), &rawHandle),
               "finding the primary picture"))
        return UnknownImageFormat;
    const std::unique_ptr<heif_image_handle, HandleDeleter> handle(rawHandle, HandleDeleter{api});
    const QSize announced(api->heif_image_handle_get_width(handle.get()),
                          api->heif_image_handle_get_height(handle.get()));
    if (announced != picture.decodedSize)
        qCInfo(lcImaging) << "libheif announces" << announced << "where the boxes say"
                          << picture.decodedSize;

    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(
        api->heif_decoding_options_alloc(), OptionsDeleter{api});
    if (!options)
        return OutOfMemory;
    options->convert_hdr_to_8bit = 0;
    const Layout layout = LayoutFor(picture);
    heif_image* rawImage = nullptr;
    if (Failed(api->heif_decode_image(handle.get(), &rawImage, layout.colourspace, layout.chroma,
                                      options.get()),
               "decoding"))
        return UnknownImageFormat;
    QImage decoded = ToQImage(api, ImagePointer(rawImage, ImageDeleter{api}), picture, layout);
    if (decoded.isNull())
        return OutOfMemory;
    *pixels = std::move(decoded);
    return Ok;
}

}  // namespace veltra::imaging
