// The main frame as the user meets it: the menu, the toolbar and the accelerators item by
// item, the states the handlers give them, the status bar, the caption and what each key
// does to the document and the opened file. The expected tables are written out here from
// the command resources as published, independently of the tables in the code.

#include "app/app_test_support.h"

#include "app/command_ids.h"
#include "app/lock_keys.h"
#include "app/main_frame.h"
#include "app/recent_file_list.h"
#include "app/toolbar_bitmap.h"
#include "app/veltra_app.h"
#include "app/veltra_view.h"
#include "document/veltra_doc.h"

#include <QAction>
#include <QEnterEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace veltra {
namespace {

using app_test::RecordingPrompts;
using app_test::ScopedProfile;

unsigned IdOf(const QAction* action) { return action->property("commandId").toUInt(); }

// The events the window system sends when the mouse moves onto a widget and off it again.
void HoverOver(QWidget* widget)
{
    const QPointF inside(2, 2);
    QEnterEvent enter(inside, inside, widget->mapToGlobal(inside));
    QCoreApplication::sendEvent(widget, &enter);
}

void LeaveFrom(QWidget* widget)
{
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &leave);
}

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_files.isValid());
        ASSERT_TRUE(m_app.InitInstance({}));
        m_frame = m_app.GetMainWnd();
        ASSERT_NE(m_frame, nullptr);
        m_doc = m_app.GetDocument();
    }

    QMenu* Menu(int index) const { return m_frame->menuBar()->actions().at(index)->menu(); }

    QAction* MenuAction(int menu, const QString& text) const
    {
        for (QAction* action : Menu(menu)->actions())
            if (action->text() == text)
                return action;
        ADD_FAILURE() << "no entry " << text.toStdString();
        return nullptr;
    }

    QAction* ToolbarAction(unsigned id) const
    {
        for (QAction* action : m_frame->GetToolBar()->actions())
            if (!action->isSeparator() && IdOf(action) == id)
                return action;
        ADD_FAILURE() << "no button " << id;
        return nullptr;
    }

    QString OpenPicture(const QString& name)
    {
        const QString path = app_test::WritePicture(m_files, name, QSize(40, 30), Qt::red);
        EXPECT_NE(m_app.OpenDocumentFile(path), nullptr);
        return path;
    }

    ScopedProfile m_profile;
    QTemporaryDir m_files;
    RecordingPrompts m_prompts;
    CVeltraApp m_app{m_prompts};
    CMainFrame* m_frame = nullptr;
    CVeltraDoc* m_doc = nullptr;
};

struct ExpectedEntry {
    const char* text;  // nullptr for a separator
    unsigned id;
};

TEST_F(MainFrameTest, MenuBarHoldsTheThreeMenusEntryByEntry)
{
    const std::vector<std::pair<QString, std::vector<ExpectedEntry>>> expected{
        {QStringLiteral("文件(&F)"),
         {{"打开(&O)...\tCtrl+O", 57601},
          {nullptr, 0},
          {"打印(&P)...\tCtrl+P", 57607},
          {"打印预览(&V)", 57609},
          {"打印设置(&R)...", 57606},
          {nullptr, 0},
          {"最近的文件", 57616},
          {nullptr, 0},
          {"退出(&X)", 57665}}},
        {QStringLiteral("视图(&V)"),
         {{"工具栏(&T)", 59392}, {"状态栏(&S)", 59393}, {"信息面板(&I)", 32800}}},
        {QStringLiteral("帮助(&H)"), {{"关于 Veltra(&A)...", 57664}}},
    };

    const QList<QAction*> menus = m_frame->menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    for (std::size_t m = 0; m < expected.size(); ++m) {
        SCOPED_TRACE(expected[m].first.toStdString());
        EXPECT_EQ(menus.at(static_cast<int>(m))->text(), expected[m].first);
        const QList<QAction*> entries = menus.at(static_cast<int>(m))->menu()->actions();
        ASSERT_EQ(entries.size(), static_cast<qsizetype>(expected[m].second.size()));
        for (int e = 0; e < entries.size(); ++e) {
            const ExpectedEntry& want = expected[m].second[static_cast<std::size_t>(e)];
            SCOPED_TRACE(e);
            if (!want.text) {
                EXPECT_TRUE(entries.at(e)->isSeparator());
                continue;
            }
            EXPECT_FALSE(entries.at(e)->isSeparator());
            EXPECT_EQ(entries.at(e)->text(), QString::fromUtf8(want.text));
            EXPECT_EQ(IdOf(entries.at(e)), want.id);
            // The menu shows keys in its text; a shortcut on the entry itself would clash
            // with the accelerator of the same keys.
            EXPECT_TRUE(entries.at(e)->shortcut().isEmpty());
        }
    }
}

