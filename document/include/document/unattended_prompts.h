#pragma once

#include "document/document_prompts.h"

namespace veltra {

// Prompts for running without a user: every chooser is cancelled and messages are dropped;
// the caller reports failures in its own way.
class UnattendedPrompts : public DocumentPrompts {
public:
    void ShowMessage(const QString&, Icon) override {}
    std::optional<COLORREF> ChooseColor(COLORREF) override { return std::nullopt; }
    std::optional<QString> ChooseWatermarkFile() override { return std::nullopt; }
    std::optional<QString> ChooseExportFile() override { return std::nullopt; }
};

}  // namespace veltra
