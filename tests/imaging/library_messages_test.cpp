// libpng's messages reach the log only through the png_set_error_fn this program defines in
// place of libpng's, which passes Qt's call on to libpng's own. Were libpng's function no
// longer found (a new symbol version), Qt's call would be lost: libpng would print on standard
// error and the log would get nothing, which this test would see.

#include "formats/file_facts.h"
#include "formats/qt_decoding.h"
#include "imaging/imaging_test_support.h"

#include <QLoggingCategory>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace veltra::imaging {
namespace {

std::vector<QString> g_messages;

void CollectLibraryMessages(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    if (QByteArrayView(context.category) == "veltra.libraries")
        g_messages.push_back(message);
}

TEST(LibraryMessages, LibpngErrorsReachTheLibrariesCategory)
{
    // A byte of the image data changed without its checksum: libpng stops with an error.
    QByteArray png = test_support::ReadFixture("png_rgb_8bit.png");
    const qsizetype imageData = png.indexOf("IDAT");
    ASSERT_GT(imageData, 0);
    png[imageData + 6] = static_cast<char>(png[imageData + 6] ^ 0x55);

    const QtMessageHandler previous = qInstallMessageHandler(CollectLibraryMessages);
    QLoggingCategory::setFilterRules(QStringLiteral("veltra.libraries.warning=true"));
    QImage pixels;
    const GpStatus status = DecodeWithQt(png, FileFacts{}, "png", &pixels);
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);

    EXPECT_NE(status, Ok);
    EXPECT_TRUE(std::any_of(g_messages.begin(), g_messages.end(), [](const QString& message) {
        return message.startsWith(QStringLiteral("libpng: "));
    })) << g_messages.size() << " messages";
}

}  // namespace
}  // namespace veltra::imaging