TEST_F(MainFrameTest, MenuStatesFollowTheirHandlers)
{
    m_frame->UpdateCmdUI();
    for (QAction* entry : Menu(0)->actions()) {
        if (entry->isSeparator())
            continue;
        SCOPED_TRACE(entry->text().toStdString());
        // Only the stand-in of an empty recent-file list is greyed.
        EXPECT_EQ(entry->isEnabled(), IdOf(entry) != ID_FILE_MRU_FILE1);
        EXPECT_FALSE(entry->isChecked());
    }
    EXPECT_TRUE(MenuAction(2, QStringLiteral("关于 Veltra(&A)..."))->isEnabled());
    // Both bars are visible at the start, so both View entries carry a check mark; the
    // information panel is hidden at the first start.
    EXPECT_TRUE(MenuAction(1, QStringLiteral("工具栏(&T)"))->isChecked());
    EXPECT_TRUE(MenuAction(1, QStringLiteral("状态栏(&S)"))->isChecked());
    EXPECT_FALSE(MenuAction(1, QStringLiteral("信息面板(&I)"))->isChecked());
}

TEST_F(MainFrameTest, ViewMenuHidesAndShowsEachBarWithItsCheckMark)
{
    m_frame->show();
    QAction* toolbarEntry = MenuAction(1, QStringLiteral("工具栏(&T)"));
    QAction* statusEntry = MenuAction(1, QStringLiteral("状态栏(&S)"));

    toolbarEntry->trigger();
    EXPECT_FALSE(m_frame->GetToolBar()->isVisible());
    EXPECT_FALSE(toolbarEntry->isChecked());
    EXPECT_TRUE(m_frame->statusBar()->isVisible());
    EXPECT_TRUE(statusEntry->isChecked());

    toolbarEntry->trigger();
    EXPECT_TRUE(m_frame->GetToolBar()->isVisible());
    EXPECT_TRUE(toolbarEntry->isChecked());

    statusEntry->trigger();
    EXPECT_FALSE(m_frame->statusBar()->isVisible());
    EXPECT_FALSE(statusEntry->isChecked());
    statusEntry->trigger();
    EXPECT_TRUE(m_frame->statusBar()->isVisible());
    EXPECT_TRUE(statusEntry->isChecked());
}

TEST_F(MainFrameTest, ToolbarHasTwelvePositionsInOrderAtTheTop)
{
    const std::vector<unsigned> expected{57601, 0,     32772, 32774, 0,     32775,
                                         0,     32776, 32785, 32778, 0,     32787};
    const QList<QAction*> items = m_frame->GetToolBar()->actions();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(expected.size()));
    for (int i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        const unsigned want = expected[static_cast<std::size_t>(i)];
        EXPECT_EQ(items.at(i)->isSeparator(), want == 0);
        if (want != 0) {
            EXPECT_EQ(IdOf(items.at(i)), want);
            EXPECT_FALSE(items.at(i)->icon().isNull());
        }
    }
    EXPECT_EQ(m_frame->toolBarArea(m_frame->GetToolBar()), Qt::TopToolBarArea);
    EXPECT_TRUE(m_frame->GetToolBar()->isMovable());
    EXPECT_TRUE(m_frame->GetToolBar()->isFloatable());
    EXPECT_EQ(m_frame->GetToolBar()->allowedAreas(), Qt::AllToolBarAreas);
}

TEST_F(MainFrameTest, OnlyTheOpenButtonHasATooltipAndAPrompt)
{
    m_frame->show();
    QStatusBar* bar = m_frame->statusBar();
    for (QAction* item : m_frame->GetToolBar()->actions()) {
        if (item->isSeparator())
            continue;
        SCOPED_TRACE(IdOf(item));
        const bool open = IdOf(item) == ID_FILE_OPEN;
        QWidget* button = m_frame->GetToolBar()->widgetForAction(item);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->toolTip(), open ? QStringLiteral("打开") : QString());
        // The mouse entering the button shows the prompt in the message pane, or nothing.
        bar->clearMessage();
        HoverOver(button);
        EXPECT_EQ(bar->currentMessage(), open ? QStringLiteral("打开现有文档") : QString());
        LeaveFrom(button);
        EXPECT_EQ(bar->currentMessage(), QString());
    }
}

