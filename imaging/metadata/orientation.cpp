#include "imaging/orientation.h"

#include <array>

namespace veltra::imaging {
namespace {

// A turn as a 2 x 2 integer matrix on pixel coordinates with y pointing down:
// (x, y) -> (xx * x + xy * y, yx * x + yy * y). A clockwise quarter turn sends right to down.
struct Matrix {
    int xx, xy, yx, yy;
    friend constexpr bool operator==(const Matrix&, const Matrix&) = default;
};

constexpr Matrix Multiply(const Matrix& a, const Matrix& b)
{
    return {a.xx * b.xx + a.xy * b.yx, a.xx * b.xy + a.xy * b.yy,
            a.yx * b.xx + a.yy * b.yx, a.yx * b.xy + a.yy * b.yy};
}

constexpr Matrix kIdentity{1, 0, 0, 1};
constexpr Matrix kQuarterTurn{0, -1, 1, 0};
constexpr Matrix kMirrorX{-1, 0, 0, 1};

// Rotation first, then the mirror: applying A then B is B * A.
constexpr Matrix MatrixOf(RotateFlipType type)
{
    const int quarterTurns = static_cast<int>(type) & 3;
    Matrix matrix = kIdentity;
    for (int i = 0; i < quarterTurns; ++i)
        matrix = Multiply(kQuarterTurn, matrix);
    if (static_cast<int>(type) & 4)
        matrix = Multiply(kMirrorX, matrix);
    return matrix;
}

// The orientation value's upright turn, indexed by value 1..8.
constexpr std::array<RotateFlipType, 9> kUprightTurn{
    RotateNoneFlipNone,  // unused: there is no orientation 0
    RotateNoneFlipNone, RotateNoneFlipX, Rotate180FlipNone, Rotate180FlipX,
    Rotate90FlipX,      Rotate90FlipNone, Rotate270FlipX,   Rotate270FlipNone,
};

constexpr std::array<const char*, 8> kRotateFlipNames{
    "RotateNoneFlipNone", "Rotate90FlipNone", "Rotate180FlipNone", "Rotate270FlipNone",
    "RotateNoneFlipX",    "Rotate90FlipX",    "Rotate180FlipX",    "Rotate270FlipX",
};

}  // namespace

std::optional<RotateFlipType> UprightTurnFor(std::uint16_t orientation)
{
    if (orientation < 2 || orientation > 8)
        return std::nullopt;
    return kUprightTurn[orientation];
}

RotateFlipType ComposeTurns(RotateFlipType first, RotateFlipType second)
{
    const Matrix both = Multiply(MatrixOf(second), MatrixOf(first));
    for (int candidate = RotateNoneFlipNone; candidate <= Rotate270FlipX; ++candidate) {
        const auto type = static_cast<RotateFlipType>(candidate);
        if (MatrixOf(type) == both)
            return type;
    }
    return RotateNoneFlipNone;  // unreachable: the eight turns form a closed group
}

const char* RotateFlipTypeName(RotateFlipType type)
{
    const auto index = static_cast<std::size_t>(type);
    return index < kRotateFlipNames.size() ? kRotateFlipNames[index] : "";
}

}  // namespace veltra::imaging
