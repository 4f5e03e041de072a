#include "formats/raw/raw_development.h"

#include "formats/jpeg/jpeg_codec.h"
#include "formats/pixel_budget.h"
#include "formats/raw/libraw_library.h"
#include "util/pixel_memory.h"
#include "imaging/logging.h"
#include "imaging/work_counters.h"

#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <system_error>
#include <thread>

namespace veltra::imaging {
namespace {

void ApplyDevelopmentSettings(libraw_output_params_t& params, RawDevelopment development)
{
    params.use_camera_wb = 1;
    params.output_color = 1;  // sRGB
    params.half_size = development == RawDevelopment::HalfSize ? 1 : 0;
    // LibRaw's output stage is never used (DevelopedPicture writes 16 bits through the sRGB
    // curve, unbrightened); its settings are still those of `dcraw_emu -6 -g 2.4 12.92 -W`,
    // the development the picture is checked and measured against.
    params.output_bps = 16;
    params.gamm[0] = 1 / 2.4;
    params.gamm[1] = 12.92;
    params.no_auto_bright = 1;
}

// The sRGB curve on 16-bit samples: a power of 1/2.4 with a linear toe of slope 12.92.
const std::array<std::uint16_t, 65536>& SrgbCurve()
{
    static const auto curve = [] {
        std::array<std::uint16_t, 65536> table{};
        for (std::size_t i = 0; i < table.size(); ++i) {
            const double linear = double(i) / 65535.0;
            const double encoded = linear <= 0.0031308 ? 12.92 * linear
                                                       : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
            table[i] = std::uint16_t(std::lround(std::clamp(encoded, 0.0, 1.0) * 65535.0));
        }
        return table;
    }();
    return curve;
}

// LibRaw's developed picture (its working picture after dcraw_process: four linear samples a
// pixel, as the sensor lies) through the sRGB curve, turned by the raw's flip, into a new
// picture. LibRaw's own way out (dcraw_make_mem_image) writes the same into a buffer of its
// own on one core, which then has to be copied again: this writes the picture once, on both
// cores. Null for a picture of neither one nor three colours, or when memory is refused.
QImage DevelopedPicture(const libraw_data_t& data)
{
    const libraw_image_sizes_t& sizes = data.sizes;
    const int colours = data.idata.colors;
    if (!data.image || (colours != 1 && colours != 3) || sizes.width <= 0 || sizes.height <= 0)
        return {};
    // The working picture is width x height once developed (a half-size development halves
    // both); dcraw's flip: 4 transposes, 2 mirrors top to bottom, 1 left to right.
    const int sourceWidth = sizes.width;
    const int sourceHeight = sizes.height;
    const int flip = sizes.flip;
    const bool transposes = flip & 4;
    const QSize size = transposes ? QSize(sourceHeight, sourceWidth)
                                  : QSize(sourceWidth, sourceHeight);
    // 190 MB for 24 megapixels: in huge pages, so that writing it costs a few hundred page
    // faults instead of tens of thousands.
    QImage out = NewLargeImage(size, QImage::Format_RGBX64);
    if (out.isNull())
        return {};
    uchar* const bits = out.bits();  // taken once: the threads below only write rows
    const qsizetype stride = out.bytesPerLine();
    const std::array<std::uint16_t, 65536>& curve = SrgbCurve();
    const auto* const image = data.image;
    const auto writeRows = [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            auto* target = reinterpret_cast<QRgba64*>(bits + y * stride);
            for (int x = 0; x < size.width(); ++x) {
                int row = transposes ? x : y;
                int column = transposes ? y : x;
                if (flip & 2)
                    row = sourceHeight - 1 - row;
                if (flip & 1)
                    column = sourceWidth - 1 - column;
                const auto& samples = image[std::size_t(row) * sourceWidth + column];
                const std::uint16_t red = curve[samples[0]];
                target[x] = colours == 3
                                ? qRgba64(red, curve[samples[1]], curve[samples[2]], 0xFFFF)
                                : qRgba64(red, red, red, 0xFFFF);
            }
        }
    };
    // Both cores, as LibRaw used them for the development.
    const int half = size.height() / 2;
    std::thread other;
    try {
        other = std::thread(writeRows, half, size.height());
    } catch (const std::system_error&) {
        writeRows(half, size.height());  // no second thread to be had: this one does it all
    }
    writeRows(0, half);
    if (other.joinable())
        other.join();
    return out;
}

QImage TurnedBy(const QImage& image, RotateFlipType turn)
{
    const int quarters = int(turn) & 3;
    QImage turned = quarters == 0 ? image : image.transformed(QTransform().rotate(90.0 * quarters));
    return (int(turn) & 4) ? turned.mirrored(true, false) : turned;
}

}  // namespace

