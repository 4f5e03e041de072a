#include "app/veltra_view.h"

#include "app/command_ids.h"
#include "app/print_mapping.h"
#include "app/printer_settings.h"
#include "document/veltra_doc.h"
#include "imaging/gdiplus.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace veltra {

CVeltraView::CVeltraView(CVeltraDoc* document, PrinterSettings& printerSettings,
                         QWidget* parent)
    : QWidget(parent), m_pDocument(document), m_printerSettings(printerSettings)
{
    // The document paints every pixel of the client area, background included.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(false);
    if (m_pDocument)
        connect(m_pDocument, &CVeltraDoc::viewsUpdateRequested, this,
                qOverload<>(&QWidget::update));
}

void CVeltraView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    // The document works in device pixels, so on a display with a device-pixel ratio above 1
    // a picture that fits is drawn pixel for pixel instead of enlarged and soft.
    const qreal ratio = devicePixelRatioF();
    painter.scale(1.0 / ratio, 1.0 / ratio);
    painter.setFont(DeviceFont(ratio));
    OnDraw(&painter);
}

QRect CVeltraView::DeviceClientRect() const
{
    return QRect(QPoint(0, 0), (QSizeF(size()) * devicePixelRatioF()).toSize());
}

QFont CVeltraView::DeviceFont(qreal ratio) const
{
    // The window's font at the size it has on screen, counted in device pixels, so the report
    // keeps its readable size whatever the ratio.
    QFont font = this->font();
    font.setPixelSize(qMax(1, qRound(QFontInfo(this->font()).pixelSize() * ratio)));
    return font;
}

void CVeltraView::OnDraw(QPainter* pDC)
{
    if (!m_pDocument)
        return;
    QRect rect(0, 0, 0, 0);
    rect = DeviceClientRect();
    m_pDocument->Draw(pDC, &rect);
}

bool CVeltraView::OnCmdMsg(unsigned id)
{
    switch (id) {
    case ID_FILE_PRINT:
        OnFilePrint();
        return true;
    case ID_FILE_PRINT_DIRECT:
        OnFilePrintDirect();
        return true;
    case ID_FILE_PRINT_PREVIEW:
        OnFilePrintPreview();
        return true;
    default:
        return false;
    }
}

bool CVeltraView::OnUpdateCmdUI(unsigned id, CCmdUI& cmdUI)
{
    if (id != ID_FILE_PRINT && id != ID_FILE_PRINT_DIRECT && id != ID_FILE_PRINT_PREVIEW)
        return false;
    cmdUI.Enable(true);
    return true;
}

void CVeltraView::OnFilePrint()
{
    QPrinter& printer = m_printerSettings.Printer();
    QPrintDialog dialog(&printer, this);
    // A job has one page, so there is no range to choose.
    dialog.setMinMax(1, 1);
    if (dialog.exec() == QDialog::Accepted)
        PrintDocument(printer);
}

void CVeltraView::OnFilePrintDirect() { PrintDocument(m_printerSettings.Printer()); }

void CVeltraView::OnFilePrintPreview()
{
    QPrintPreviewDialog preview(&m_printerSettings.Printer(), this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { PrintDocument(*printer); });
    preview.exec();
}

bool CVeltraView::PrintDocument(QPrinter& printer)
{
    // A page is printed from the picture's pixels, never from the copy a window may show
    // while they are still being decoded.
    if (m_pDocument && m_pDocument->image())
        imaging::GdipImageForceDecode(m_pDocument->image());
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    RenderPage(painter, QSizeF(printer.width(), printer.height()));
    return painter.end();
}

void CVeltraView::RenderPage(QPainter& painter, QSizeF printableSize)
{
    const QRect client = DeviceClientRect();
    painter.setTransform(PrintMapping(client.size(), printableSize));
    // The window's font in the window's device pixels, so the report wraps on paper exactly
    // as on screen and the uniform scale then enlarges it with everything else.
    painter.setFont(DeviceFont(devicePixelRatioF()));
    // Only the window's area of the page is painted; the margins stay paper.
    painter.setClipRect(client);
    OnDraw(&painter);
}

}  // namespace veltra
