#pragma once

// The About box: the application icon, the name and version, one line about the program and
// an OK button, laid out in dialog units as a fixed-size box.

#include <QDialog>

class QLabel;
class QPushButton;

namespace veltra {

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QLabel* IconLabel() const { return m_icon; }
    QLabel* VersionLabel() const { return m_version; }
    QLabel* DescriptionLabel() const { return m_description; }
    QPushButton* OkButton() const { return m_ok; }

private:
    QLabel* m_icon;
    QLabel* m_version;
    QLabel* m_description;
    QPushButton* m_ok;
};

// Dialog units to pixels for `font`: a horizontal unit is a quarter of the font's average
// letter width, a vertical one an eighth of its height.
QRect DialogUnitsToPixels(const QRect& units, const QFont& font);

}  // namespace veltra
