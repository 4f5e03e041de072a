#pragma once

// Photoshop's image resources, as a PSD file's resource section and a JPEG's APP13 segment hold
// them: "8BIM", a 2-byte id, a Pascal name padded to an even length, a 4-byte size, and the
// data padded to an even length.

#include "imaging/file_structure.h"
#include "metadata/item_budget.h"

#include <QByteArrayView>

#include <cstdint>
#include <functional>
#include <optional>

namespace veltra::imaging {

inline constexpr std::uint16_t kPhotoshopResolutionInfo = 0x03ED;
inline constexpr std::uint16_t kPhotoshopOldThumbnail = 0x0409;
inline constexpr std::uint16_t kPhotoshopThumbnail = 0x040C;
inline constexpr std::uint16_t kPhotoshopIccProfile = 0x040F;
// Version information: a 4-byte version, then whether the merged picture is the real composite.
inline constexpr std::uint16_t kPhotoshopVersionInfo = 0x0421;
inline constexpr std::uint16_t kPhotoshopExif = 0x0422;
inline constexpr std::uint16_t kPhotoshopXmp = 0x0424;

// Calls `visit` with each resource's id and data, in order, until it returns false. The walk
// ends at the first resource that is not one or whose data runs past the end.
void ForEachPhotoshopResource(QByteArrayView resources,
                              const std::function<bool(std::uint16_t id, QByteArrayView data)>& visit);

// The thumbnail that a thumbnail resource's data describes; its JFIF bytes are kept when the
// resource holds them and the budget allows. Nothing when the data is too short for its header.
std::optional<PhotoshopThumbnail> ReadPhotoshopThumbnailResource(QByteArrayView data,
                                                                 ItemBudget& budget);

}  // namespace veltra::imaging
