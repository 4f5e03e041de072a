#pragma once

// The main frame: the application's one top-level window with the menu, the dockable
// toolbar, the status bar and the view. It routes every command of its menus, buttons and
// accelerators and keeps their state up to date.

#include "app/command_target.h"

#include <QMainWindow>

#include <map>
#include <vector>

class QLabel;
class QToolBar;

namespace veltra {

class CRecentFileList;
class CVeltraDoc;
class CVeltraView;
class PrinterSettings;
struct LockKeyState;

class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT

public:
    // The document, the application and the printer settings outlive the frame.
    CMainFrame(CVeltraDoc& document, CommandTarget& application,
               PrinterSettings& printerSettings);
    ~CMainFrame() override;

    CVeltraView* GetActiveView() const { return m_pView; }
    QToolBar* GetToolBar() const { return m_wndToolBar; }

    // A command from a menu entry, a button or an accelerator: dropped when its state says
    // it is disabled, otherwise routed frame, view, document, application.
    void OnCommand(unsigned id);
    // Asks every menu entry's and button's handler for its state.
    void UpdateCmdUI();

    // Replaces the recent-file entries of the File menu; an empty list shows the disabled
    // "最近的文件".
    void UpdateRecentFileMenu(const CRecentFileList& recentFiles);

    // The text a status-bar indicator pane shows now: its name while the key is on, nothing
    // while it is off.
    QString IndicatorPaneText(unsigned id) const;
    void SetLockKeyState(const LockKeyState& state);

    // The frame's own commands: the bars' visibility and pane switching.
    bool OnCmdMsg(unsigned id) override;
    bool OnUpdateCmdUI(unsigned id, CCmdUI& cmdUI) override;

protected:
    // The bars are shown and hidden through the View menu only.
    QMenu* createPopupMenu() override { return nullptr; }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateAccelerators();
    QAction* MakeCommandAction(unsigned id, const QString& text, QObject* parent);
    void RouteCommand(unsigned id);
    bool RouteUpdateCmdUI(unsigned id, CCmdUI& cmdUI);
    void ScheduleUpdateCmdUI();
    void RefreshLockKeys();
    void OnTitleChanged();

    CVeltraDoc& m_document;
    CommandTarget& m_application;
    CVeltraView* m_pView = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    QMenu* m_fileMenu = nullptr;
    // The separator below the recent files, before which their entries go.
    QAction* m_recentFilesEnd = nullptr;
    std::vector<QAction*> m_recentFileActions;
    // Menu entries and buttons whose state the handlers set.
    std::vector<QAction*> m_commandActions;
    std::map<unsigned, QLabel*> m_indicatorPanes;
    bool m_updatePending = false;
};

}  // namespace veltra
