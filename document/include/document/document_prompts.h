#pragma once

#include "document/document_types.h"

#include <QString>

#include <optional>

namespace veltra {

// Everything the document asks of the user goes through here: the application shows real
// dialogs, tests answer with prepared replies.
class DocumentPrompts {
public:
    enum class Icon { Error, Information };

    virtual ~DocumentPrompts() = default;

    // A message box with the application's title as caption and one OK button.
    virtual void ShowMessage(const QString& text, Icon icon) = 0;
    // Starts at `initial`; nothing when the user cancels.
    virtual std::optional<COLORREF> ChooseColor(COLORREF initial) = 0;
    // Title "选择文件", one filter "*.*", the file must exist; nothing when cancelled.
    virtual std::optional<QString> ChooseWatermarkFile() = 0;
    // Title "选择文件", one filter "*.jpg", no overwrite question; nothing when cancelled.
    virtual std::optional<QString> ChooseExportFile() = 0;
};

}  // namespace veltra
