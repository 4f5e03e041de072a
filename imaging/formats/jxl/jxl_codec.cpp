#include "formats/jxl/jxl_codec.h"

#include "imaging/logging.h"
#include "util/shared_library.h"
#include "util/standard_error_to_log.h"

#include <jxl/decode.h>
#include <jxl/thread_parallel_runner.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <optional>

namespace veltra::imaging {
namespace {

struct JxlLibrary {
    VELTRA_LIBRARY_FUNCTION(JxlDecoderCreate) JxlDecoderCreate;
    VELTRA_LIBRARY_FUNCTION(JxlDecoderDestroy) JxlDecoderDestroy;
    VELTRA_LIBRARY_FUNCTION(JxlDecoderSubscribeEvents) JxlDecoderSubscribeEvents;
    VELTRA_LIBRARY_FUNCTION(JxlDecoderSetUnpremultiplyAlpha) JxlDecoderSetUnpremultiplyAlpha;
    VELTRA_LIBRARY_FUNCTION(JxlDecoderSetParallelRunner) JxlDecoderSetParallelRunner;
    VELTRA_LIBRARY_FUNCTION(JxlDecoderSetInput) JxlDecoderSetInput;
    VELTRA_LIBRARY_FUNCTION(JxlDecoderCloseInput) JxlDecoderCloseInput;
    VELTRA_LIBRARY_FUNCTION(JxlDecoderProcessInput) JxlDecoderProcessInput;
    VELTRA_LIBRARY_FUNCTION(JxlDecoderGetBasicInfo) JxlDecoderGetBasicInfo;
    VELTRA_LIBRARY_FUNCTION(JxlDecoderSetPreferredColorProfile) JxlDecoderSetPreferredColorProfile;
    VELTRA_LIBRARY_FUNCTION(JxlDecoderImageOutBufferSize) JxlDecoderImageOutBufferSize;
    VELTRA_LIBRARY_FUNCTION(JxlDecoderSetImageOutBuffer) JxlDecoderSetImageOutBuffer;
};

// Decoding on several threads, when its small library opens too; on one otherwise.
struct JxlThreadsLibrary {
    VELTRA_LIBRARY_FUNCTION(JxlThreadParallelRunner) JxlThreadParallelRunner;
    VELTRA_LIBRARY_FUNCTION(JxlThreadParallelRunnerCreate) JxlThreadParallelRunnerCreate;
    VELTRA_LIBRARY_FUNCTION(JxlThreadParallelRunnerDestroy) JxlThreadParallelRunnerDestroy;
    VELTRA_LIBRARY_FUNCTION(JxlThreadParallelRunnerDefaultNumWorkerThreads)
    JxlThreadParallelRunnerDefaultNumWorkerThreads;
};

const JxlLibrary* OpenJxl()
{
    static SharedLibrary library(VELTRA_JXL_SONAME);
    static const std::optional<JxlLibrary> api = []() -> std::optional<JxlLibrary> {
        JxlLibrary api{};
        const bool resolved = library.open() && VELTRA_RESOLVE(library, api, JxlDecoderCreate) &&
                              VELTRA_RESOLVE(library, api, JxlDecoderDestroy) &&
                              VELTRA_RESOLVE(library, api, JxlDecoderSubscribeEvents) &&
                              VELTRA_RESOLVE(library, api, JxlDecoderSetUnpremultiplyAlpha) &&
                              VELTRA_RESOLVE(library, api, JxlDecoderSetParallelRunner) &&
                              VELTRA_RESOLVE(library, api, JxlDecoderSetInput) &&
                              VELTRA_RESOLVE(library, api, JxlDecoderCloseInput) &&
                              VELTRA_RESOLVE(library, api, JxlDecoderProcessInput) &&
                              VELTRA_RESOLVE(library, api, JxlDecoderGetBasicInfo) &&
                              VELTRA_RESOLVE(library, api, JxlDecoderSetPreferredColorProfile) &&
                              VELTRA_RESOLVE(library, api, JxlDecoderImageOutBufferSize) &&
                              VELTRA_RESOLVE(library, api, JxlDecoderSetImageOutBuffer);
        return resolved ? std::optional(api) : std::nullopt;
    }();
    return api ? &*api : nullptr;
}

const JxlThreadsLibrary* OpenJxlThreads()
{
    static SharedLibrary library(VELTRA_JXL_THREADS_SONAME);
    static const std::optional<JxlThreadsLibrary> api = []() -> std::optional<JxlThreadsLibrary> {
        JxlThreadsLibrary api{};
        const bool resolved =
            library.open() && VELTRA_RESOLVE(library, api, JxlThreadParallelRunner) &&
            VELTRA_RESOLVE(library, api, JxlThreadParallelRunnerCreate) &&
            VELTRA_RESOLVE(library, api, JxlThreadParallelRunnerDestroy) &&
            VELTRA_RESOLVE(library, api, JxlThreadParallelRunnerDefaultNumWorkerThreads);
        return resolved ? std::optional(api) : std::nullopt;
    }();
    return api ? &*api : nullptr;
}

// What libjxl allocates through its memory manager, refused past a limit. (libjxl 0.7 takes
// only its small bookkeeping this way and its image planes from the heap, which is why the
// reader checks the planes' size against the budget before decoding; later versions take
// everything through the manager.)
class CountingMemory {
public:
    explicit CountingMemory(std::size_t limit) : m_limit(limit) {}

