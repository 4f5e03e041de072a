#pragma once

// Everything the application asks of the user: the document's prompts plus the framework's
// own message and open dialog. The application shows real dialogs; tests record and answer.

#include "document/document_prompts.h"

#include <QString>

#include <optional>

class QWidget;

namespace veltra {

class ShellPrompts : public DocumentPrompts {
public:
    // A message of the framework itself (a file that cannot be opened, memory running out):
    // the application's title as caption, the warning icon, one OK button.
    virtual void ShowFrameworkMessage(const QString& text) = 0;
    // The framework's open dialog, listing all files under "所有文件(*.*)"; nothing when
    // cancelled.
    virtual std::optional<QString> ChooseFileToOpen() = 0;
    // The save dialog of the information panel's JSON export, proposing `suggested`, for
    // "*.json" files; nothing when cancelled.
    virtual std::optional<QString> ChooseJsonFile(const QString& suggested) = 0;
    // The window the dialogs belong to once the main window exists.
    virtual void SetOwnerWindow(QWidget* /*owner*/) {}
};

}  // namespace veltra