TEST_F(MainFrameTest, MessagePaneShowsReadyWhenNoPromptIsShown)
{
    m_frame->show();
    QLabel* idle = nullptr;
    for (QLabel* label : m_frame->statusBar()->findChildren<QLabel*>())
        if (label->text() == QStringLiteral("就绪"))
            idle = label;
    ASSERT_NE(idle, nullptr);
    EXPECT_TRUE(idle->isVisible());
    QWidget* openButton = m_frame->GetToolBar()->widgetForAction(
        m_frame->GetToolBar()->actions().at(0));
    HoverOver(openButton);
    EXPECT_FALSE(idle->isVisible());
    LeaveFrom(openButton);
    EXPECT_TRUE(idle->isVisible());
}

TEST_F(MainFrameTest, LockKeyPanesShowTheirNameOnlyWhileOn)
{
    // The offscreen platform reports no lock keys: every pane starts off.
    for (unsigned id : {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL})
        EXPECT_EQ(m_frame->IndicatorPaneText(id), QString());
    m_frame->SetLockKeyState({true, false, true});
    EXPECT_EQ(m_frame->IndicatorPaneText(ID_INDICATOR_CAPS), QStringLiteral("CAP"));
    EXPECT_EQ(m_frame->IndicatorPaneText(ID_INDICATOR_NUM), QString());
    EXPECT_EQ(m_frame->IndicatorPaneText(ID_INDICATOR_SCRL), QStringLiteral("SCRL"));
    m_frame->SetLockKeyState({false, true, false});
    EXPECT_EQ(m_frame->IndicatorPaneText(ID_INDICATOR_CAPS), QString());
    EXPECT_EQ(m_frame->IndicatorPaneText(ID_INDICATOR_NUM), QStringLiteral("NUM"));
}

TEST_F(MainFrameTest, AcceleratorTableInOrder)
{
    const std::vector<std::pair<QKeyCombination, unsigned>> expected{
        {Qt::CTRL | Qt::Key_N, 57600},          {Qt::CTRL | Qt::Key_O, 57601},
        {Qt::CTRL | Qt::Key_S, 57603},          {Qt::CTRL | Qt::Key_P, 57607},
        {Qt::CTRL | Qt::Key_Z, 57643},          {Qt::CTRL | Qt::Key_X, 57635},
        {Qt::CTRL | Qt::Key_C, 57634},          {Qt::CTRL | Qt::Key_V, 57637},
        {Qt::ALT | Qt::Key_Backspace, 57643},   {Qt::SHIFT | Qt::Key_Delete, 57635},
        {Qt::CTRL | Qt::Key_Insert, 57634},     {Qt::SHIFT | Qt::Key_Insert, 57637},
        {QKeyCombination(Qt::Key_F6), 57680},   {Qt::SHIFT | Qt::Key_F6, 57681},
        // The information panel, then the steps through the folder.
        {QKeyCombination(Qt::Key_F9), 32800},
        {QKeyCombination(Qt::Key_Right), 32801}, {QKeyCombination(Qt::Key_PageDown), 32801},
        {QKeyCombination(Qt::Key_Space), 32801}, {QKeyCombination(Qt::Key_Left), 32802},
        {QKeyCombination(Qt::Key_PageUp), 32802}, {QKeyCombination(Qt::Key_Backspace), 32802},
        {QKeyCombination(Qt::Key_Home), 32803},  {QKeyCombination(Qt::Key_End), 32804},
    };
    const QList<QAction*> accelerators = m_frame->actions();
    ASSERT_EQ(accelerators.size(), static_cast<qsizetype>(expected.size()));
    for (int i = 0; i < accelerators.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(accelerators.at(i)->shortcut(),
                  QKeySequence(expected[static_cast<std::size_t>(i)].first));
        EXPECT_EQ(IdOf(accelerators.at(i)), expected[static_cast<std::size_t>(i)].second);
        EXPECT_EQ(accelerators.at(i)->shortcutContext(), Qt::WindowShortcut);
    }
}

