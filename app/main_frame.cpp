#include "app/main_frame.h"

#include "app/app_icon.h"
#include "app/command_ids.h"
#include "app/info_panel.h"
#include "app/lock_keys.h"
#include "app/recent_file_list.h"
#include "app/resource_tables.h"
#include "app/toolbar_bitmap.h"
#include "app/veltra_app.h"
#include "app/veltra_view.h"
#include "document/veltra_doc.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QSettings>
#include <QMenuBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>

namespace veltra {

namespace {

// A property rather than QAction::data, which stays free for the action's users.
constexpr char kCommandIdProperty[] = "commandId";

// Where the panel's visibility is remembered, beside the framework's own settings.
const QString kInfoPanelSetting = QStringLiteral("Settings/InfoPanel");

bool IsLockKey(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock;
}

}  // namespace

CMainFrame::CMainFrame(CVeltraDoc& document, CommandTarget& application,
                       PrinterSettings& printerSettings, ShellPrompts& prompts)
    : m_document(document), m_application(application)
{
    setWindowIcon(ApplicationIcon());
    // Dropped files are not opened.
    setAcceptDrops(false);
    m_pView = new CVeltraView(&document, printerSettings, this);
    setCentralWidget(m_pView);
    m_pView->setFocus();

    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateAccelerators();
    CreateInfoPanel(prompts);

    // A size the window system would pick for a new window: most of the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize available = screen->availableGeometry().size();
        resize(available.width() * 2 / 3, available.height() * 2 / 3);
    }

    connect(&m_document, &CVeltraDoc::titleChanged, this, &CMainFrame::OnTitleChanged);
    connect(&m_document, &CVeltraDoc::viewsUpdateRequested, this,
            &CMainFrame::ScheduleUpdateCmdUI);
    connect(&m_document, &CVeltraDoc::pictureChanged, this, &CMainFrame::OnPictureChanged);
    qApp->installEventFilter(this);
    OnTitleChanged();
    RefreshLockKeys();
    UpdateCmdUI();
}

CMainFrame::~CMainFrame() { qApp->removeEventFilter(this); }

QAction* CMainFrame::MakeCommandAction(unsigned id, const QString& text, QObject* parent)
{
    auto* action = new QAction(text, parent);
    action->setProperty(kCommandIdProperty, id);
    connect(action, &QAction::triggered, this, [this, action, id] {
        // A checkable entry has just flipped its own mark; the handler's update rule decides
        // the mark instead.
        if (action->isCheckable()) {
            const QSignalBlocker blocker(action);
            action->setChecked(!action->isChecked());
        }
        OnCommand(id);
    });
    return action;
}

void CMainFrame::CreateMenus()
{
    for (const MenuPopup& popup : MainMenu()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf16(popup.title));
        for (const MenuEntry& entry : popup.entries) {
            if (entry.id == ID_SEPARATOR) {
                QAction* separator = menu->addSeparator();
                if (!m_recentFileActions.empty() && !m_recentFilesEnd)
                    m_recentFilesEnd = separator;
                continue;
            }
            QAction* action = MakeCommandAction(entry.id, QString::fromUtf16(entry.text), menu);
            action->setStatusTip(LoadCommandPrompt(entry.id).statusTip);
            if (entry.id == ID_VIEW_TOOLBAR || entry.id == ID_VIEW_STATUS_BAR ||
                entry.id == ID_VIEW_INFO_PANEL)
                action->setCheckable(true);
            menu->addAction(action);
            if (entry.id == ID_FILE_MRU_FILE1) {
                m_fileMenu = menu;
                m_recentFileActions.push_back(action);
            } else {
                m_commandActions.push_back(action);
            }
        }
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCmdUI);
    }
}

