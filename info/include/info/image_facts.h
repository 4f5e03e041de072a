#pragma once

// What the report says of a picture, as values: the report's text is made from these, and so
// is every other form of it (the command line's JSON), so the forms can never disagree.

#include "imaging/gdiplus_types.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace veltra::imaging {
class GpImage;
}

namespace veltra::info {

// One property item, as its report line shows it and as the service holds it.
struct PropertyFact {
    imaging::PROPID id = 0;
    QString name;   // the tag's name, or the id in signed decimal
    QString value;  // the value as the report line writes it
    std::uint16_t type = 0;
    std::uint32_t length = 0;  // bytes
    QByteArray bytes;          // the value's bytes (little-endian elements), when asked for
};

struct ImageFacts {
    imaging::GUID rawFormat{};
    QString fileType;  // "jpg", ..., or "未知类型"
    bool isJpeg = false;
    // The format the content was decoded as ("jpeg", "webp", "tga"); empty in memory.
    QByteArray contentFormat;
    // As the pixels are stored in the file, and upright (after the turn the report applies).
    std::uint32_t storedWidth = 0;
    std::uint32_t storedHeight = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    imaging::PixelFormat pixelFormat = 0;
    QString pixelFormatText;
    imaging::REAL dpiX = 0;
    imaging::REAL dpiY = 0;
    QString resolutionText;
    std::uint16_t orientation = 0;  // 0 when the picture has no single SHORT orientation
    QString orientationText;
    // Every turn the picture has had since it was decoded, this report's included.
    imaging::RotateFlipType turn = imaging::RotateNoneFlipNone;
    QString colorSpaceText;
    std::vector<PropertyFact> properties;  // in the service's order
};

enum class RawValues { Left, Kept };

// The facts of the picture, turning it upright as the report does (once: a picture already
// turned stays as it is). Nothing when there is no picture. Value bytes are copied only when
// asked for.
std::optional<ImageFacts> GatherImageFacts(imaging::GpImage* image,
                                           RawValues rawValues = RawValues::Left);

// The report's text of those facts.
QString ReportText(const ImageFacts& facts);

}  // namespace veltra::info
