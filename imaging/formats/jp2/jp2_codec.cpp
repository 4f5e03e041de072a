#include "formats/jp2/jp2_codec.h"

#include "imaging/logging.h"
#include "util/shared_library.h"

#include <openjpeg.h>

#include <QThread>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace veltra::imaging {
namespace {

struct OpenJpegLibrary {
    VELTRA_LIBRARY_FUNCTION(opj_create_decompress) opj_create_decompress;
    VELTRA_LIBRARY_FUNCTION(opj_destroy_codec) opj_destroy_codec;
    VELTRA_LIBRARY_FUNCTION(opj_set_default_decoder_parameters) opj_set_default_decoder_parameters;
    VELTRA_LIBRARY_FUNCTION(opj_setup_decoder) opj_setup_decoder;
    VELTRA_LIBRARY_FUNCTION(opj_set_info_handler) opj_set_info_handler;
    VELTRA_LIBRARY_FUNCTION(opj_set_warning_handler) opj_set_warning_handler;
    VELTRA_LIBRARY_FUNCTION(opj_set_error_handler) opj_set_error_handler;
    VELTRA_LIBRARY_FUNCTION(opj_has_thread_support) opj_has_thread_support;
    VELTRA_LIBRARY_FUNCTION(opj_codec_set_threads) opj_codec_set_threads;
    VELTRA_LIBRARY_FUNCTION(opj_stream_create) opj_stream_create;
    VELTRA_LIBRARY_FUNCTION(opj_stream_destroy) opj_stream_destroy;
    VELTRA_LIBRARY_FUNCTION(opj_stream_set_read_function) opj_stream_set_read_function;
    VELTRA_LIBRARY_FUNCTION(opj_stream_set_skip_function) opj_stream_set_skip_function;
    VELTRA_LIBRARY_FUNCTION(opj_stream_set_seek_function) opj_stream_set_seek_function;
    VELTRA_LIBRARY_FUNCTION(opj_stream_set_user_data) opj_stream_set_user_data;
    VELTRA_LIBRARY_FUNCTION(opj_stream_set_user_data_length) opj_stream_set_user_data_length;
    VELTRA_LIBRARY_FUNCTION(opj_read_header) opj_read_header;
    VELTRA_LIBRARY_FUNCTION(opj_decode) opj_decode;
    VELTRA_LIBRARY_FUNCTION(opj_end_decompress) opj_end_decompress;
    VELTRA_LIBRARY_FUNCTION(opj_image_destroy) opj_image_destroy;
};

const OpenJpegLibrary* OpenOpenJpeg()
{
    static SharedLibrary library(VELTRA_OPENJP2_SONAME);
    static const std::optional<OpenJpegLibrary> api = []() -> std::optional<OpenJpegLibrary> {
        OpenJpegLibrary api{};
        const bool resolved = library.open() &&
                              VELTRA_RESOLVE(library, api, opj_create_decompress) &&
                              VELTRA_RESOLVE(library, api, opj_destroy_codec) &&
                              VELTRA_RESOLVE(library, api, opj_set_default_decoder_parameters) &&
                              VELTRA_RESOLVE(library, api, opj_setup_decoder) &&
                              VELTRA_RESOLVE(library, api, opj_set_info_handler) &&
                              VELTRA_RESOLVE(library, api, opj_set_warning_handler) &&
                              VELTRA_RESOLVE(library, api, opj_set_error_handler) &&
                              VELTRA_RESOLVE(library, api, opj_has_thread_support) &&
                              VELTRA_RESOLVE(library, api, opj_codec_set_threads) &&
                              VELTRA_RESOLVE(library, api, opj_stream_create) &&
                              VELTRA_RESOLVE(library, api, opj_stream_destroy) &&
                              VELTRA_RESOLVE(library, api, opj_stream_set_read_function) &&
                              VELTRA_RESOLVE(library, api, opj_stream_set_skip_function) &&
                              VELTRA_RESOLVE(library, api, opj_stream_set_seek_function) &&
                              VELTRA_RESOLVE(library, api, opj_stream_set_user_data) &&
                              VELTRA_RESOLVE(library, api, opj_stream_set_user_data_length) &&
                              VELTRA_RESOLVE(library, api, opj_read_header) &&
                              VELTRA_RESOLVE(library, api, opj_decode) &&
                              VELTRA_RESOLVE(library, api, opj_end_decompress) &&
                              VELTRA_RESOLVE(library, api, opj_image_destroy);
        return resolved ? std::optional(api) : std::nullopt;
    }();
    return api ? &*api : nullptr;
}

void LogMessage(const char* message, void* /*client*/)
{
    // OpenJPEG's messages end with a line break of their own.
    qCWarning(lcLibraries, "openjpeg: %s", QByteArray(message).trimmed().constData());
}

// The file's bytes as OpenJPEG's stream reads them.
struct MemoryInput {
    QByteArrayView bytes;
    OPJ_OFF_T position = 0;
};

OPJ_SIZE_T ReadInput(void* buffer, OPJ_SIZE_T size, void* data)
{
    auto* input = static_cast<MemoryInput*>(data);
    const OPJ_OFF_T left = input->bytes.size() - input->position;
    if (left <= 0)
        return static_cast<OPJ_SIZE_T>(-1);
    const auto count = std::min<OPJ_SIZE_T>(size, static_cast<OPJ_SIZE_T>(left));
    std::memcpy(buffer, input->bytes.data() + input->position, count);
    input->position += static_cast<OPJ_OFF_T>(count);
    return count;
}

OPJ_OFF_T SkipInput(OPJ_OFF_T count, void* data)
{
    auto* input = static_cast<MemoryInput*>(data);
    const OPJ_OFF_T target = std::clamp<OPJ_OFF_T>(input->position + count, 0, input->bytes.size());
    const OPJ_OFF_T skipped = target - input->position;
    input->position = target;
    return skipped;
}

OPJ_BOOL SeekInput(OPJ_OFF_T position, void* data)
{
    auto* input = static_cast<MemoryInput*>(data);
    if (position < 0 || position > input->bytes.size())
        return OPJ_FALSE;
    input->position = position;
    return OPJ_TRUE;
}

// Where each pixel's channels come from, and how they are laid out.
struct Layout {
    int colourComponents = 3;  // 1 for grey
    std::optional<int> alphaComponent;
    bool deep = false;  // more than 8 bits
    bool ycc = false;   // sYCC, turned into RGB
};

Layout LayoutOf(const opj_image_t& image)
{
    Layout layout;
    for (OPJ_UINT32 index = 0; index < image.numcomps; ++index) {
        if (image.comps[index].alpha && !layout.alphaComponent)
            layout.alphaComponent = static_cast<int>(index);
        layout.deep = layout.deep || image.comps[index].prec > 8;
    }
    const int colourCount = static_cast<int>(image.numcomps) - (layout.alphaComponent ? 1 : 0);
    layout.colourComponents = colourCount >= 3 ? 3 : 1;
    // Without channel definitions, the component after the colour ones is alpha.
    if (!layout.alphaComponent && (image.numcomps == 2 || image.numcomps == 4))
        layout.alphaComponent = static_cast<int>(image.numcomps) - 1;
    layout.ycc = layout.colourComponents == 3 && image.color_space == OPJ_CLRSPC_SYCC;
    return layout;
}

QImage::Format ImageFormatOf(const Layout& layout)
{
    if (layout.colourComponents == 1 && !layout.alphaComponent)
        return layout.deep ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8;
    if (layout.alphaComponent)
        return layout.deep ? QImage::Format_RGBA64 : QImage::Format_RGBA8888;
    return layout.deep ? QImage::Format_RGBX64 : QImage::Format_RGBX8888;
}

// One component's samples as numbers from 0 to 1, at a pixel of the picture; a component
// stored smaller (subsampled) gives its nearest sample.
class ComponentReader {
public:
    ComponentReader(const opj_image_comp_t& component, QSize picture)
        : m_component(component),
          m_whole(component.w == static_cast<OPJ_UINT32>(picture.width()) &&
                  component.h == static_cast<OPJ_UINT32>(picture.height())),
          m_picture(picture),
          m_offset(component.sgnd ? std::int64_t{1} << (component.prec - 1) : 0),
          m_scale(1.0 / static_cast<double>((std::uint64_t{1} << component.prec) - 1))
    {
    }

