// Every test program starts a Qt application on the offscreen platform, so that image
// plugins, fonts and painting behave as in the application without a display. The widget
// tests need the widget flavour of it, with the application's Chinese conventions, and one of
// them a display with more than one device pixel to each window pixel.
#ifdef VELTRA_TEST_WIDGETS
#include "app/chinese_conventions.h"

#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

#include "imaging/gdiplus.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef VELTRA_TEST_SCALE_FACTOR
    qputenv("QT_SCALE_FACTOR", VELTRA_TEST_SCALE_FACTOR);
#endif
#ifdef VELTRA_TEST_WIDGETS
    veltra::UseChineseConventions();
#endif
    TestApplication app(argc, argv);
    std::uintptr_t token = 0;
    const veltra::imaging::GdiplusStartupInput startup;
    veltra::imaging::GdiplusStartup(&token, &startup, nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
