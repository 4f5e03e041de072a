// The report is drawn as text, character for character: an ampersand in a metadata value is
// an ampersand, not a marker that hides itself and underlines the next character.

#include "document/document_test_support.h"
#include "imaging/image_for_testing.h"

#include <QFontMetrics>
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace veltra {
namespace {

using document_test::FakePrompts;
using document_test::Paint;

// The rightmost column in the rows that holds ink of dark text on white (antialiased edges
// count once they are darker than mid-grey), or -1.
int RightmostInk(const QImage& image, int firstRow, int lastRow)
{
    int rightmost = -1;
    for (int y = firstRow; y <= lastRow && y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                rightmost = std::max(rightmost, x);
        }
    }
    return rightmost;
}

TEST(ReportTextTest, AmpersandsInAValueAreDrawnAsTheyStand)
{
    // A one-pixel picture in a corner, so the report's lines lie over the plain background.
    const QByteArray ampersands(24, '&');
    imaging::ImagePtr picture = imaging::MakeImageForTesting(
        QImage(1, 1, QImage::Format_RGB32),
        {.rawFormat = imaging::ImageFormatPNG,
         .properties = {{imaging::PropertyTagImageDescription, imaging::TiffType::Ascii, ampersands}}});

    FakePrompts prompts;
    CVeltraDoc document(prompts);
    DocumentTestAccess::SetBackgroundColor(document, RGB(255, 255, 255));
    DocumentTestAccess::HoldPicture(document, std::move(picture));
    const QImage painted = Paint(document, QSize(1200, 400));

    // The sixth line of the report: head (4 lines), "其它属性：", then the property.
    const QFontMetrics metrics(QGuiApplication::font());
    const int lineTop = metrics.lineSpacing() * 5;
    const int drawnRight =
        RightmostInk(painted, lineTop, lineTop + metrics.lineSpacing() - 1);
    const QString literal = QStringLiteral(" ImageDescription:") + QString::fromLatin1(ampersands);
    const QString asMnemonics = QStringLiteral(" ImageDescription:") + QString(12, u'&');
    ASSERT_GT(drawnRight, 0) << "no text on the property line";
    // Taken as mnemonics, every pair would draw a single ampersand: half as many.
    EXPECT_GT(drawnRight, metrics.horizontalAdvance(asMnemonics) + metrics.horizontalAdvance(u'&'));
    EXPECT_LE(drawnRight, metrics.horizontalAdvance(literal) + 2);
}

}  // namespace
}  // namespace veltra
