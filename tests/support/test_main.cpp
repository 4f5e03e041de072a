// Every test program starts a Qt application on the offscreen platform, so that image
// plugins, fonts and painting behave as in the application without a display. The widget
// tests need the widget flavour of it.
#ifdef VELTRA_TEST_WIDGETS
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
    TestApplication app(argc, argv);
    std::uintptr_t token = 0;
    const veltra::imaging::GdiplusStartupInput startup;
    veltra::imaging::GdiplusStartup(&token, &startup, nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
