#include "imaging/resolution_probe.h"

#include "imaging/byte_order.h"
#include "imaging/jpeg_segments.h"
#include "imaging/png_chunks.h"

#include <optional>

namespace veltra::imaging {
namespace {

constexpr double kCentimetresPerInch = 2.54;
constexpr double kInchesPerMetre = 0.0254;

// A density is only believable when both axes are positive.
std::optional<Resolution> MakeResolution(double horizontal, double vertical)
{
    if (!(horizontal > 0.0) || !(vertical > 0.0))
        return std::nullopt;
    return Resolution{static_cast<REAL>(horizontal), static_cast<REAL>(vertical)};
}

std::optional<Resolution> JfifDensity(QByteArrayView file)
{
    std::optional<Resolution> result;
    ForEachJpegSegment(file, [&result](const JpegSegment& segment) {
        if (segment.marker != 0xE0)
            return true;
        const QByteArrayView p = segment.payload;
        // "JFIF\0", version (2), unit (1), x density (2), y density (2).
        if (p.size() < 12 || p.first(5) != QByteArrayView("JFIF\0", 5))
            return true;
        const int unit = ByteAt(p, 7);
        const double x = ReadBig16(p, 8);
        const double y = ReadBig16(p, 10);
        if (unit == 1)
            result = MakeResolution(x, y);
        else if (unit == 2)
            result = MakeResolution(x * kCentimetresPerInch, y * kCentimetresPerInch);
        return false;
    });
    return result;
}

const PropertyRecord* Find(const PropertyRecords& properties, PROPID id)
{
    for (const PropertyRecord& record : properties) {
        if (record.id == id)
            return &record;
    }
    return nullptr;
}

std::optional<double> RationalValue(const PropertyRecords& properties, PROPID id)
{
    const PropertyRecord* record = Find(properties, id);
    if (!record || record->type != PropertyTagTypeRational || record->value.size() < 8)
        return std::nullopt;
    const std::uint32_t numerator = ReadLittle32(record->value, 0);
    const std::uint32_t denominator = ReadLittle32(record->value, 4);
    if (denominator == 0)
        return std::nullopt;
    return static_cast<double>(numerator) / denominator;
}

// XResolution and YResolution with ResolutionUnit: 2 or absent is inches, 3 centimetres;
// any other unit declares no physical size.
std::optional<Resolution> TiffResolution(const PropertyRecords& properties)
{
    const std::optional<double> x = RationalValue(properties, 0x011A);
    const std::optional<double> y = RationalValue(properties, 0x011B);
    if (!x || !y)
        return std::nullopt;
    int unit = 2;
    if (const PropertyRecord* record = Find(properties, 0x0128)) {
        if (record->type == PropertyTagTypeShort && record->value.size() >= 2)
            unit = ReadLittle16(record->value, 0);
    }
    if (unit == 2)
        return MakeResolution(*x, *y);
    if (unit == 3)
        return MakeResolution(*x * kCentimetresPerInch, *y * kCentimetresPerInch);
    return std::nullopt;
}

std::optional<Resolution> PngPhysicalDensity(QByteArrayView file)
{
    std::optional<Resolution> result;
    ForEachPngChunk(file, [&result](const PngChunk& chunk) {
        if (chunk.type != "pHYs" || chunk.data.size() < 9)
            return true;
        // Unit 0 gives only the aspect ratio.
        if (ByteAt(chunk.data, 8) == 1)
            result = MakeResolution(ReadBig32(chunk.data, 0) * kInchesPerMetre,
                                    ReadBig32(chunk.data, 4) * kInchesPerMetre);
        return false;
    });
    return result;
}

std::optional<Resolution> BmpPelsPerMetre(QByteArrayView file)
{
    if (file.size() < 46 || ReadLittle32(file, 14) < 40)
        return std::nullopt;
    const auto x = static_cast<std::int32_t>(ReadLittle32(file, 38));
    const auto y = static_cast<std::int32_t>(ReadLittle32(file, 42));
    return MakeResolution(x * kInchesPerMetre, y * kInchesPerMetre);
}

}  // namespace

Resolution ProbeResolution(QByteArrayView file, FileFormat format,
                           const PropertyRecords& properties)
{
    std::optional<Resolution> declared;
    switch (format) {
    case FileFormat::Jpeg:
        declared = JfifDensity(file);
        if (!declared)
            declared = TiffResolution(properties);
        break;
    case FileFormat::Tiff: declared = TiffResolution(properties); break;
    case FileFormat::Png: declared = PngPhysicalDensity(file); break;
    case FileFormat::Bmp: declared = BmpPelsPerMetre(file); break;
    default: break;
    }
    return declared.value_or(Resolution{});
}

}  // namespace veltra::imaging