GpStatus DevelopRaw(QByteArrayView file, RawDevelopment development, QImage* pixels)
{
    const LibRawApi* api = OpenLibRaw();
    if (!api)
        return UnknownImageFormat;
    try {
        LibRawSession session(*api);
        if (!session.valid())
            return OutOfMemory;
        ApplyDevelopmentSettings(session.data().params, development);
        if (const int error = session.open(file, RawMemoryBudget(file)); error != LIBRAW_SUCCESS) {
            qCInfo(lcLibraries, "LibRaw does not take the file: %s", session.errorText(error));
            return UnknownImageFormat;
        }
        int error = session.api().libraw_unpack(&session.data());
        if (error != LIBRAW_SUCCESS || session.dataDamaged()) {
            qCInfo(lcLibraries, "LibRaw cannot read the sensor data: %s",
                   session.errorText(error == LIBRAW_SUCCESS ? LIBRAW_IO_ERROR : error));
            return RawPreviewInstead(file, development, pixels);
        }
        CountWork(Work::RawsDeveloped, 1);
        error = session.api().libraw_dcraw_process(&session.data());
        if (error != LIBRAW_SUCCESS) {
            qCInfo(lcLibraries, "LibRaw cannot develop the raw: %s", session.errorText(error));
            return error == LIBRAW_UNSUFFICIENT_MEMORY
                       ? OutOfMemory
                       : RawPreviewInstead(file, development, pixels);
        }
        QImage out = DevelopedPicture(session.data());
        if (out.isNull()) {
            qCInfo(lcLibraries, "LibRaw's developed picture has %d colours, or memory is refused",
                   session.data().idata.colors);
            return OutOfMemory;
        }
        *pixels = std::move(out);
        return Ok;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

// The camera's preview in place of the picture that cannot be developed: turned as the
// picture is, and scaled to its size (a camera's preview leaves out the sensor's margins).
GpStatus RawPreviewInstead(QByteArrayView file, RawDevelopment development, QImage* pixels)
{
    RawFrame frame;
    LoadFailureReason ignored = LoadFailureReason::None;
    if (ReadRawFrame(file, &frame, &ignored) != Ok)
        return UnknownImageFormat;
    QSize size = frame.size;
    if (development == RawDevelopment::HalfSize)
        size = QSize((size.width() + 1) / 2, (size.height() + 1) / 2);
    const RotateFlipType turn = frame.turn;
    // A session whose reading failed is spent: LibRaw lets go of everything it read.
    const QByteArray preview = RawPreviewFile(file);
    QImage decoded;
    if (preview.startsWith("\xFF\xD8")) {
        JpegDecodeOptions options;
        options.maxPixelBytes = std::uint64_t(size.width()) * size.height() * 4 + (1 << 20);
        if (DecodeJpeg(preview, &decoded, options) != Ok)
            decoded = QImage();
    } else if (preview.startsWith("P6")) {
        decoded.loadFromData(preview, "PPM");
    }
    if (decoded.isNull()) {
        qCInfo(lcImaging, "the raw's preview cannot stand in for its picture");
        return UnknownImageFormat;
    }
    qCInfo(lcImaging, "the raw's sensor data cannot be read; its preview stands in");
    QImage upright = TurnedBy(decoded, turn);
    if (upright.size() != size)
        upright = upright.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    upright.convertTo(QImage::Format_RGBX64);
    if (upright.isNull())
        return OutOfMemory;
    *pixels = std::move(upright);
    return Ok;
}


}  // namespace veltra::imaging
