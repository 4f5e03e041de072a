#pragma once

// The eight orientations a camera records, and the turns that relate them.
//
// How the letter F is stored for each orientation value, as the pixels lie in the file:
//
//   1           2           3           4           5           6           7           8
//   FFFFFF      FFFFFF          FF      FF          FFFFFFFFFF  FF                  FF  FFFFFFFFFF
//   FF              FF          FF      FF          FF  FF      FF  FF          FF  FF      FF  FF
//   FFFF          FFFF        FFFF      FFFF        FF          FFFFFFFFFF  FFFFFFFFFF          FF
//   FF              FF          FF      FF
//   FF              FF      FFFFFF      FFFFFF
//
// The turn that makes the stored picture upright is a clockwise rotation by 0, 90, 180 or
// 270 degrees, followed by a left-right mirror for 2, 4, 5 and 7.

#include "imaging/gdiplus_types.h"

#include <cstdint>
#include <optional>

namespace veltra::imaging {

// The turn that shows a picture stored with this orientation upright; none for 1 and for
// values outside 1..8.
std::optional<RotateFlipType> UprightTurnFor(std::uint16_t orientation);

// The single turn that does what `first` and then `second` do.
RotateFlipType ComposeTurns(RotateFlipType first, RotateFlipType second);

// The name of a turn as the platform spells it, such as "Rotate90FlipNone".
const char* RotateFlipTypeName(RotateFlipType type);

}  // namespace veltra::imaging