TEST_F(MainFrameTest, SaveKeyNeverTouchesTheOpenedFile)
{
    const QString path = OpenPicture(QStringLiteral("kept.png"));
    const QByteArray before = app_test::ReadBytes(path);
    const QDateTime modifiedBefore = QFileInfo(path).lastModified();
    ASSERT_FALSE(before.isEmpty());
    ASSERT_TRUE(app_test::ActivateWindow(*m_frame));

    EXPECT_TRUE(app_test::PressShortcut(*m_frame, Qt::CTRL | Qt::Key_S));
    QCoreApplication::processEvents();

    EXPECT_EQ(app_test::ReadBytes(path), before);
    EXPECT_EQ(QFileInfo(path).lastModified(), modifiedBefore);
    EXPECT_NE(m_doc->image(), nullptr);
    EXPECT_EQ(m_frame->windowTitle(), QStringLiteral("kept.png - Veltra"));
    EXPECT_TRUE(m_prompts.shown.empty());
}

TEST_F(MainFrameTest, EditAndPaneKeysChangeNothing)
{
    const QString path = OpenPicture(QStringLiteral("still.png"));
    const QByteArray before = app_test::ReadBytes(path);
    ASSERT_TRUE(app_test::ActivateWindow(*m_frame));
    const std::vector<QKeyCombination> keys{
        Qt::CTRL | Qt::Key_Z,       Qt::CTRL | Qt::Key_X,      Qt::CTRL | Qt::Key_C,
        Qt::CTRL | Qt::Key_V,       Qt::ALT | Qt::Key_Backspace, Qt::SHIFT | Qt::Key_Delete,
        Qt::CTRL | Qt::Key_Insert,  Qt::SHIFT | Qt::Key_Insert, QKeyCombination(Qt::Key_F6),
        Qt::SHIFT | Qt::Key_F6,
    };
    for (QKeyCombination key : keys) {
        SCOPED_TRACE(QKeySequence(key).toString().toStdString());
        EXPECT_TRUE(app_test::PressShortcut(*m_frame, key));
        QCoreApplication::processEvents();
        EXPECT_NE(m_doc->image(), nullptr);
        EXPECT_EQ(m_doc->watermarkFlags(), 0u);
        EXPECT_EQ(m_doc->backgroundColor(), RGB(192, 192, 192));
        EXPECT_EQ(m_frame->windowTitle(), QStringLiteral("still.png - Veltra"));
        EXPECT_TRUE(m_frame->GetToolBar()->isVisible());
    }
    EXPECT_EQ(app_test::ReadBytes(path), before);
    EXPECT_TRUE(m_prompts.shown.empty());
}