    double at(int x, int y) const
    {
        std::uint64_t column = static_cast<std::uint64_t>(x);
        std::uint64_t row = static_cast<std::uint64_t>(y);
        if (!m_whole) {
            column = std::min<std::uint64_t>(column * m_component.w / m_picture.width(),
                                             m_component.w - 1);
            row = std::min<std::uint64_t>(row * m_component.h / m_picture.height(),
                                          m_component.h - 1);
        }
        const std::int64_t sample = m_component.data[row * m_component.w + column] + m_offset;
        return std::clamp(static_cast<double>(sample) * m_scale, 0.0, 1.0);
    }

private:
    const opj_image_comp_t& m_component;
    bool m_whole;
    QSize m_picture;
    std::int64_t m_offset;
    double m_scale;
};

// Writes samples from 0 to 1 into a picture of 8 or 16 bits a sample.
class SampleWriter {
public:
    SampleWriter(QImage& picture, bool deep, int channels)
        : m_picture(picture),
          m_deep(deep),
          m_channels(channels)
    {
    }

    void store(int x, int y, int channel, double value)
    {
        const qsizetype at = qsizetype(x) * m_channels + channel;
        if (m_deep)
            reinterpret_cast<std::uint16_t*>(m_picture.scanLine(y))[at] =
                static_cast<std::uint16_t>(value * 65535.0 + 0.5);
        else
            m_picture.scanLine(y)[at] = static_cast<std::uint8_t>(value * 255.0 + 0.5);
    }

private:
    QImage& m_picture;
    bool m_deep;
    int m_channels;
};

// The usual picture, unsigned 8-bit components of the whole size in RGB or grey, copied as
// they are: ten times faster than through the general path. False for any other.
bool CopyEightBitSamples(const opj_image_t& image, const Layout& layout, QImage& picture)
{
    const auto width = static_cast<OPJ_UINT32>(picture.width());
    const auto height = static_cast<OPJ_UINT32>(picture.height());
    for (OPJ_UINT32 index = 0; index < image.numcomps; ++index) {
        const opj_image_comp_t& component = image.comps[index];
        if (component.prec != 8 || component.sgnd || component.w != width || component.h != height)
            return false;
    }
    if (layout.deep || layout.ycc)
        return false;
    std::vector<const OPJ_INT32*> sources;
    for (int index = 0; static_cast<int>(sources.size()) < layout.colourComponents; ++index) {
        if (index != layout.alphaComponent)
            sources.push_back(image.comps[index].data);
    }
    if (layout.alphaComponent)
        sources.push_back(image.comps[*layout.alphaComponent].data);
    const auto clamp = [](OPJ_INT32 sample) {
        return static_cast<std::uint8_t>(std::clamp<OPJ_INT32>(sample, 0, 255));
    };
    const bool grey = picture.format() == QImage::Format_Grayscale8;
    for (OPJ_UINT32 y = 0; y < height; ++y) {
        std::uint8_t* line = picture.scanLine(static_cast<int>(y));
        const std::size_t row = std::size_t(y) * width;
        for (OPJ_UINT32 x = 0; x < width; ++x) {
            const std::size_t at = row + x;
            if (grey) {
                line[x] = clamp(sources[0][at]);
                continue;
            }
            const std::uint8_t first = clamp(sources[0][at]);
            line[4 * x] = first;
            line[4 * x + 1] = layout.colourComponents == 3 ? clamp(sources[1][at]) : first;
            line[4 * x + 2] = layout.colourComponents == 3 ? clamp(sources[2][at]) : first;
            line[4 * x + 3] = layout.alphaComponent ? clamp(sources.back()[at]) : 255;
        }
    }
    return true;
}

// The decoded components as a picture. Nothing when a component has no samples or a depth
// no picture has.
std::optional<QImage> PictureOf(const opj_image_t& image, QSize size)
{
    for (OPJ_UINT32 index = 0; index < image.numcomps; ++index) {
        const opj_image_comp_t& component = image.comps[index];
        if (!component.data || component.w == 0 || component.h == 0 || component.prec == 0 ||
            component.prec > 31)
            return std::nullopt;
    }
    const Layout layout = LayoutOf(image);
    if (layout.colourComponents == 3 && image.numcomps < 3)
        return std::nullopt;
    QImage picture(size, ImageFormatOf(layout));
    if (picture.isNull())
        return std::nullopt;
    std::vector<ComponentReader> colour;
    for (int index = 0; static_cast<int>(colour.size()) < layout.colourComponents; ++index) {
        if (index != layout.alphaComponent)
            colour.emplace_back(image.comps[index], size);
    }
    std::optional<ComponentReader> alpha;
    if (layout.alphaComponent)
        alpha.emplace(image.comps[*layout.alphaComponent], size);
    const bool grey = layout.colourComponents == 1 && !alpha;
    if (CopyEightBitSamples(image, layout, picture))
        return picture;
    SampleWriter writer(picture, layout.deep, grey ? 1 : 4);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            double red = colour[0].at(x, y);
            if (grey) {
                writer.store(x, y, 0, red);
                continue;
            }
            double green = red;
            double blue = red;
            if (layout.colourComponents == 3) {
                green = colour[1].at(x, y);
                blue = colour[2].at(x, y);
            }
            if (layout.ycc) {
                // Full-range YCbCr, as sYCC defines it.
                const double luma = red;
                const double cb = green - 0.5;
                const double cr = blue - 0.5;
                red = std::clamp(luma + 1.402 * cr, 0.0, 1.0);
                green = std::clamp(luma - 0.344136 * cb - 0.714136 * cr, 0.0, 1.0);
                blue = std::clamp(luma + 1.772 * cb, 0.0, 1.0);
            }
            writer.store(x, y, 0, red);
            writer.store(x, y, 1, green);
            writer.store(x, y, 2, blue);
            writer.store(x, y, 3, alpha ? alpha->at(x, y) : 1.0);
        }
    }
    return picture;
}

