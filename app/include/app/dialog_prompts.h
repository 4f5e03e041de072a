#pragma once

// The prompts as real dialogs: message boxes, the colour chooser and the file choosers.

#include "app/shell_prompts.h"

#include <QPointer>
#include <QWidget>

namespace veltra {

class DialogPrompts : public ShellPrompts {
public:
    // Dialogs open over `owner` (the main window once it exists), or on their own before.
    void SetOwnerWindow(QWidget* owner) override { m_owner = owner; }

    void ShowMessage(const QString& text, Icon icon) override;
    std::optional<COLORREF> ChooseColor(COLORREF initial) override;
    std::optional<QString> ChooseWatermarkFile() override;
    std::optional<QString> ChooseExportFile() override;
    void ShowFrameworkMessage(const QString& text) override;
    std::optional<QString> ChooseFileToOpen() override;
    std::optional<QString> ChooseJsonFile(const QString& suggested) override;

private:
    QPointer<QWidget> m_owner;
};

// File-dialog filters that show the given description alone and match as the platform's
// patterns would: "*.*" stands for every file, with or without a dot in its name.
QString AllFilesFilter(const QString& description);
QString JpegFilesFilter();

}  // namespace veltra
