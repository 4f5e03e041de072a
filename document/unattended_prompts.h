#pragma once

#include "document/document_prompts.h"

namespace veltra {

// Prompts for running without a user: every chooser is cancelled and the last message is
// kept for the caller to report in its own way.
class UnattendedPrompts : public DocumentPrompts {
public:
    void ShowMessage(const QString& text, Icon) override { lastMessage = text; }
    std::optional<COLORREF> ChooseColor(COLORREF) override { return std::nullopt; }
    std::optional<QString> ChooseWatermarkFile() override { return std::nullopt; }
    std::optional<QString> ChooseExportFile() override { return std::nullopt; }

    QString lastMessage;
};

}  // namespace veltra
