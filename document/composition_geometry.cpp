#include "document/composition_geometry.h"

namespace veltra {

PicturePlacement PlacePicture(std::uint32_t width, std::uint32_t height, int areaWidth,
                              int areaHeight)
{
    if (width == 0 || height == 0)
        return {false, QRect()};
    // Strictly smaller in both directions: natural size, centred.
    if (width < static_cast<std::uint32_t>(areaWidth) &&
        height < static_cast<std::uint32_t>(areaHeight)) {
        const int x = static_cast<int>((static_cast<std::uint32_t>(areaWidth) - width) >> 1);
        const int y = static_cast<int>((static_cast<std::uint32_t>(areaHeight) - height) >> 1);
        return {true, QRect(x, y, static_cast<int>(width), static_cast<int>(height))};
    }
    const double byHeight = static_cast<double>(areaHeight) / height;
    const double byWidth = static_cast<double>(areaWidth) / width;
    const double scale = byHeight < byWidth ? byHeight : byWidth;
    const auto scaledWidth = static_cast<int>(width * scale);
    const auto scaledHeight = static_cast<int>(height * scale);
    return {false, QRect((areaWidth - scaledWidth) / 2, (areaHeight - scaledHeight) / 2,
                         scaledWidth, scaledHeight)};
}

QRect FitWatermark(std::uint32_t pictureWidth, std::uint32_t pictureHeight,
                   std::uint32_t watermarkWidth, std::uint32_t watermarkHeight)
{
    if (watermarkWidth == 0 || watermarkHeight == 0)
        return QRect();
    const double byHeight = static_cast<double>(pictureHeight) / watermarkHeight;
    const double byWidth = static_cast<double>(pictureWidth) / watermarkWidth;
    const double scale = byHeight < byWidth ? byHeight : byWidth;
    const auto fittedWidth = static_cast<std::int64_t>(watermarkWidth * scale);
    const auto fittedHeight = static_cast<std::int64_t>(watermarkHeight * scale);
    const std::int64_t x = (static_cast<std::int64_t>(pictureWidth) - fittedWidth) / 2;
    const std::int64_t y = (static_cast<std::int64_t>(pictureHeight) - fittedHeight) / 2;
    return QRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(fittedWidth),
                 static_cast<int>(fittedHeight));
}

QPoint DefaultWatermarkPosition(std::uint32_t pictureWidth, std::uint32_t pictureHeight)
{
    return QPoint(static_cast<int>(pictureWidth / 2), static_cast<int>(pictureHeight / 2));
}

QPoint WatermarkTopLeft(QPoint centre, std::uint32_t watermarkWidth,
                        std::uint32_t watermarkHeight)
{
    return QPoint(centre.x() - static_cast<int>(watermarkWidth / 2),
                  centre.y() - static_cast<int>(watermarkHeight / 2));
}

imaging::ARGB BackgroundArgb(COLORREF background)
{
    return 0xFF000000u | static_cast<imaging::ARGB>(GetRValue(background)) << 16 |
           static_cast<imaging::ARGB>(GetGValue(background)) << 8 | GetBValue(background);
}

COLORREF ComplementColor(COLORREF background)
{
    return ~background & 0xFFFFFF;
}

}  // namespace veltra
