#include "app/dialog_prompts.h"

#include "app/resource_tables.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

namespace veltra {

namespace {

void ShowBox(QWidget* owner, const QString& text, QMessageBox::Icon icon)
{
    // A message can come in the middle of work that shows the busy pointer; the box itself
    // waits for the user, so it gets the ordinary one.
    const bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    QMessageBox box(icon, ApplicationTitle(), text, QMessageBox::Ok, owner);
    box.exec();
    if (busy)
        QGuiApplication::restoreOverrideCursor();
}

std::optional<QString> NonEmpty(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

// The details (the real pattern) stay hidden so the list shows the description as written.
constexpr QFileDialog::Options kFilterOptions = QFileDialog::HideNameFilterDetails;

}  // namespace

QString AllFilesFilter(const QString& description)
{
    return description + QStringLiteral(" (*)");
}

QString JpegFilesFilter() { return QStringLiteral("*.jpg (*.jpg)"); }

void DialogPrompts::ShowMessage(const QString& text, Icon icon)
{
    ShowBox(m_owner, text,
            icon == Icon::Information ? QMessageBox::Information : QMessageBox::Critical);
}

std::optional<COLORREF> DialogPrompts::ChooseColor(COLORREF initial)
{
    const QColor chosen = QColorDialog::getColor(
        QColor(GetRValue(initial), GetGValue(initial), GetBValue(initial)), m_owner);
    if (!chosen.isValid())
        return std::nullopt;
    return RGB(static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
               static_cast<std::uint8_t>(chosen.blue()));
}

std::optional<QString> DialogPrompts::ChooseWatermarkFile()
{
    // An open dialog only returns files that exist.
    return NonEmpty(QFileDialog::getOpenFileName(m_owner, QStringLiteral("选择文件"), QString(),
                                                 AllFilesFilter(QStringLiteral("*.*")),
                                                 nullptr, kFilterOptions));
}

std::optional<QString> DialogPrompts::ChooseExportFile()
{
    // Replacing an existing file is not questioned; the export itself never leaves a
    // damaged file behind.
    return NonEmpty(QFileDialog::getSaveFileName(
        m_owner, QStringLiteral("选择文件"), QString(), JpegFilesFilter(), nullptr,
        kFilterOptions | QFileDialog::DontConfirmOverwrite));
}

void DialogPrompts::ShowFrameworkMessage(const QString& text)
{
    ShowBox(m_owner, text, QMessageBox::Warning);
}

std::optional<QString> DialogPrompts::ChooseFileToOpen()
{
    return NonEmpty(QFileDialog::getOpenFileName(m_owner, QStringLiteral("打开"), QString(),
                                                 AllFilesFilter(QStringLiteral("所有文件(*.*)")),
                                                 nullptr, kFilterOptions));
}

std::optional<QString> DialogPrompts::ChooseJsonFile(const QString& suggested)
{
    return NonEmpty(QFileDialog::getSaveFileName(m_owner, QStringLiteral("导出 JSON"), suggested,
                                                 QStringLiteral("JSON (*.json)")));
}

}  // namespace veltra
