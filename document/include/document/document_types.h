#pragma once

#include <cstdint>

namespace veltra {

// A 24-bit colour with red in the low byte, as colour choosers and stored colours use it.
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return static_cast<COLORREF>(red) | static_cast<COLORREF>(green) << 8 |
           static_cast<COLORREF>(blue) << 16;
}
constexpr std::uint8_t GetRValue(COLORREF color) { return color & 0xFF; }
constexpr std::uint8_t GetGValue(COLORREF color) { return (color >> 8) & 0xFF; }
constexpr std::uint8_t GetBValue(COLORREF color) { return (color >> 16) & 0xFF; }

// Bits of the watermark display flags.
inline constexpr std::uint32_t FLAG_WATERMARK_SHOW = 1;
inline constexpr std::uint32_t FLAG_WATERMARK_FIT = 2;
inline constexpr std::uint32_t FLAG_WATERMARK_TILE = 4;
inline constexpr std::uint32_t FLAG_REGION_OUTLINE = 8;

// The document's own commands. The toolbar carries all but the outline command; the reserved
// range is accepted and shown disabled.
inline constexpr unsigned ID_BACKGROUND_COLOR = 32772;
inline constexpr unsigned ID_IMAGE_CLOSE = 32774;
inline constexpr unsigned ID_WATERMARK_LOAD = 32775;
inline constexpr unsigned ID_WATERMARK_FIT = 32776;
inline constexpr unsigned ID_WATERMARK_SHOW = 32778;
inline constexpr unsigned ID_WATERMARK_TILE = 32785;
inline constexpr unsigned ID_FILE_SAVE_JPEG = 32787;
inline constexpr unsigned ID_REGION_OUTLINE = 32789;
inline constexpr unsigned ID_RESERVED_FIRST = 32100;
inline constexpr unsigned ID_RESERVED_LAST = 32199;

}  // namespace veltra
