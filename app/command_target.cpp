#include "app/command_target.h"

#include <QAction>

namespace veltra {

void CActionCmdUI::Enable(bool on) { m_action.setEnabled(on); }

void CActionCmdUI::SetCheck(int check)
{
    m_action.setCheckable(true);
    m_action.setChecked(check != 0);
}

void CActionCmdUI::SetRadio(bool on)
{
    m_action.setCheckable(true);
    m_action.setChecked(on);
}

}  // namespace veltra
