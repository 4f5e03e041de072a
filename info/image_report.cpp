#include "info/image_report.h"

#include "imaging/gdiplus.h"
#include "imaging/orientation.h"
#include "item_bytes.h"
#include "info/property_list.h"

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

// The Exif colour space, when the picture declares it as a SHORT. Only the first element
// counts; a value too short for one element still gives what it holds.
QString ReadColorSpaceText(GpImage* image)
{
    const std::optional<PropertyItemBuffer> buffer =
        ReadPropertyItem(image, PropertyTagExifColorSpace);
    if (!buffer || buffer->item()->type != PropertyTagTypeShort)
        return {};
    const QByteArrayView bytes = ValueBytes(*buffer->item());
    std::uint16_t colorSpace = 0;
    if (bytes.size() >= 2)
        colorSpace = Little16At(bytes, 0);
    else if (bytes.size() == 1)
        colorSpace = ByteAt(bytes, 0);
    return ColorSpaceText(colorSpace);
}

// The orientation value, or 0 when the picture has no single SHORT orientation.
std::uint16_t ReadOrientation(GpImage* image)
{
    const std::optional<PropertyItemBuffer> buffer =
        ReadPropertyItem(image, PropertyTagOrientation);
    if (!buffer)
        return 0;
    const PropertyItem& item = *buffer->item();
    if (item.type != PropertyTagTypeShort || item.length != 2)
        return 0;
    return Little16At(ValueBytes(item), 0);
}

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
    if (image == nullptr)
        return false;

    QString fileType = QStringLiteral("未知类型");
    bool isJpeg = false;
    GUID rawFormat;
    if (GdipGetImageRawFormat(image, &rawFormat) == Ok) {
        if (const FileTypeRow* row = FindFileType(rawFormat)) {
            fileType = row->text.toString();
            // The Exif identifier is not a JPEG for this purpose: only the JPEG row is.
            isJpeg = row->format == ImageFormatJPEG;
        }
    }

    QString pixelFormatText = QStringLiteral("未知");
    PixelFormat pixelFormat = 0;
    if (GdipGetImagePixelFormat(image, &pixelFormat) == Ok)
        pixelFormatText = PixelFormatText(pixelFormat);

    const QString colorSpaceText = ReadColorSpaceText(image);

    REAL dpiX = 0;
    REAL dpiY = 0;
    if (GdipGetImageHorizontalResolution(image, &dpiX) != Ok)
        dpiX = 0;
    if (GdipGetImageVerticalResolution(image, &dpiY) != Ok)
        dpiY = 0;
    const QString resolutionText = ResolutionText(dpiX, dpiY, isJpeg);

    // Listed before any turn, so the section shows every property as the file stored it.
    QString propertyText;
    GetPropertyList(image, propertyText);

    const std::uint16_t orientation = ReadOrientation(image);
    const QString orientationText = OrientationText(orientation);
    // The orientation item always says how the file stored the pixels, so the turn it asks for
    // is applied only to a picture still as decoded: every later report finds it upright
    // already. A failed turn leaves the picture as it was; the text still names the value.
    RotateFlipType applied = RotateNoneFlipNone;
    const bool asStored =
        GetImageAppliedTurn(image, &applied) == Ok && applied == RotateNoneFlipNone;
    if (const std::optional<RotateFlipType> turn = UprightTurnFor(orientation); turn && asStored)
        GdipImageRotateFlip(image, *turn);

    // Read after the turn, so a quarter-turned picture reports its upright size.
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (GdipGetImageWidth(image, &width) != Ok)
        width = 0;
    if (GdipGetImageHeight(image, &height) != Ok)
        height = 0;

    // Width and height are written as signed numbers, as the report has always shown them.
    QString report = QStringLiteral("文件类型：") + fileType;
    report += QStringLiteral("\n尺寸：") + QString::number(static_cast<std::int32_t>(width)) + u'x'
        + QString::number(static_cast<std::int32_t>(height));
    report += QStringLiteral("\n像素格式：") + pixelFormatText;
    report += QStringLiteral("\nDPI：") + resolutionText;
    if (!orientationText.isEmpty())
        report += QStringLiteral("\n旋转标志：") + orientationText;
    if (!colorSpaceText.isEmpty())
        report += QStringLiteral("\n颜色空间：") + colorSpaceText;
    if (!propertyText.isEmpty())
        report += QStringLiteral("\n其它属性：\n") + propertyText;
    text = report;
    return true;
}

}  // namespace veltra::info
