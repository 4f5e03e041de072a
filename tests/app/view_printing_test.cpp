// The view's painting and printing: where the picture lands in the client area, the
// background and report colours, the one printed page and the mapping of the window's
// painting onto it. Pixel positions are worked out by hand from the sizes used.

#include "app/app_test_support.h"

#include "app/print_mapping.h"
#include "app/printer_settings.h"
#include "app/veltra_view.h"
#include "document/veltra_doc.h"
#include "support/document_test_access.h"

#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>

namespace veltra {
namespace {

using app_test::CountPixels;
using app_test::Opaque;

const QRgb kGrey = Opaque(192, 192, 192);
const QRgb kGreyComplement = Opaque(63, 63, 63);
const QRgb kRed = Opaque(255, 0, 0);

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_files.isValid());
        m_view.resize(400, 300);
    }

    // A 200 x 100 red picture: centred in 400 x 300 it covers (100, 100) to (299, 199).
    void OpenRedPicture()
    {
        const QString path =
            app_test::WritePicture(m_files, QStringLiteral("red.png"), QSize(200, 100), Qt::red);
        ASSERT_TRUE(m_doc.OnOpenDocument(path));
        ASSERT_NE(m_doc.image(), nullptr);
    }

    QTemporaryDir m_files;
    app_test::RecordingPrompts m_prompts;
    CVeltraDoc m_doc{m_prompts};
    PrinterSettings m_printerSettings;
    CVeltraView m_view{&m_doc, m_printerSettings};
};

TEST_F(ViewTest, PictureIsCentredOnTheBackground)
{
    OpenRedPicture();
    const QImage shot = m_view.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(400, 300));
    // Below the report's first lines: the picture's edges, exactly.
    for (int y : {150, 199}) {
        EXPECT_EQ(shot.pixel(99, y) & 0xFFFFFF, kGrey & 0xFFFFFF) << y;
        EXPECT_EQ(shot.pixel(100, y) & 0xFFFFFF, kRed & 0xFFFFFF) << y;
        EXPECT_EQ(shot.pixel(299, y) & 0xFFFFFF, kRed & 0xFFFFFF) << y;
        EXPECT_EQ(shot.pixel(300, y) & 0xFFFFFF, kGrey & 0xFFFFFF) << y;
    }
    EXPECT_EQ(shot.pixel(200, 200) & 0xFFFFFF, kGrey & 0xFFFFFF);
    EXPECT_EQ(shot.pixel(399, 299) & 0xFFFFFF, kGrey & 0xFFFFFF);
}

TEST_F(ViewTest, ReportIsWrittenInTheBackgroundsComplement)
{
    OpenRedPicture();
    QImage shot = m_view.grab().toImage();
    const QRect topBand(0, 0, 100, 40);
    EXPECT_GT(CountPixels(shot, kGreyComplement, topBand), 0);

    DocumentTestAccess::SetBackgroundColor(m_doc, RGB(0, 0, 255));
    shot = m_view.grab().toImage();
    EXPECT_EQ(shot.pixel(399, 299) & 0xFFFFFF, Opaque(0, 0, 255) & 0xFFFFFF);
    EXPECT_GT(CountPixels(shot, Opaque(255, 255, 0), topBand), 0);
    EXPECT_EQ(CountPixels(shot, kGreyComplement, topBand), 0);
}

TEST_F(ViewTest, NoPictureLeavesOnlyTheBackground)
{
    const QImage shot = m_view.grab().toImage();
    EXPECT_EQ(CountPixels(shot, kGrey, shot.rect()), 400 * 300);
}

TEST_F(ViewTest, ResizingLaysThePictureOutAgain)
{
    OpenRedPicture();
    m_view.resize(600, 400);
    const QImage shot = m_view.grab().toImage();
    // (600 - 200) / 2 = 200, (400 - 100) / 2 = 150.
    EXPECT_EQ(shot.pixel(199, 240) & 0xFFFFFF, kGrey & 0xFFFFFF);
    EXPECT_EQ(shot.pixel(200, 240) & 0xFFFFFF, kRed & 0xFFFFFF);
    EXPECT_EQ(shot.pixel(399, 249) & 0xFFFFFF, kRed & 0xFFFFFF);
    EXPECT_EQ(shot.pixel(399, 250) & 0xFFFFFF, kGrey & 0xFFFFFF);
}

