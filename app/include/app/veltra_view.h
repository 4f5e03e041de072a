#pragma once

// The view: paints the document into the frame's client area and prints the same painting as
// one page.

#include "app/command_target.h"

#include <QWidget>

class QPainter;
class QPrinter;

namespace veltra {

class CVeltraDoc;
class PrinterSettings;

class CVeltraView : public QWidget, public CommandTarget {
    Q_OBJECT

public:
    // The document and the printer settings outlive the view.
    CVeltraView(CVeltraDoc* document, PrinterSettings& printerSettings,
                QWidget* parent = nullptr);

    CVeltraDoc* GetDocument() const { return m_pDocument; }

    // The print commands; everything else passes on.
    bool OnCmdMsg(unsigned id) override;
    bool OnUpdateCmdUI(unsigned id, CCmdUI& cmdUI) override;

    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();

    // Prints exactly one page; false when the printer could not be started.
    bool PrintDocument(QPrinter& printer);
    // Paints the page of a print job: the window's painting, scaled uniformly to fit the
    // printable area and centred on it.
    void RenderPage(QPainter& painter, QSizeF printableSize);

    // The client rectangle in device pixels, where the document paints.
    QRect DeviceClientRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Hands the painter and the client rectangle, in device pixels, to the document, for the
    // window and for printing alike.
    void OnDraw(QPainter* pDC);
    QFont DeviceFont(qreal ratio) const;

    CVeltraDoc* m_pDocument;
    PrinterSettings& m_printerSettings;
};

}  // namespace veltra