    JxlMemoryManager manager() { return JxlMemoryManager{this, Allocate, Free}; }

private:
    // Each block keeps its size just before the address handed out.
    static constexpr std::size_t kHeader = alignof(std::max_align_t);

    static void* Allocate(void* opaque, std::size_t size)
    {
        auto* self = static_cast<CountingMemory*>(opaque);
        const std::size_t before = self->m_used.fetch_add(size);
        if (size > self->m_limit || before > self->m_limit - size) {
            self->m_used.fetch_sub(size);
            qCInfo(lcImaging, "libjxl asked for %zu bytes past its limit of %zu", size,
                   self->m_limit);
            return nullptr;
        }
        auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
        if (!block) {
            self->m_used.fetch_sub(size);
            return nullptr;
        }
        *reinterpret_cast<std::size_t*>(block) = size;
        return block + kHeader;
    }

    static void Free(void* opaque, void* address)
    {
        if (!address)
            return;
        auto* block = static_cast<unsigned char*>(address) - kHeader;
        static_cast<CountingMemory*>(opaque)->m_used.fetch_sub(
            *reinterpret_cast<std::size_t*>(block));
        std::free(block);
    }

    std::size_t m_limit;
    std::atomic<std::size_t> m_used{0};
};

// The layout the pixels are asked for, and the picture that receives them.
struct Output {
    JxlPixelFormat format;
    QImage::Format imageFormat;
};

Output OutputFor(const JxlHeader& header)
{
    const bool deep = header.bitsPerSample > 8;
    const JxlDataType type = deep ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8;
    // Rows of a QImage start on 4-byte boundaries.
    if (header.grey && !header.alpha)
        return {{1, type, JXL_NATIVE_ENDIAN, 4},
                deep ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8};
    if (header.alpha)
        return {{4, type, JXL_NATIVE_ENDIAN, 4},
                deep ? QImage::Format_RGBA64 : QImage::Format_RGBA8888};
    return {{4, type, JXL_NATIVE_ENDIAN, 4},
            deep ? QImage::Format_RGBX64 : QImage::Format_RGBX8888};
}

// Pictures coded in XYB are turned into sRGB; without a preference libjxl would give linear
// light for those that carry an ICC profile, which shows far too dark.
JxlColorEncoding Srgb(bool grey)
{
    JxlColorEncoding encoding{};
    encoding.color_space = grey ? JXL_COLOR_SPACE_GRAY : JXL_COLOR_SPACE_RGB;
    encoding.white_point = JXL_WHITE_POINT_D65;
    encoding.primaries = JXL_PRIMARIES_SRGB;
    encoding.transfer_function = JXL_TRANSFER_FUNCTION_SRGB;
    encoding.rendering_intent = JXL_RENDERING_INTENT_PERCEPTUAL;
    return encoding;
}

QSize UprightSize(const JxlHeader& header)
{
    const QSize stored(static_cast<int>(header.width), static_cast<int>(header.height));
    return header.orientation >= 5 ? stored.transposed() : stored;
}

}  // namespace

GpStatus DecodeJxl(QByteArrayView file, const JxlHeader& header, std::size_t memoryLimit,
                   QImage* pixels)
{
    const JxlLibrary* jxl = OpenJxl();
    if (!jxl)
        return UnknownImageFormat;
    const StandardErrorToLog messages("libjxl");
    // The runner and the memory outlive the decoder that uses them.
    const JxlThreadsLibrary* threads = OpenJxlThreads();
    std::unique_ptr<void, void (*)(void*)> runner(nullptr, [](void*) {});
    if (threads)
        runner = std::unique_ptr<void, void (*)(void*)>(
            threads->JxlThreadParallelRunnerCreate(
                nullptr, threads->JxlThreadParallelRunnerDefaultNumWorkerThreads()),
            threads->JxlThreadParallelRunnerDestroy);
    CountingMemory memory(memoryLimit);
    const JxlMemoryManager manager = memory.manager();
    const std::unique_ptr<JxlDecoder, decltype(jxl->JxlDecoderDestroy)> decoder(
        jxl->JxlDecoderCreate(&manager), jxl->JxlDecoderDestroy);
    if (!decoder)
        return OutOfMemory;
    if (runner)
        jxl->JxlDecoderSetParallelRunner(decoder.get(), threads->JxlThreadParallelRunner,
                                         runner.get());

    const Output output = OutputFor(header);
    QImage image;
    if (jxl->JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING |
                                                          JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS ||
        jxl->JxlDecoderSetUnpremultiplyAlpha(decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS ||
        jxl->JxlDecoderSetInput(decoder.get(), reinterpret_cast<const std::uint8_t*>(file.data()),
                                static_cast<std::size_t>(file.size())) != JXL_DEC_SUCCESS)
        return UnknownImageFormat;
    jxl->JxlDecoderCloseInput(decoder.get());

    for (;;) {
        switch (jxl->JxlDecoderProcessInput(decoder.get())) {
        case JXL_DEC_BASIC_INFO: {
            JxlBasicInfo info;
            if (jxl->JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS)
                return UnknownImageFormat;
            // The decoder must see the picture the report describes. Applying the orientation,
            // it gives the upright size.
            const QSize upright = UprightSize(header);
            if (info.xsize != static_cast<std::uint32_t>(upright.width()) ||
                info.ysize != static_cast<std::uint32_t>(upright.height()) ||
                (info.num_color_channels == 1) != header.grey) {
                qCInfo(lcImaging, "libjxl reads a %ux%u picture; the header says %dx%d upright",
                       info.xsize, info.ysize, upright.width(), upright.height());
                return UnknownImageFormat;
            }
            break;
        }
        case JXL_DEC_COLOR_ENCODING:
            if (header.xybEncoded) {
                const JxlColorEncoding srgb = Srgb(header.grey);
                jxl->JxlDecoderSetPreferredColorProfile(decoder.get(), &srgb);
            }
            break;
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            image = QImage(UprightSize(header), output.imageFormat);
            if (image.isNull())
                return OutOfMemory;
            std::size_t needed = 0;
            if (jxl->JxlDecoderImageOutBufferSize(decoder.get(), &output.format, &needed) !=
                    JXL_DEC_SUCCESS ||
                needed != static_cast<std::size_t>(image.sizeInBytes()) ||
                jxl->JxlDecoderSetImageOutBuffer(decoder.get(), &output.format, image.bits(),
                                                 needed) != JXL_DEC_SUCCESS)
                return UnknownImageFormat;
            break;
        }
        case JXL_DEC_FULL_IMAGE:
            // The first frame is the picture; the others of an animation are not decoded.
            *pixels = std::move(image);
            return Ok;
        case JXL_DEC_NEED_MORE_INPUT:
            qCInfo(lcImaging, "the JPEG XL codestream ends before its first frame does");
            return UnknownImageFormat;
        default:
            qCInfo(lcImaging, "libjxl cannot decode the JPEG XL file");
            return UnknownImageFormat;
        }
    }
}

}  // namespace veltra::imaging