struct CodecCloser {
    const OpenJpegLibrary* library;
    void operator()(opj_codec_t* codec) const { library->opj_destroy_codec(codec); }
};
struct StreamCloser {
    const OpenJpegLibrary* library;
    void operator()(opj_stream_t* stream) const { library->opj_stream_destroy(stream); }
};
struct ImageCloser {
    const OpenJpegLibrary* library;
    void operator()(opj_image_t* image) const { library->opj_image_destroy(image); }
};

}  // namespace

GpStatus DecodeJp2(QByteArrayView file, Jp2Layout layout, std::uint64_t budget, QImage* pixels)
{
    const OpenJpegLibrary* opj = OpenOpenJpeg();
    if (!opj)
        return UnknownImageFormat;
    const std::unique_ptr<opj_codec_t, CodecCloser> codec(
        opj->opj_create_decompress(layout == Jp2Layout::Boxes ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K),
        CodecCloser{opj});
    if (!codec)
        return OutOfMemory;
    opj->opj_set_info_handler(
        codec.get(), [](const char*, void*) {}, nullptr);
    opj->opj_set_warning_handler(codec.get(), LogMessage, nullptr);
    opj->opj_set_error_handler(codec.get(), LogMessage, nullptr);
    opj_dparameters_t parameters;
    opj->opj_set_default_decoder_parameters(&parameters);
    if (!opj->opj_setup_decoder(codec.get(), &parameters))
        return UnknownImageFormat;
    if (opj->opj_has_thread_support())
        opj->opj_codec_set_threads(codec.get(), std::max(1, QThread::idealThreadCount()));

    MemoryInput input{file, 0};
    const std::unique_ptr<opj_stream_t, StreamCloser> stream(
        opj->opj_stream_create(64 * 1024, OPJ_TRUE), StreamCloser{opj});
    if (!stream)
        return OutOfMemory;
    opj->opj_stream_set_user_data(stream.get(), &input, nullptr);
    opj->opj_stream_set_user_data_length(stream.get(), static_cast<OPJ_UINT64>(file.size()));
    opj->opj_stream_set_read_function(stream.get(), ReadInput);
    opj->opj_stream_set_skip_function(stream.get(), SkipInput);
    opj->opj_stream_set_seek_function(stream.get(), SeekInput);

    opj_image_t* header = nullptr;
    if (!opj->opj_read_header(stream.get(), codec.get(), &header))
        return UnknownImageFormat;
    std::unique_ptr<opj_image_t, ImageCloser> image(header, ImageCloser{opj});
    if (image->x1 <= image->x0 || image->y1 <= image->y0 || image->numcomps == 0 ||
        image->x1 - image->x0 > INT32_MAX || image->y1 - image->y0 > INT32_MAX)
        return UnknownImageFormat;
    const QSize size(static_cast<int>(image->x1 - image->x0),
                     static_cast<int>(image->y1 - image->y0));
    // OpenJPEG keeps every component as 32-bit samples of the whole picture; a palette makes
    // three of one.
    const std::uint64_t plane = std::uint64_t(size.width()) * std::uint64_t(size.height()) * 4;
    if (plane > budget / std::max<OPJ_UINT32>(image->numcomps, 3)) {
        qCInfo(lcImaging, "a JPEG 2000 picture of %dx%d with %u components is past the budget",
               size.width(), size.height(), image->numcomps);
        return OutOfMemory;
    }
    if (!opj->opj_decode(codec.get(), stream.get(), image.get()) ||
        !opj->opj_end_decompress(codec.get(), stream.get()))
        return UnknownImageFormat;
    std::optional<QImage> picture = PictureOf(*image, size);
    if (!picture)
        return UnknownImageFormat;
    *pixels = std::move(*picture);
    return Ok;
}

}  // namespace veltra::imaging
