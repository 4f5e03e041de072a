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

// Every turn here is its own kind of rotation or mirror, so the inverse is the transpose.
constexpr Matrix Inverse(const Matrix& m) { return {m.xx, m.yx, m.xy, m.yy}; }

}  // namespace

std::optional<RotateFlipType> UprightTurnFor(std::uint16_t orientation)
{
    if (orientation < 2 || orientation > 8)
        return std::nullopt;
    return kUprightTurn[orientation];
}

std::uint16_t OrientationAfterTurn(std::uint16_t orientation, RotateFlipType applied)
{
    if (orientation < 1 || orientation > 8)
        return orientation;
    // The new pixels are applied(old); the upright view must stay upright(old), so the new
    // orientation's turn is upright(old) after undoing `applied`.
    const Matrix wanted = Multiply(MatrixOf(kUprightTurn[orientation]), Inverse(MatrixOf(applied)));
    for (std::uint16_t candidate = 1; candidate <= 8; ++candidate) {
        if (MatrixOf(kUprightTurn[candidate]) == wanted)
            return candidate;
    }
    return orientation;  // unreachable: the eight turns form a closed group
}

const char* RotateFlipTypeName(RotateFlipType type)
{
    const auto index = static_cast<std::size_t>(type);
    return index < kRotateFlipNames.size() ? kRotateFlipNames[index] : "";
}

}  // namespace veltra::imaging