void CMainFrame::CreateToolBar()
{
    m_wndToolBar = new QToolBar(this);
    m_wndToolBar->setObjectName(QStringLiteral("toolbar"));
    m_wndToolBar->setIconSize(QSize(kButtonImageWidth, kButtonImageHeight));
    m_wndToolBar->setMovable(true);
    m_wndToolBar->setFloatable(true);
    m_wndToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    int image = 0;
    for (unsigned id : ToolbarItems()) {
        if (id == ID_SEPARATOR) {
            m_wndToolBar->addSeparator();
            continue;
        }
        QAction* action = MakeCommandAction(id, QString(), m_wndToolBar);
        action->setIcon(ToolbarButtonIcon(image++));
        const CommandPrompt prompt = LoadCommandPrompt(id);
        action->setToolTip(prompt.toolTip);
        action->setStatusTip(prompt.statusTip);
        // The document's buttons show their handlers' radio and check marks as pressed.
        if (id != ID_FILE_OPEN)
            action->setCheckable(true);
        m_wndToolBar->addAction(action);
        m_commandActions.push_back(action);
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
    connect(m_wndToolBar, &QToolBar::visibilityChanged, this, [this](bool visible) {
        if (visible)
            UpdateCmdUI();
    });
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    for (unsigned id : StatusIndicators()) {
        if (id == ID_SEPARATOR) {
            // The message pane: a prompt covers it while shown, and it reappears after.
            bar->addWidget(new QLabel(IdleMessage(), bar), 1);
            // Beside the indicators, the open file's place in its folder.
            m_positionPane = new QLabel(bar);
            m_positionPane->setAlignment(Qt::AlignCenter);
            bar->addPermanentWidget(m_positionPane);
            continue;
        }
        auto* pane = new QLabel(bar);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(IndicatorText(id)) +
                              pane->fontMetrics().averageCharWidth() * 2);
        bar->addPermanentWidget(pane);
        m_indicatorPanes[id] = pane;
    }
}

void CMainFrame::CreateAccelerators()
{
    for (const Accelerator& accelerator : Accelerators()) {
        auto* action = new QAction(this);
        action->setProperty(kCommandIdProperty, accelerator.id);
        action->setShortcut(QKeySequence(accelerator.keys));
        action->setShortcutContext(Qt::WindowShortcut);
        const unsigned id = accelerator.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        addAction(action);
    }
}

void CMainFrame::OnCommand(unsigned id)
{
    CTestCmdUI state;
    // A command nobody handles, or one its handler disables, is not sent. This is what
    // keeps the save accelerator away from the picture file.
    if (!RouteUpdateCmdUI(id, state) || !state.m_bEnabled)
        return;
    RouteCommand(id);
    UpdateCmdUI();
}

void CMainFrame::RouteCommand(unsigned id)
{
    if (OnCmdMsg(id) || m_pView->OnCmdMsg(id) || m_document.OnCmdMsg(id))
        return;
    m_application.OnCmdMsg(id);
}

bool CMainFrame::RouteUpdateCmdUI(unsigned id, CCmdUI& cmdUI)
{
    return OnUpdateCmdUI(id, cmdUI) || m_pView->OnUpdateCmdUI(id, cmdUI) ||
           m_document.OnUpdateCmdUI(id, cmdUI) || m_application.OnUpdateCmdUI(id, cmdUI);
}

void CMainFrame::UpdateCmdUI()
{
    m_updatePending = false;
    auto update = [this](QAction* action) {
        CActionCmdUI cmdUI(*action);
        if (!RouteUpdateCmdUI(action->property(kCommandIdProperty).toUInt(), cmdUI))
            cmdUI.Enable(false);
    };
    for (QAction* action : m_commandActions)
        update(action);
    for (QAction* action : m_recentFileActions)
        update(action);
}

void CMainFrame::ScheduleUpdateCmdUI()
{
    // Repaint requests come in bursts and even from inside painting; one refresh once the
    // current event is done serves them all.
    if (m_updatePending)
        return;
    m_updatePending = true;
    QMetaObject::invokeMethod(this, &CMainFrame::UpdateCmdUI, Qt::QueuedConnection);
}

void CMainFrame::UpdateRecentFileMenu(const CRecentFileList& recentFiles)
{
    if (!m_fileMenu || !m_recentFilesEnd)
        return;
    // The old entries may be the very ones whose command is running now (opening a recent
    // file reorders the list), so they leave the menu at once and are deleted later.
    for (QAction* action : m_recentFileActions) {
        m_fileMenu->removeAction(action);
        action->deleteLater();
    }
    m_recentFileActions.clear();

    if (recentFiles.GetCount() == 0) {
        QAction* placeholder = MakeCommandAction(ID_FILE_MRU_FILE1, QStringLiteral("最近的文件"),
                                                 m_fileMenu);
        placeholder->setStatusTip(LoadCommandPrompt(ID_FILE_MRU_FILE1).statusTip);
        m_recentFileActions.push_back(placeholder);
    }
    const QString currentDirectory = QDir::currentPath();
    for (int index = 0; index < recentFiles.GetCount(); ++index) {
        const unsigned id = ID_FILE_MRU_FILE1 + static_cast<unsigned>(index);
        QAction* action = MakeCommandAction(
            id, RecentFileMenuText(index, recentFiles.GetDisplayName(index, currentDirectory)),
            m_fileMenu);
        action->setStatusTip(LoadCommandPrompt(id).statusTip);
        m_recentFileActions.push_back(action);
    }
    for (QAction* action : m_recentFileActions)
        m_fileMenu->insertAction(m_recentFilesEnd, action);
    UpdateCmdUI();
}

