// The view on a display with a device-pixel ratio of 2 (this program runs with
// QT_SCALE_FACTOR=2): a picture that fits is drawn pixel for pixel, not enlarged, and the
// report keeps the size it has at a ratio of 1.

#include "app/app_test_support.h"

#include "app/printer_settings.h"
#include "app/veltra_view.h"
#include "document/veltra_doc.h"

#include <QFontInfo>
#include <QGuiApplication>

namespace veltra {
namespace {

using app_test::CountPixels;
using app_test::Opaque;

TEST(HighDpiViewTest, APictureThatFitsCoversExactlyItsOwnDevicePixels)
{
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
    QTemporaryDir files;
    app_test::RecordingPrompts prompts;
    CVeltraDoc doc(prompts);
    PrinterSettings printerSettings;
    CVeltraView view(&doc, printerSettings);
    view.resize(800, 600);  // 1600 x 1200 device pixels
    ASSERT_TRUE(doc.OnOpenDocument(
        app_test::WritePicture(files, QStringLiteral("red.png"), QSize(640, 480), Qt::red)));

    const QImage shot = view.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(1600, 1200));
    // Centred at (480, 360), below the report's four lines: red exactly there, nowhere else.
    const QRect picture(480, 360, 640, 480);
    const QRgb red = Opaque(255, 0, 0);
    EXPECT_EQ(CountPixels(shot, red, shot.rect()), 640 * 480);
    EXPECT_EQ(CountPixels(shot, red, picture), 640 * 480);

    // The report's first line is about as many device pixels tall as its font has pixels at a
    // ratio of 2; drawn at half size it would be about one font size tall.
    const auto hasInk = [&](int y) {
        for (int x = 0; x < 400; ++x) {
            if (qGray(shot.pixel(x, y)) < 128)  // dark text on the light grey background
                return true;
        }
        return false;
    };
    int top = 0;
    while (top < 200 && !hasInk(top))
        ++top;
    int bottom = top;
    while (bottom < 200 && hasInk(bottom))
        ++bottom;
    EXPECT_GT(bottom - top, 1.4 * QFontInfo(view.font()).pixelSize());
}

}  // namespace
}  // namespace veltra