struct MappingRow {
    QSize client;
    QSizeF printable;
    QTransform expected;
    friend void PrintTo(const MappingRow& row, std::ostream* out)
    {
        *out << row.client.width() << "x" << row.client.height() << " on "
             << row.printable.width() << "x" << row.printable.height();
    }
};

class PrintMappingTest : public ::testing::TestWithParam<MappingRow> {};

TEST_P(PrintMappingTest, OneUniformScaleCentred)
{
    const MappingRow& row = GetParam();
    const QTransform mapping = PrintMapping(row.client, row.printable);
    EXPECT_EQ(mapping, row.expected);
    // Uniform: a square stays a square.
    EXPECT_DOUBLE_EQ(mapping.m11(), mapping.m22());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PrintMappingTest,
    ::testing::Values(
        // Width decides: 800 / 400 = 2 (height would allow 4); 1200 - 600 leaves 300 above.
        MappingRow{{400, 300}, {800, 1200}, QTransform(2, 0, 0, 2, 0, 300)},
        // Height decides: 300 / 300 = 1; 1200 - 400 leaves 400 each side.
        MappingRow{{400, 300}, {1200, 300}, QTransform(1, 0, 0, 1, 400, 0)},
        // A page smaller than the window shrinks it: 100 / 400 = 0.25, 75 high in 200.
        MappingRow{{400, 300}, {100, 200}, QTransform(0.25, 0, 0, 0.25, 0, 62.5)},
        MappingRow{{0, 300}, {800, 1200}, QTransform()},
        MappingRow{{400, 300}, {0, 0}, QTransform()}));

TEST_F(ViewTest, PageShowsTheWindowScaledAndCentred)
{
    OpenRedPicture();
    // An 800 x 1200 page: scale 2, the window covers y 300 to 899. The picture's (100, 100)
    // to (300, 200) lands on (200, 500) to (600, 700).
    QImage page(800, 1200, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        m_view.RenderPage(painter, page.size());
    }
    EXPECT_EQ(page.pixel(199, 650) & 0xFFFFFF, kGrey & 0xFFFFFF);
    EXPECT_EQ(page.pixel(201, 650) & 0xFFFFFF, kRed & 0xFFFFFF);
    EXPECT_EQ(page.pixel(598, 698) & 0xFFFFFF, kRed & 0xFFFFFF);
    EXPECT_EQ(page.pixel(602, 650) & 0xFFFFFF, kGrey & 0xFFFFFF);
    EXPECT_EQ(page.pixel(400, 702) & 0xFFFFFF, kGrey & 0xFFFFFF);
    EXPECT_EQ(page.pixel(799, 899) & 0xFFFFFF, kGrey & 0xFFFFFF);
    // Above and below the window's area the paper stays blank.
    EXPECT_EQ(page.pixel(400, 299) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(page.pixel(400, 900) & 0xFFFFFF, 0xFFFFFFu);
    // The report is on the page too, enlarged with everything else.
    EXPECT_GT(CountPixels(page, kGreyComplement, QRect(0, 300, 200, 80)), 0);
}

TEST_F(ViewTest, PrintingMakesExactlyOnePage)
{
    OpenRedPicture();
    const QString pdf = m_files.filePath(QStringLiteral("out.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    ASSERT_TRUE(m_view.PrintDocument(printer));

    const QString text = QString::fromLatin1(app_test::ReadBytes(pdf));
    ASSERT_TRUE(text.startsWith(QStringLiteral("%PDF")));
    // Page objects, not the page tree ("/Type /Pages").
    const QRegularExpression pageObject(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    EXPECT_EQ(text.count(pageObject), 1);
}

TEST_F(ViewTest, RepaintRequestReachesTheView)
{
    OpenRedPicture();
    m_view.show();
    QCoreApplication::processEvents();
    int paints = 0;
    struct PaintCounter : QObject {
        int* count;
        explicit PaintCounter(int* c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                ++*count;
            return false;
        }
    } counter(&paints);
    m_view.installEventFilter(&counter);
    m_doc.OnImageClose();
    for (int round = 0; round < 20 && paints == 0; ++round)
        QCoreApplication::processEvents();
    EXPECT_GT(paints, 0);
    const QImage shot = m_view.grab().toImage();
    EXPECT_EQ(shot.pixel(200, 150) & 0xFFFFFF, kGrey & 0xFFFFFF);
}

}  // namespace
}  // namespace veltra
