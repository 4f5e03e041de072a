#include "app/toolbar_bitmap.h"

#include <QColor>

#include <array>
#include <string_view>

namespace veltra {

namespace {

using Glyph = std::array<std::string_view, kButtonImageHeight>;

// Palette letters: '.' light grey (the button face), 'k' black, 'g' grey, 'w' white,
// 'y' yellow, 'o' olive, 'b' dark blue. All are colours of the standard 16-colour palette.
QRgb PaletteColour(char letter)
{
    switch (letter) {
    case 'k':
        return qRgb(0, 0, 0);
    case 'g':
        return qRgb(128, 128, 128);
    case 'w':
        return qRgb(255, 255, 255);
    case 'y':
        return qRgb(255, 255, 0);
    case 'o':
        return qRgb(128, 128, 0);
    case 'b':
        return qRgb(0, 0, 128);
    default:
        return qRgb(192, 192, 192);
    }
}

constexpr Glyph kOpenFolder{
    "................", "................", "................", ".kkkk...........",
    "kyyyyk..........", "kywywkkkkkkk....", "kwywywywywyk....", "kywywkkkkkkkkkkk",
    "kwywkooooooooook", "kywkooooooooook.", "kwkooooooooook..", "kkooooooooook...",
    "kkkkkkkkkkkk....", "................", "................",
};

constexpr Glyph kLetterB{
    "................", "................", "................", "....bbbbbb......",
    "....bb...bb.....", "....bb...bb.....", "....bb...bb.....", "....bbbbbb......",
    "....bb...bb.....", "....bb...bb.....", "....bb...bb.....", "....bbbbbb......",
    "................", "................", "................",
};

constexpr Glyph kCross{
    "................", "................", "................", "...bb.....bb....",
    "....bb...bb.....", ".....bb.bb......", "......bbb.......", "......bbb.......",
    ".....bb.bb......", "....bb...bb.....", "...bb.....bb....", "................",
    "................", "................", "................",
};

constexpr Glyph kLetterW{
    "................", "................", "................", "..kk........kk..",
    "..kk........kk..", "..kk...kk...kk..", "..kk...kk...kk..", "...kk.kkkk.kk...",
    "...kk.kkkk.kk...", "...kkkk..kkkk...", "....kk....kk....", "....kk....kk....",
    "................", "................", "................",
};

constexpr Glyph kLetterC{
    "................", "................", "................", ".....kkkkk......",
    "....kk...kk.....", "...kk...........", "...kk...........", "...kk...........",
    "...kk...........", "...kk...........", "....kk...kk.....", ".....kkkkk......",
    "................", "................", "................",
};

constexpr Glyph kLetterT{
    "................", "................", "................", "...kkkkkkkkkk...",
    "...kkkkkkkkkk...", ".......kk.......", ".......kk.......", ".......kk.......",
    ".......kk.......", ".......kk.......", ".......kk.......", ".......kk.......",
    "................", "................", "................",
};

constexpr Glyph kLetterS{
    "................", "................", "................", ".....kkkkk......",
    "....kk...kk.....", "....kk..........", ".....kkk........", ".......kkk......",
    ".........kk.....", ".........kk.....", "....kk...kk.....", ".....kkkkk......",
    "................", "................", "................",
};

constexpr Glyph kLetterO{
    "................", "................", "................", ".....kkkkk......",
    "....kk...kk.....", "...kk.....kk....", "...kk.....kk....", "...kk.....kk....",
    "...kk.....kk....", "...kk.....kk....", "....kk...kk.....", ".....kkkkk......",
    "................", "................", "................",
};

// Left to right as the toolbar's buttons take them.
constexpr std::array<const Glyph*, kButtonImageCount> kGlyphs{
    &kOpenFolder, &kLetterB, &kCross, &kLetterW, &kLetterC, &kLetterT, &kLetterS, &kLetterO,
};

constexpr bool EveryRowFits()
{
    for (const Glyph* glyph : kGlyphs) {
        for (std::string_view row : *glyph) {
            if (row.size() != static_cast<std::size_t>(kButtonImageWidth))
                return false;
        }
    }
    return true;
}
static_assert(EveryRowFits(), "every glyph row is one button image wide");

}  // namespace

QImage ToolbarBitmap()
{
    QImage strip(kButtonImageWidth * kButtonImageCount, kButtonImageHeight,
                 QImage::Format_RGB32);
    for (int index = 0; index < kButtonImageCount; ++index) {
        const Glyph& glyph = *kGlyphs[static_cast<std::size_t>(index)];
        for (int y = 0; y < kButtonImageHeight; ++y) {
            const std::string_view row = glyph[static_cast<std::size_t>(y)];
            for (int x = 0; x < kButtonImageWidth; ++x)
                strip.setPixel(index * kButtonImageWidth + x, y,
                               PaletteColour(row[static_cast<std::size_t>(x)]));
        }
    }
    return strip;
}

QIcon ToolbarButtonIcon(int index)
{
    if (index < 0 || index >= kButtonImageCount)
        return QIcon();
    QImage image = ToolbarBitmap()
                       .copy(index * kButtonImageWidth, 0, kButtonImageWidth, kButtonImageHeight)
                       .convertToFormat(QImage::Format_ARGB32);
    const QRgb face = qRgb(192, 192, 192);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == face)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
        }
    }
    return QIcon(QPixmap::fromImage(image));
}

}  // namespace veltra
