#pragma once

// The main frame: the application's one top-level window with the menu, the dockable
// toolbar, the status bar and the view. It routes every command of its menus, buttons and
// accelerators and keeps their state up to date.

#include "app/command_target.h"

#include <QMainWindow>
#include <QSize>

#include <map>
#include <vector>

class QLabel;
class QToolBar;

namespace veltra {

class CInfoPanel;
class CRecentFileList;
class CVeltraDoc;
class CVeltraView;
class PrinterSettings;
class ShellPrompts;
struct LockKeyState;

class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT

public:
    // The document, the application, the printer settings and the prompts outlive the frame.
    CMainFrame(CVeltraDoc& document, CommandTarget& application,
               PrinterSettings& printerSettings, ShellPrompts& prompts);
    ~CMainFrame() override;

    CVeltraView* GetActiveView() const { return m_pView; }
    QToolBar* GetToolBar() const { return m_wndToolBar; }
    CInfoPanel* GetInfoPanel() const { return m_infoPanel; }

    // The view's client size in device pixels, laid out first when the frame has not been
    // shown yet (a file named on the command line is opened before the frame appears).
    QSize ViewDeviceSize();
    // The status bar's place of the open file among its folder's pictures ("3 / 120").
    void SetFolderPosition(const QString& text);
    QString FolderPosition() const;

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

    // The frame's own commands: the bars' and the panel's visibility, pane switching, and
    // copying from the panel.
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
    void CreateInfoPanel(ShellPrompts& prompts);
    void OnPictureChanged(const QString& path);
    void ShowInfoPanel(bool shown);
    bool PanelHasFocus() const;
    void SwitchPane();

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
    QLabel* m_positionPane = nullptr;
    CInfoPanel* m_infoPanel = nullptr;
    bool m_updatePending = false;
};

}  // namespace veltra
