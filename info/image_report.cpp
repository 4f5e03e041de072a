#include "info/image_report.h"

#include "imaging/gdiplus.h"
#include "imaging/orientation.h"
#include "info/image_facts.h"

#include <array>
#include <cstdio>

namespace veltra::info {

namespace {

using namespace imaging;

constexpr std::array<FileTypeRow, 12> kFileTypes{{
    {ImageFormatPNG, u"png"},
    {ImageFormatJPEG, u"jpg"},
    {ImageFormatGIF, u"gif"},
    {ImageFormatBMP, u"bmp"},
    {ImageFormatTIFF, u"tiff"},
    {ImageFormatIcon, u"icon"},
    {ImageFormatEMF, u"emf"},
    {ImageFormatWMF, u"wmf"},
    {ImageFormatEXIF, u"exif"},
    {ImageFormatPhotoCD, u"photoCD"},
    {ImageFormatFlashPIX, u"FlashPIX"},
    {ImageFormatMemoryBMP, u"memorybmp"},
}};

// The first six rows are the single flag bits. They match only a value that is the flag
// alone: the report names the value it got, it does not decompose it.
constexpr std::array<PixelFormatRow, 22> kPixelFormats{{
    {PixelFormatIndexed, u"Indexed"},
    {PixelFormatGDI, u"GDI"},
    {PixelFormatAlpha, u"Alpha"},
    {PixelFormatPAlpha, u"PAlpha"},
    {PixelFormatExtended, u"Extended"},
    {PixelFormatCanonical, u"Canonical"},
    {PixelFormatUndefined, u"Undefined"},
    {PixelFormat1bppIndexed, u"1bppIndexed"},
    {PixelFormat4bppIndexed, u"4bppIndexed"},
    {PixelFormat8bppIndexed, u"8bppIndexed"},
    {PixelFormat16bppGrayScale, u"16bppGrayScale"},
    {PixelFormat16bppRGB555, u"16bppRGB555"},
    {PixelFormat16bppRGB565, u"16bppRGB565"},
    {PixelFormat16bppARGB1555, u"16bppARGB1555"},
    {PixelFormat24bppRGB, u"24bppRGB"},
    {PixelFormat32bppRGB, u"32bppRGB"},
    {PixelFormat32bppARGB, u"32bppARGB"},
    {PixelFormat32bppPARGB, u"32bppPARGB"},
    {PixelFormat48bppRGB, u"48bppRGB"},
    {PixelFormat64bppARGB, u"64bppARGB"},
    {PixelFormat64bppPARGB, u"64bppPARGB"},
    {PixelFormat32bppCMYK, u"32bppCMYK"},
}};

constexpr std::array<ColorSpaceRow, 2> kColorSpaces{{
    {1, u"sRGB"},
    {0xFFFF, u"未校准"},
}};

}  // namespace

std::span<const FileTypeRow> FileTypeTable()
{
    return kFileTypes;
}

std::span<const PixelFormatRow> PixelFormatTable()
{
    return kPixelFormats;
}

const FileTypeRow* FindFileType(const GUID& format)
{
    for (const FileTypeRow& row : kFileTypes) {
        if (row.format == format)
            return &row;
    }
    return nullptr;
}

QString PixelFormatText(PixelFormat format)
{
    for (const PixelFormatRow& row : kPixelFormats) {
        if (row.format == format)
            return row.text.toString();
    }
    return QStringLiteral("未知");
}

QString OrientationText(std::uint16_t orientation)
{
    if (orientation == 0)
        return {};
    QString text = QString::number(orientation);
    // The turn that brings the picture upright, named as the platform names it.
    if (const std::optional<RotateFlipType> turn = UprightTurnFor(orientation)) {
        text += QStringLiteral(" [");
        text += QLatin1String(RotateFlipTypeName(*turn));
        text += u']';
    }
    return text;
}

QString ColorSpaceText(std::uint16_t colorSpace)
{
    for (const ColorSpaceRow& row : kColorSpaces) {
        if (row.colorSpace == colorSpace)
            return row.text.toString();
    }
    return {};
}

QString ResolutionText(REAL horizontal, REAL vertical, bool isJpeg)
{
    // C's printf, not Qt's formatting: an exact half goes to the even neighbour (62.5 gives 62),
    // as the report has always written it, where Qt would round it away from zero.
    char digits[2 * 48 + 2];
    std::snprintf(digits, sizeof digits, "%.0fx%.0f", double(horizontal), double(vertical));
    QString text = QString::fromLatin1(digits);
    // Only a JPEG's density is trusted; other formats often carry none and get a default.
    if (!isJpeg)
        text += QStringLiteral(" - 非JPG仅供参考");
    return text;
}

bool GetImageInfo(GpImage* image, QString& text)
{
    const std::optional<ImageFacts> facts = GatherImageFacts(image);
    if (!facts)
        return false;
    text = ReportText(*facts);
    return true;
}

}  // namespace veltra::info
