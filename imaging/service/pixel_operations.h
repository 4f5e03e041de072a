#pragma once

// Whole-picture pixel work on large pictures: shrinking by half with a box filter, turning,
// and splitting rows between the two cores this kind of machine has.

#include "imaging/gdiplus_types.h"

#include <QImage>

#include <functional>

namespace veltra::imaging {

// Runs `work(firstRow, endRow)` over the rows [0, rows), split between this thread and one
// more when there are enough rows to be worth it. Returns when both halves are done.
void ForEachBand(int rows, const std::function<void(int firstRow, int endRow)>& work);

// The picture halved in each direction with a 2 x 2 box filter, in premultiplied ARGB. An odd
// width or height rounds up; the last column or row averages the pixels it has.
QImage HalvedByBox(const QImage& source);

// The picture turned clockwise by the type's angle and then, for the FlipX types, mirrored
// left to right. A null picture when memory runs out.
QImage Turned(const QImage& source, RotateFlipType turn);

// The turn that takes pixels already turned by `from` to pixels turned by `to`.
RotateFlipType TurnBetween(RotateFlipType from, RotateFlipType to);

}  // namespace veltra::imaging
