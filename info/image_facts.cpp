#include "info/image_facts.h"

#include "imaging/gdiplus.h"
#include "imaging/orientation.h"
#include "info/image_report.h"
#include "info/property_list.h"
#include "info/tag_names.h"
#include "info/value_format.h"
#include "item_bytes.h"

namespace veltra::info {

namespace {

using namespace imaging;

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

// A quarter turn, with or without a mirror, swaps width and height.
bool SwapsAxes(RotateFlipType turn)
{
    return (static_cast<int>(turn) & 1) != 0;
}

std::vector<PropertyFact> ReadProperties(GpImage* image, RawValues rawValues)
{
    std::vector<PropertyFact> properties;
    ForEachPropertyItem(image, [&](const PropertyItem& item) {
        PropertyFact fact;
        fact.id = item.id;
        fact.type = item.type;
        fact.length = item.length;
        GetPropertyTagName(item, fact.name);
        FormatPropertyValue(&item, fact.value);
        if (rawValues == RawValues::Kept)
            fact.bytes = ValueBytes(item).toByteArray();
        properties.push_back(std::move(fact));
    });
    return properties;
}

}  // namespace

std::optional<ImageFacts> GatherImageFacts(GpImage* image, RawValues rawValues)
{
    if (image == nullptr)
        return std::nullopt;

    ImageFacts facts;
    facts.fileType = QStringLiteral("未知类型");
    if (GdipGetImageRawFormat(image, &facts.rawFormat) == Ok) {
        if (const FileTypeRow* row = FindFileType(facts.rawFormat)) {
            facts.fileType = row->text.toString();
            // The Exif identifier is not a JPEG for this purpose: only the JPEG row is.
            facts.isJpeg = row->format == ImageFormatJPEG;
        }
    }
    if (GetImageContentFormat(image, &facts.contentFormat) != Ok)
        facts.contentFormat.clear();

    facts.pixelFormatText = QStringLiteral("未知");
    if (GdipGetImagePixelFormat(image, &facts.pixelFormat) == Ok)
        facts.pixelFormatText = PixelFormatText(facts.pixelFormat);
    else
        facts.pixelFormat = 0;

    facts.colorSpaceText = ReadColorSpaceText(image);

    if (GdipGetImageHorizontalResolution(image, &facts.dpiX) != Ok)
        facts.dpiX = 0;
    if (GdipGetImageVerticalResolution(image, &facts.dpiY) != Ok)
        facts.dpiY = 0;
    facts.resolutionText = ResolutionText(facts.dpiX, facts.dpiY, facts.isJpeg);

    // Listed before any turn, so the section shows every property as the file stored it.
    facts.properties = ReadProperties(image, rawValues);

    facts.orientation = ReadOrientation(image);
    facts.orientationText = OrientationText(facts.orientation);
    // The orientation item always says how the file stored the pixels, so the turn it asks for
    // is applied only to a picture still as decoded: every later report finds it upright
    // already. A picture whose container oriented it is upright already, whatever its Exif
    // says. A failed turn leaves the picture as it was; the text still names the value.
    RotateFlipType applied = RotateNoneFlipNone;
    bool orientedByContainer = false;
    GetImageOrientedByContainer(image, &orientedByContainer);
    const bool asStored = GetImageAppliedTurn(image, &applied) == Ok &&
                          applied == RotateNoneFlipNone && !orientedByContainer;
    if (const std::optional<RotateFlipType> turn = UprightTurnFor(facts.orientation);
        turn && asStored)
        GdipImageRotateFlip(image, *turn);
    if (GetImageAppliedTurn(image, &facts.turn) != Ok)
        facts.turn = RotateNoneFlipNone;

    // Read after the turn, so a quarter-turned picture reports its upright size.
    if (GdipGetImageWidth(image, &facts.width) != Ok)
        facts.width = 0;
    if (GdipGetImageHeight(image, &facts.height) != Ok)
        facts.height = 0;
    facts.storedWidth = SwapsAxes(facts.turn) ? facts.height : facts.width;
    facts.storedHeight = SwapsAxes(facts.turn) ? facts.width : facts.height;
    return facts;
}

QString ReportText(const ImageFacts& facts)
{
    // Width and height are written as signed numbers, as the report has always shown them.
    QString report = QStringLiteral("文件类型：") + facts.fileType;
    report += QStringLiteral("\n尺寸：") + QString::number(static_cast<std::int32_t>(facts.width)) +
              u'x' + QString::number(static_cast<std::int32_t>(facts.height));
    report += QStringLiteral("\n像素格式：") + facts.pixelFormatText;
    report += QStringLiteral("\nDPI：") + facts.resolutionText;
    if (!facts.orientationText.isEmpty())
        report += QStringLiteral("\n旋转标志：") + facts.orientationText;
    if (!facts.colorSpaceText.isEmpty())
        report += QStringLiteral("\n颜色空间：") + facts.colorSpaceText;
    if (!facts.properties.empty()) {
        report += QStringLiteral("\n其它属性：\n");
        for (const PropertyFact& property : facts.properties)
            AppendPropertyLine(report, property.name, property.value);
    }
    return report;
}

}  // namespace veltra::info