TEST_F(MainFrameTest, NewDocumentKeyKeepsThePictureUnderTheUntitledName)
{
    OpenPicture(QStringLiteral("shown.png"));
    ASSERT_TRUE(app_test::ActivateWindow(*m_frame));
    EXPECT_TRUE(app_test::PressShortcut(*m_frame, Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(m_frame->windowTitle(), QStringLiteral("无标题 - Veltra"));
    EXPECT_NE(m_doc->image(), nullptr);
}

TEST_F(MainFrameTest, OpenKeyOpensTheChosenFileAndListsIt)
{
    const QString path =
        app_test::WritePicture(m_files, QStringLiteral("chosen.png"), QSize(8, 8), Qt::blue);
    m_prompts.openReplies.push_back(path);
    ASSERT_TRUE(app_test::ActivateWindow(*m_frame));
    EXPECT_TRUE(app_test::PressShortcut(*m_frame, Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(m_frame->windowTitle(), QStringLiteral("chosen.png - Veltra"));
    EXPECT_NE(m_doc->image(), nullptr);
    ASSERT_EQ(m_app.GetRecentFileList().GetCount(), 1);
    EXPECT_EQ(m_app.GetRecentFileList()[0], QFileInfo(path).absoluteFilePath());
    // The File menu's seventh entry is now the first of the list, and it can be chosen.
    QAction* first = Menu(0)->actions().at(6);
    EXPECT_TRUE(first->text().startsWith(QStringLiteral("&1 ")));
    EXPECT_TRUE(first->text().endsWith(QStringLiteral("chosen.png")));
    EXPECT_TRUE(first->isEnabled());
}

TEST_F(MainFrameTest, DocumentButtonsShowTheHandlersMarks)
{
    QAction* fit = ToolbarAction(ID_WATERMARK_FIT);
    QAction* tile = ToolbarAction(ID_WATERMARK_TILE);
    QAction* show = ToolbarAction(ID_WATERMARK_SHOW);
    QAction* load = ToolbarAction(ID_WATERMARK_LOAD);
    QAction* background = ToolbarAction(ID_BACKGROUND_COLOR);
    for (QAction* button : {fit, tile, show, load, background})
        EXPECT_FALSE(button->isChecked());

    fit->trigger();
    EXPECT_EQ(m_doc->watermarkFlags(), FLAG_WATERMARK_FIT);
    EXPECT_TRUE(fit->isChecked());
    fit->trigger();
    EXPECT_EQ(m_doc->watermarkFlags(), 0u);
    EXPECT_FALSE(fit->isChecked());

    // Loading a watermark with no mode set turns show and fit on: three buttons pressed.
    m_prompts.watermarkReplies.push_back(
        app_test::WritePicture(m_files, QStringLiteral("mark.png"), QSize(4, 4), Qt::green));
    load->trigger();
    EXPECT_NE(m_doc->watermark(), nullptr);
    EXPECT_TRUE(load->isChecked());
    EXPECT_TRUE(fit->isChecked());
    EXPECT_TRUE(show->isChecked());
    EXPECT_FALSE(tile->isChecked());

    // A button without a mark of its own does not stay pressed after its command.
    m_prompts.colorReplies.push_back(RGB(0, 0, 255));
    background->trigger();
    EXPECT_EQ(m_doc->backgroundColor(), RGB(0, 0, 255));
    EXPECT_FALSE(background->isChecked());
    EXPECT_TRUE(background->isEnabled());

    // A change that does not come from a button reaches the buttons once events run.
    m_doc->OnWatermarkTile();
    QCoreApplication::processEvents();
    EXPECT_TRUE(tile->isChecked());
}

TEST_F(MainFrameTest, CaptionFollowsTheDocumentAndDropsAreRefused)
{
    EXPECT_EQ(m_frame->windowTitle(), QStringLiteral("无标题 - Veltra"));
    OpenPicture(QStringLiteral("Canon_40D.png"));
    EXPECT_EQ(m_frame->windowTitle(), QStringLiteral("Canon_40D.png - Veltra"));
    EXPECT_FALSE(m_frame->acceptDrops());
    EXPECT_FALSE(m_frame->GetActiveView()->acceptDrops());
}

TEST_F(MainFrameTest, WindowIconCarriesEverySize)
{
    const QList<QSize> sizes = m_frame->windowIcon().availableSizes();
    for (int size : {16, 24, 32, 48, 64, 72, 80, 96, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}

TEST(ToolbarBitmapTest, EightGlyphsInTheirColours)
{
    const QImage strip = ToolbarBitmap();
    ASSERT_EQ(strip.size(), QSize(128, 15));
    const QRgb face = qRgb(192, 192, 192);
    const QRgb darkBlue = qRgb(0, 0, 128);
    const QRgb black = qRgb(0, 0, 0);
    const auto glyph = [](int index) { return QRect(index * 16, 0, 16, 15); };
    const auto onlyFaceAnd = [&](int index, QRgb ink) {
        const int total = 16 * 15;
        const int inked = app_test::CountPixels(strip, ink, glyph(index));
        const int background = app_test::CountPixels(strip, face, glyph(index));
        return inked > 10 && inked + background == total;
    };
    // The folder has yellow in it; "B" and "X" are dark blue; the five letters black.
    EXPECT_GT(app_test::CountPixels(strip, qRgb(255, 255, 0), glyph(0)), 0);
    EXPECT_TRUE(onlyFaceAnd(1, darkBlue));
    EXPECT_TRUE(onlyFaceAnd(2, darkBlue));
    for (int index = 3; index < 8; ++index)
        EXPECT_TRUE(onlyFaceAnd(index, black)) << index;
    // The five black letters are five different drawings.
    for (int a = 3; a < 8; ++a)
        for (int b = a + 1; b < 8; ++b)
            EXPECT_NE(strip.copy(glyph(a)), strip.copy(glyph(b))) << a << " " << b;
}

TEST(ToolbarBitmapTest, ButtonFaceBecomesTransparent)
{
    const QImage icon = ToolbarButtonIcon(1).pixmap(QSize(16, 15)).toImage();
    ASSERT_EQ(icon.size(), QSize(16, 15));
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    // Row 3 of the "B" starts its ink at column 4.
    EXPECT_EQ(icon.pixel(4, 3), qRgba(0, 0, 128, 255));
    EXPECT_TRUE(ToolbarButtonIcon(8).isNull());
}

}  // namespace
}  // namespace veltra
