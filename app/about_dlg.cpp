#include "app/about_dlg.h"

#include "app/app_icon.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace veltra {

QRect DialogUnitsToPixels(const QRect& units, const QFont& font)
{
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    const int baseY = metrics.height();
    const auto horizontal = [baseX](int value) { return value * baseX / 4; };
    const auto vertical = [baseY](int value) { return value * baseY / 8; };
    return QRect(horizontal(units.x()), vertical(units.y()), horizontal(units.width()),
                 vertical(units.height()));
}

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent),
      m_icon(new QLabel(this)),
      m_version(new QLabel(QStringLiteral("Veltra，1.0 版"), this)),
      m_description(new QLabel(QStringLiteral("查看图像文件的真实信息"), this)),
      m_ok(new QPushButton(QStringLiteral("确定"), this))
{
    setWindowTitle(QStringLiteral("关于Veltra"));
    const QFont dialogFont = font();
    const auto place = [&dialogFont](QWidget* control, int x, int y, int width, int height) {
        control->setGeometry(DialogUnitsToPixels(QRect(x, y, width, height), dialogFont));
    };

    m_icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    m_icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(m_icon, 14, 14, 20, 20);
    // The name is shown as written; no letter of it is an accelerator.
    m_version->setTextFormat(Qt::PlainText);
    place(m_version, 42, 14, 114, 8);
    m_description->setTextFormat(Qt::PlainText);
    place(m_description, 42, 26, 114, 8);
    place(m_ok, 113, 41, 50, 14);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    // Nothing in the box moves or grows: it keeps its size.
    setFixedSize(DialogUnitsToPixels(QRect(0, 0, 170, 62), dialogFont).size());
}

}  // namespace veltra