bool CMainFrame::OnCmdMsg(unsigned id)
{
    switch (id) {
    case ID_VIEW_TOOLBAR:
        m_wndToolBar->setVisible(m_wndToolBar->isHidden());
        return true;
    case ID_VIEW_STATUS_BAR:
        statusBar()->setVisible(statusBar()->isHidden());
        return true;
    case ID_VIEW_INFO_PANEL:
        ShowInfoPanel(m_infoPanel->isHidden());
        return true;
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
        // Between the view and the panel; with the view alone there is nowhere to switch to.
        SwitchPane();
        return true;
    case ID_EDIT_COPY:
        // Only the panel has anything to copy; elsewhere the command stays unhandled.
        if (!PanelHasFocus())
            return false;
        m_infoPanel->Copy();
        return true;
    default:
        return false;
    }
}

bool CMainFrame::OnUpdateCmdUI(unsigned id, CCmdUI& cmdUI)
{
    switch (id) {
    case ID_VIEW_TOOLBAR:
        cmdUI.SetCheck(m_wndToolBar->isHidden() ? 0 : 1);
        return true;
    case ID_VIEW_STATUS_BAR:
        cmdUI.SetCheck(statusBar()->isHidden() ? 0 : 1);
        return true;
    case ID_VIEW_INFO_PANEL:
        cmdUI.SetCheck(m_infoPanel->isHidden() ? 0 : 1);
        return true;
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
        cmdUI.Enable(!m_infoPanel->isHidden());
        return true;
    case ID_EDIT_COPY:
        if (!PanelHasFocus())
            return false;
        cmdUI.Enable(true);
        return true;
    default:
        return false;
    }
}

QString CMainFrame::IndicatorPaneText(unsigned id) const
{
    const auto pane = m_indicatorPanes.find(id);
    return pane == m_indicatorPanes.end() ? QString() : pane->second->text();
}

void CMainFrame::SetLockKeyState(const LockKeyState& state)
{
    const auto show = [this](unsigned id, bool on) {
        m_indicatorPanes.at(id)->setText(on ? IndicatorText(id) : QString());
    };
    show(ID_INDICATOR_CAPS, state.capsLock);
    show(ID_INDICATOR_NUM, state.numLock);
    show(ID_INDICATOR_SCRL, state.scrollLock);
}

void CMainFrame::RefreshLockKeys()
{
    SetLockKeyState(QueryLockKeys().value_or(LockKeyState{}));
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // The lock keys can change while another window has the keyboard, so the panes are
    // refreshed when the frame comes back as well as on the keys themselves.
    if (IsLockKey(event) || (watched == this && event->type() == QEvent::WindowActivate))
        RefreshLockKeys();
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::OnTitleChanged() { setWindowTitle(FrameCaption(m_document.GetTitle())); }

void CMainFrame::CreateInfoPanel(ShellPrompts& prompts)
{
    m_infoPanel = new CInfoPanel(prompts, this);
    addDockWidget(Qt::RightDockWidgetArea, m_infoPanel);
    // Hidden at the first start; afterwards as the user last left it.
    m_infoPanel->setVisible(OpenProfile()->value(kInfoPanelSetting, false).toBool());
}

void CMainFrame::ShowInfoPanel(bool shown)
{
    m_infoPanel->setVisible(shown);
    if (!shown && PanelHasFocus())
        m_pView->setFocus();
    std::unique_ptr<QSettings> profile = OpenProfile();
    profile->setValue(kInfoPanelSetting, shown);
    profile->sync();
}

void CMainFrame::OnPictureChanged(const QString& path)
{
    if (m_document.image())
        m_infoPanel->ShowFile(path);
    else if (const QString reason = m_document.LoadFailureText(); !reason.isEmpty())
        m_infoPanel->ShowFailure(path, reason);
    else
        m_infoPanel->ShowNothing();
}

bool CMainFrame::PanelHasFocus() const
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && !m_infoPanel->isHidden() && m_infoPanel->isAncestorOf(focus);
}

void CMainFrame::SwitchPane()
{
    if (m_infoPanel->isHidden())
        return;
    if (PanelHasFocus())
        m_pView->setFocus(Qt::OtherFocusReason);
    else
        m_infoPanel->TextArea()->setFocus(Qt::OtherFocusReason);
}

QSize CMainFrame::ViewDeviceSize()
{
    if (!isVisible() && layout())
        layout()->activate();
    return m_pView->DeviceClientRect().size();
}

void CMainFrame::SetFolderPosition(const QString& text) { m_positionPane->setText(text); }

QString CMainFrame::FolderPosition() const { return m_positionPane->text(); }

}  // namespace veltra
