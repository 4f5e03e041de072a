#pragma once

// Command routing in the framework's manner: a command goes to the frame, then the view, then
// the document, then the application, and stops at the first that handles it. Before a
// command runs, the same route is asked for the command's state; a disabled command is
// dropped, as a greyed menu entry or button could not have sent it.

#include "document/cmd_ui.h"

#include <optional>

class QAction;

namespace veltra {

class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // Runs the command; false when this target has no handler for it.
    virtual bool OnCmdMsg(unsigned id) = 0;
    // Sets the command's state; false when this target has no handler for it.
    virtual bool OnUpdateCmdUI(unsigned id, CCmdUI& cmdUI) = 0;
};

// The state a route asked for, without a widget behind it.
class CTestCmdUI : public CCmdUI {
public:
    void Enable(bool on) override { m_bEnabled = on; }
    void SetCheck(int check) override { m_checked = check != 0; }
    void SetRadio(bool on) override { m_checked = on; }

    bool m_bEnabled = true;
    std::optional<bool> m_checked;
};

// The state shown on an action: enabled or greyed, and a check or radio mark as a check mark
// on a menu entry or a pressed toolbar button.
class CActionCmdUI : public CCmdUI {
public:
    explicit CActionCmdUI(QAction& action) : m_action(action) {}
    void Enable(bool on) override;
    void SetCheck(int check) override;
    void SetRadio(bool on) override;

private:
    QAction& m_action;
};

}  // namespace veltra
