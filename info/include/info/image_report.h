#pragma once

#include "imaging/gdiplus_types.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <span>

namespace veltra::imaging {
class GpImage;
}

namespace veltra::info {

// The file type a decoder identifier stands for.
struct FileTypeRow {
    imaging::GUID format;
    QStringView text;
};

// The text of a pixel-format value: the platform constant's name without its prefix.
struct PixelFormatRow {
    imaging::PixelFormat format;
    QStringView text;
};

struct ColorSpaceRow {
    std::uint16_t colorSpace;
    QStringView text;
};

std::span<const FileTypeRow> FileTypeTable();
std::span<const PixelFormatRow> PixelFormatTable();

// The first row for the identifier, or nothing for an identifier outside the table.
const FileTypeRow* FindFileType(const imaging::GUID& format);
// "未知" for a value no row holds. Values are compared whole, never taken apart into flags.
QString PixelFormatText(imaging::PixelFormat format);
// Empty for 0 (no usable orientation), "6 [Rotate90FlipNone]" for a turn, else the number.
QString OrientationText(std::uint16_t orientation);
// "sRGB" or "未校准"; empty for every other value.
QString ColorSpaceText(std::uint16_t colorSpace);
// "%.0fx%.0f" of the two resolutions, with a note unless the picture is a JPEG.
QString ResolutionText(imaging::REAL horizontal, imaging::REAL vertical, bool isJpeg);

// Replaces `text` with the report on the picture: file type, size, pixel format, resolution,
// then the orientation, colour space and property sections when they have content. A picture
// whose orientation property asks for a turn or mirror (2 to 8) is turned in place before its
// size is read. Returns false, leaving `text` alone, only when there is no picture.
bool GetImageInfo(imaging::GpImage* image, QString& text);

}  // namespace veltra::info
