// JPEG decoding and encoding on libjpeg-turbo.
//
// libjpeg reports a fatal error by calling a function that must not return; ours jumps back
// into CallGuarded, the only place that calls setjmp. Everything that owns a resource (the
// libjpeg object, the pixel memory, the output buffer, a converted strip of rows) lives in the
// frames that call CallGuarded, never between the setjmp and the jump, so a jump skips no
// destructor and every path out releases everything.

#include "formats/jpeg/jpeg_codec.h"

#include "formats/jpeg/libjpeg_session.h"
#include "imaging/logging.h"
#include "util/pixel_memory.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>  // jpeglib.h uses FILE and size_t without declaring them
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <type_traits>

#include <jpeglib.h>
#include <jerror.h>

namespace veltra::imaging {
namespace {

using namespace libjpeg;

// Rows handed to libjpeg per call: a whole MCU row of chroma-subsampled data, so that libjpeg
// rarely returns for more rows in the middle of one.
constexpr JDIMENSION kRowsPerCall = 16;

// ---------------------------------------------------------------------------------------------
// Decoding

bool IsLibjpegScale(int numerator, int denominator)
{
    const bool knownDenominator =
        denominator == 1 || denominator == 2 || denominator == 4 || denominator == 8;
    return knownDenominator && numerator >= 1 && numerator <= denominator &&
           (numerator == 1 || denominator == 8);
}

// CMYK files from Adobe applications store every sample inverted (0 is full ink), and
// libjpeg hands them over as stored. Qt's reader makes red = k * c / 255 and so on from those
// inverted samples; this does the same, each pixel's four samples becoming its QRgb word in
// place.
void ConvertAdobeCmykRows(uchar* firstRow, qsizetype bytesPerLine, JDIMENSION width,
                          JDIMENSION rows)
{
    for (JDIMENSION y = 0; y < rows; ++y) {
        uchar* pixel = firstRow + static_cast<qsizetype>(y) * bytesPerLine;
        for (JDIMENSION x = 0; x < width; ++x, pixel += 4) {
            const unsigned k = pixel[3];
            const QRgb rgb = qRgb(static_cast<int>(k * pixel[0] / 255),
                                  static_cast<int>(k * pixel[1] / 255),
                                  static_cast<int>(k * pixel[2] / 255));
            std::memcpy(pixel, &rgb, sizeof rgb);
        }
    }
}

// Qt's reader takes a density from the JFIF header only, truncated to whole dots per metre.
// libjpeg reports unit 0 for a file without a JFIF header, and the picture then keeps
// QImage's default, as with Qt.
void SetDensityAsQtsReaderDoes(QImage& picture, const jpeg_decompress_struct& info)
{
    if (info.density_unit == 1) {
        picture.setDotsPerMeterX(static_cast<int>(100. * info.X_density / 2.54));
        picture.setDotsPerMeterY(static_cast<int>(100. * info.Y_density / 2.54));
    } else if (info.density_unit == 2) {
        picture.setDotsPerMeterX(static_cast<int>(100. * info.X_density));
        picture.setDotsPerMeterY(static_cast<int>(100. * info.Y_density));
    }
}

GpStatus Decode(QByteArrayView file, QImage* pixels, const JpegDecodeOptions& options)
{
    Decompression jpeg;
    if (!jpeg.created())
        return OutOfMemory;
    jpeg_decompress_struct* info = jpeg.info();
    // Only whole-picture coefficient buffers (progressive and multi-scan files) are measured
    // against this; beyond it libjpeg would need a backing store, which it is built without,
    // and fails with an error that reads as OutOfMemory. Zero would mean no limit.
    info->mem->max_memory_to_use =
        static_cast<long>(std::clamp<std::uint64_t>(options.maxWorkingBytes, 1, LONG_MAX));

    if (!ReadHeaders(jpeg, file))
        return jpeg.failure(UnknownImageFormat);

    const DecodedLayout* layout = LayoutFor(info->jpeg_color_space);
    if (!layout) {
        qCInfo(lcImaging, "a JPEG file with %d components has no picture format",
               info->num_components);
        return UnknownImageFormat;
    }
    info->out_color_space = layout->outputColourSpace;
    info->scale_num = static_cast<unsigned>(options.scaleNumerator);
    info->scale_denom = static_cast<unsigned>(options.scaleDenominator);
    if (!CallGuarded(jpeg.errors(), jpeg_calc_output_dimensions, info))
        return jpeg.failure(UnknownImageFormat);

    // Rows start on four-byte boundaries, as QImage requires of memory it is given.
    const qsizetype bytesPerLine =
        (static_cast<qsizetype>(info->output_width) * layout->bytesPerPixel + 3) & ~qsizetype{3};
    const std::uint64_t pixelBytes = static_cast<std::uint64_t>(bytesPerLine) * info->output_height;
    if (pixelBytes > options.maxPixelBytes) {
        qCInfo(lcImaging, "a JPEG picture of %u x %u needs more pixel memory than allowed",
               info->output_width, info->output_height);
        return OutOfMemory;
    }
    PixelMapping memory(pixelBytes);
    if (!memory.isValid())
        return OutOfMemory;
    // The kernel clears fresh memory as it is first written; the other core does that ahead
    // of the decoder instead of the decoder waiting for it page by page.
    const PrefaultAhead prefault(memory.pixels(), pixelBytes);

    boolean started = FALSE;
    if (!CallGuarded(jpeg.errors(), &started, jpeg_start_decompress, info))
        return jpeg.failure(UnknownImageFormat);
    std::array<JSAMPROW, kRowsPerCall> rows{};
    while (info->output_scanline < info->output_height) {
        const JDIMENSION first = info->output_scanline;
        const JDIMENSION count = std::min(kRowsPerCall, info->output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = memory.pixels() + static_cast<qsizetype>(first + i) * bytesPerLine;
        JDIMENSION read = 0;
        if (!CallGuarded(jpeg.errors(), &read, jpeg_read_scanlines, info, rows.data(), count))
            return jpeg.failure(UnknownImageFormat);
        // An in-memory source never suspends; a call that gives no rows would loop forever.
        if (read == 0)
            return UnknownImageFormat;
        if (layout->adobeCmyk)
            ConvertAdobeCmykRows(rows[0], bytesPerLine, info->output_width, read);
    }
    // Qt's reader refuses the picture when the end of the file is damaged; so does this.
    boolean finished = FALSE;
    if (!CallGuarded(jpeg.errors(), &finished, jpeg_finish_decompress, info))
        return jpeg.failure(UnknownImageFormat);

    QImage picture = memory.TakeAsImage(static_cast<int>(info->output_width),
                                        static_cast<int>(info->output_height), bytesPerLine,
                                        layout->format);
    if (picture.isNull())
        return OutOfMemory;
    SetDensityAsQtsReaderDoes(picture, *info);
    *pixels = std::move(picture);
    return Ok;
}

// ---------------------------------------------------------------------------------------------
// Encoding

// Quality from which every chroma sample is kept.
constexpr int kFullChromaQuality = 90;
// Bytes gathered before each write to the device.
constexpr std::size_t kOutputChunkBytes = std::size_t{1} << 20;

// Picture formats whose rows libjpeg reads as they stand, and the colour space that tells it
// their byte order. Other formats are converted a strip of rows at a time.
struct DirectRows {
    QImage::Format format;
    J_COLOR_SPACE colourSpace;
    int components;
};

constexpr std::array kDirectRows = {
    DirectRows{QImage::Format_RGB32, kQRgbEncodeSpace, 4},
    DirectRows{QImage::Format_ARGB32, kQRgbEncodeSpace, 4},
    DirectRows{QImage::Format_ARGB32_Premultiplied, kQRgbEncodeSpace, 4},
    DirectRows{QImage::Format_RGBX8888, JCS_EXT_RGBX, 4},
    DirectRows{QImage::Format_RGBA8888, JCS_EXT_RGBX, 4},
    DirectRows{QImage::Format_RGBA8888_Premultiplied, JCS_EXT_RGBX, 4},
    DirectRows{QImage::Format_RGB888, JCS_EXT_RGB, 3},
    DirectRows{QImage::Format_BGR888, JCS_EXT_BGR, 3},
    DirectRows{QImage::Format_Grayscale8, JCS_GRAYSCALE, 1},
};

// What converted strips are converted to.
constexpr DirectRows kConvertedRows = kDirectRows[0];

const DirectRows& RowsFor(QImage::Format format)
{
    const auto found = std::find_if(kDirectRows.begin(), kDirectRows.end(),
                                    [&](const DirectRows& rows) { return rows.format == format; });
    return found == kDirectRows.end() ? kConvertedRows : *found;
}

// The JFIF density Qt's writer gives a picture: dots per inch, rounded, unless whole dots per
// centimetre describe the picture's dots per metre more closely.
struct JfifDensity {
    UINT8 unit = 0;
    UINT16 horizontal = 1;
    UINT16 vertical = 1;
};

JfifDensity DensityAsQtsWriterDoes(const QImage& picture)
{
    const int x = picture.dotsPerMeterX();
    const int y = picture.dotsPerMeterY();
    const double inchOffX = std::abs(x * 2.54 / 100. - qRound(x * 2.54 / 100.));
    const double inchOffY = std::abs(y * 2.54 / 100. - qRound(y * 2.54 / 100.));
    const double centimetreOffX = std::abs(x / 100. - qRound(x / 100.));
    const double centimetreOffY = std::abs(y / 100. - qRound(y / 100.));
    if (inchOffX + inchOffY < (centimetreOffX + centimetreOffY) * 2.54)
        return {1, static_cast<UINT16>(qRound(x * 2.54 / 100.)),
                static_cast<UINT16>(qRound(y * 2.54 / 100.))};
    return {2, static_cast<UINT16>((x + 50) / 100), static_cast<UINT16>((y + 50) / 100)};
}

struct CompressionSettings {
    JDIMENSION width;
    JDIMENSION height;
    J_COLOR_SPACE inputColourSpace;
    int inputComponents;
    int quality;
    JfifDensity density;
};

// Runs under CallGuarded: every libjpeg call here may fail.
void StartCompression(jpeg_compress_struct* info, const CompressionSettings* settings)
{
    info->image_width = settings->width;
    info->image_height = settings->height;
    info->in_color_space = settings->inputColourSpace;
    info->input_components = settings->inputComponents;
    // Baseline sequential Huffman coding with the standard tables, JFIF header, YCbCr for
    // colour, luma 2x2 and chroma 1x1.
    jpeg_set_defaults(info);
    info->optimize_coding = FALSE;
    info->arith_code = FALSE;
    // Eight-bit quantisation tables, as baseline requires.
    jpeg_set_quality(info, settings->quality, TRUE);
    if (settings->quality >= kFullChromaQuality)
        info->comp_info[0].h_samp_factor = info->comp_info[0].v_samp_factor = 1;
    info->write_JFIF_header = TRUE;
    info->density_unit = settings->density.unit;
    info->X_density = settings->density.horizontal;
    info->Y_density = settings->density.vertical;
    jpeg_start_compress(info, TRUE);
}

// Gives libjpeg a large buffer and writes it to the device each time it fills, and what is
// left at the end. A device that takes fewer bytes than offered has failed: libjpeg cannot
// offer them again, and a JPEG missing bytes in the middle is damaged.
class DeviceDestination {
public:
    DeviceDestination(QIODevice& device, jpeg_compress_struct* info)
        : m_device(device), m_buffer(std::make_unique_for_overwrite<JOCTET[]>(kOutputChunkBytes))
    {
        m_manager.init_destination = [](j_compress_ptr) {};
        m_manager.empty_output_buffer = WriteFullBuffer;
        m_manager.term_destination = WriteRest;
        info->dest = &m_manager;
        info->client_data = this;
        Rewind();
    }
    DeviceDestination(const DeviceDestination&) = delete;
    DeviceDestination& operator=(const DeviceDestination&) = delete;

private:
    static DeviceDestination& Of(j_compress_ptr info)
    {
        return *static_cast<DeviceDestination*>(info->client_data);
    }

    static boolean WriteFullBuffer(j_compress_ptr info)
    {
        DeviceDestination& destination = Of(info);
        if (!destination.Write(kOutputChunkBytes))
            ERREXIT(info, JERR_FILE_WRITE);
        destination.Rewind();
        return TRUE;
    }

    static void WriteRest(j_compress_ptr info)
    {
        DeviceDestination& destination = Of(info);
        if (!destination.Write(kOutputChunkBytes - destination.m_manager.free_in_buffer))
            ERREXIT(info, JERR_FILE_WRITE);
    }

    // Never throws: an exception must not pass through libjpeg's frames.
    bool Write(std::size_t bytes) noexcept
    {
        try {
            const qint64 wanted = static_cast<qint64>(bytes);
            return m_device.write(reinterpret_cast<const char*>(m_buffer.get()), wanted) == wanted;
        } catch (...) {
            return false;
        }
    }

    void Rewind()
    {
        m_manager.next_output_byte = m_buffer.get();
        m_manager.free_in_buffer = kOutputChunkBytes;
    }

    jpeg_destination_mgr m_manager{};
    QIODevice& m_device;
    std::unique_ptr<JOCTET[]> m_buffer;
};

GpStatus Encode(const QImage& picture, int quality, QIODevice& out,
                const std::function<void(int)>& waitForRows)
{
    const DirectRows& feed = RowsFor(picture.format());
    const bool convertStrips = feed.format != picture.format();

    Compression jpeg;
    if (!jpeg.created())
        return OutOfMemory;
    jpeg_compress_struct* info = jpeg.info();
    DeviceDestination destination(out, info);
    const CompressionSettings settings{static_cast<JDIMENSION>(picture.width()),
                                       static_cast<JDIMENSION>(picture.height()),
                                       feed.colourSpace,
                                       feed.components,
                                       quality,
                                       DensityAsQtsWriterDoes(picture)};
    if (!CallGuarded(jpeg.errors(), StartCompression, info, &settings))
        return jpeg.failure(GenericError);

    std::array<JSAMPROW, kRowsPerCall> rows{};
    QImage strip;
    while (info->next_scanline < info->image_height) {
        const int first = static_cast<int>(info->next_scanline);
        const int count = std::min(static_cast<int>(kRowsPerCall), picture.height() - first);
        if (waitForRows)
            waitForRows(first + count);
        const QImage* source = &picture;
        int sourceFirst = first;
        if (convertStrips) {
            strip = picture.copy(0, first, picture.width(), count)
                        .convertToFormat(kConvertedRows.format);
            if (strip.isNull())
                return OutOfMemory;
            source = &strip;
            sourceFirst = 0;
        }
        // libjpeg only reads the rows it is given; its interface simply predates const.
        for (int i = 0; i < count; ++i)
            rows[i] = const_cast<JSAMPROW>(source->constScanLine(sourceFirst + i));
        JDIMENSION written = 0;
        if (!CallGuarded(jpeg.errors(), &written, jpeg_write_scanlines, info, rows.data(),
                         static_cast<JDIMENSION>(count)))
            return jpeg.failure(GenericError);
    }
    if (!CallGuarded(jpeg.errors(), jpeg_finish_compress, info))
        return jpeg.failure(GenericError);
    return Ok;
}

}  // namespace

GpStatus DecodeJpeg(QByteArrayView file, QImage* pixels, const JpegDecodeOptions& options)
{
    if (!pixels)
        return InvalidParameter;
    *pixels = QImage();
    if (!IsLibjpegScale(options.scaleNumerator, options.scaleDenominator))
        return InvalidParameter;
    // jpeg_mem_src refuses an empty buffer with an error of its own; no bytes are no JPEG.
    if (file.isEmpty())
        return UnknownImageFormat;
    try {
        return Decode(file, pixels, options);
    } catch (const std::bad_alloc&) {
        *pixels = QImage();
        return OutOfMemory;
    }
}

GpStatus EncodeJpeg(const QImage& picture, int quality, QIODevice& out,
                    const std::function<void(int rows)>& waitForRows)
{
    if (picture.isNull() || quality < 0 || quality > 100)
        return InvalidParameter;
    try {
        return Encode(picture, quality, out, waitForRows);
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

}  // namespace veltra::imaging
