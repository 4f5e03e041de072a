// The information panel: shown and hidden by its menu entry and F9 and remembered; the whole
// report as the window draws it and the findings as veltra-info prints them, for every file
// of the repository; the marks; following opens, failures and closes; copying and the JSON
// export; the keys it takes while it has the focus; the view's share of the window.

#include "app/app_test_support.h"

#include "app/command_ids.h"
#include "app/file_examination.h"
#include "app/info_panel.h"
#include "app/main_frame.h"
#include "app/veltra_app.h"
#include "app/veltra_view.h"
#include "cli/program_run.h"
#include "document/document_types.h"
#include "document/unattended_prompts.h"
#include "document/veltra_doc.h"

#include <QClipboard>
#include <QDirIterator>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

namespace veltra {
namespace {

using app_test::RecordingPrompts;
using app_test::ScopedProfile;

QString Fixture(const char* name)
{
    return QStringLiteral(VELTRA_FIXTURES_DIR "/") + QString::fromUtf8(name);
}

class InfoPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_app.InitInstance({}));
        m_frame = m_app.GetMainWnd();
        m_panel = m_frame->GetInfoPanel();
        m_doc = m_app.GetDocument();
    }

    QAction* PanelEntry() const
    {
        for (QAction* entry : m_frame->menuBar()->actions().at(1)->menu()->actions())
            if (entry->text() == QStringLiteral("信息面板(&I)"))
                return entry;
        return nullptr;
    }

    void Open(const QString& path)
    {
        ASSERT_NE(m_app.OpenDocumentFile(path), nullptr);
        m_panel->WaitUntilFilled();
    }

    ScopedProfile m_profile;
    QTemporaryDir m_files;
    RecordingPrompts m_prompts;
    CVeltraApp m_app{m_prompts};
    CMainFrame* m_frame = nullptr;
    CInfoPanel* m_panel = nullptr;
    CVeltraDoc* m_doc = nullptr;
};

TEST_F(InfoPanelTest, HiddenAtFirstStartThenAsLeftAndTheViewGivesWay)
{
    m_frame->resize(1000, 700);
    ASSERT_TRUE(app_test::ActivateWindow(*m_frame));
    EXPECT_TRUE(m_panel->isHidden());
    const int alone = m_frame->GetActiveView()->DeviceClientRect().width();

    EXPECT_TRUE(app_test::PressShortcut(*m_frame, QKeyCombination(Qt::Key_F9)));
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_panel->isVisible());
    m_frame->UpdateCmdUI();
    EXPECT_TRUE(PanelEntry()->isChecked());
    EXPECT_LT(m_frame->GetActiveView()->DeviceClientRect().width(), alone);

    // A second start finds it as it was left.
    {
        RecordingPrompts prompts;
        CVeltraApp again(prompts);
        ASSERT_TRUE(again.InitInstance({}));
        EXPECT_FALSE(again.GetMainWnd()->GetInfoPanel()->isHidden());
    }
    PanelEntry()->trigger();
    EXPECT_TRUE(m_panel->isHidden());
    EXPECT_FALSE(PanelEntry()->isChecked());
    RecordingPrompts prompts;
    CVeltraApp third(prompts);
    ASSERT_TRUE(third.InitInstance({}));
    EXPECT_TRUE(third.GetMainWnd()->GetInfoPanel()->isHidden());
}

// For every file of the repository: the panel's text is the report the window draws, an empty
// line and the findings, exactly as veltra-info --analyze prints them under a Chinese locale;
// a file the window cannot load is one the panel says failed, and why.
TEST(FileExamination, EqualsTheDrawnReportAndVeltraInfoForEveryRepositoryFile)
{
    QStringList files;
    for (const char* folder : {VELTRA_FIXTURES_DIR, VELTRA_CAMERA_FILES_DIR}) {
        QDirIterator it(QString::fromUtf8(folder), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
    }
    files.sort();
    ASSERT_GT(files.size(), 100);
    const test::ProgramRun run = test::RunInfo(QStringList{QStringLiteral("--analyze")} + files);
    // The reports of the files that loaded, in order, each after its "==> FILE <==" line.
    QStringList blocks = run.out.split(QStringLiteral("==> "), Qt::SkipEmptyParts);

    UnattendedPrompts prompts;
    CVeltraDoc document(prompts);
    int loaded = 0;
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const FileExamination examination = ExamineFile(file);
        ASSERT_TRUE(document.OnOpenDocument(file));
        QString drawn;
        if (!document.GetImageInfo(drawn)) {
            EXPECT_FALSE(examination.loaded);
            EXPECT_EQ(examination.failure, document.LoadFailureText());
            EXPECT_TRUE(run.err.contains(file));
            continue;
        }
        ++loaded;
        ASSERT_TRUE(examination.loaded);
        const QString separator = drawn.endsWith(u'\n') ? QStringLiteral("\n") : QStringLiteral("\n\n");
        EXPECT_TRUE(examination.text.startsWith(drawn + separator + QStringLiteral("分析：\n")));
        ASSERT_FALSE(blocks.isEmpty());
        QString block = blocks.takeFirst();
        const QString header = file + QStringLiteral(" <==\n");
        ASSERT_TRUE(block.startsWith(header));
        block.remove(0, header.size());
        if (!blocks.isEmpty())
            block.chop(1);  // the empty line before the next header
        EXPECT_EQ(examination.text, block);
    }
    EXPECT_TRUE(blocks.isEmpty());
    EXPECT_GT(loaded, 100);
}

TEST_F(InfoPanelTest, FollowsOpensFailuresAndClosesAndMarksWhatDeservesASecondLook)
{
    // Filled when shown, not before.
    Open(Fixture("png_named_as.jpg"));
    EXPECT_FALSE(m_panel->IsFilled());
    m_frame->OnCommand(ID_VIEW_INFO_PANEL);
    m_panel->WaitUntilFilled();
    ASSERT_TRUE(m_panel->IsFilled());
    const QStringList lines = m_panel->Text().split(u'\n');
    std::vector<int> lying;
    for (int line = 0; line < lines.size(); ++line)
        if (lines[line].contains(QStringLiteral("与内容不符")))
            lying.push_back(line);
    ASSERT_EQ(lying.size(), 1u);
    // The extension's lie is the one finding of this file that calls for a second look.
    EXPECT_EQ(m_panel->MarkedLines(), lying);
    EXPECT_TRUE(m_panel->ExportButton()->isEnabled());

    Open(Fixture("jpeg_3_components.jpg"));
    EXPECT_TRUE(m_panel->Text().startsWith(QStringLiteral("文件类型：jpg\n")));
    EXPECT_TRUE(m_panel->MarkedLines().empty());

    const QString text = app_test::WriteBytes(m_files, QStringLiteral("text.jpg"), "plain text");
    Open(text);
    EXPECT_EQ(m_panel->Text(),
              QStringLiteral("文件加载失败\n没有能读取此内容的解码器"));
    EXPECT_FALSE(m_panel->CopyButton()->isEnabled());
    EXPECT_FALSE(m_panel->ExportButton()->isEnabled());

    Open(Fixture("jpeg_3_components.jpg"));
    m_doc->OnImageClose();
    m_panel->WaitUntilFilled();
    EXPECT_EQ(m_panel->Text(), QString());
}

TEST_F(InfoPanelTest, CopyKeyAndPaneKeyWorkOnlyAroundThePanel)
{
    m_frame->OnCommand(ID_VIEW_INFO_PANEL);
    Open(Fixture("jpeg_3_components.jpg"));
    ASSERT_TRUE(app_test::ActivateWindow(*m_frame));
    QClipboard* clipboard = QGuiApplication::clipboard();
    CVeltraView* view = m_frame->GetActiveView();
    QPlainTextEdit* area = m_panel->TextArea();

    // The view has the focus: the copy command stays the framework's, which does nothing.
    view->setFocus();
    clipboard->setText(QStringLiteral("before"));
    EXPECT_TRUE(app_test::PressShortcut(*view, Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(clipboard->text(), QStringLiteral("before"));

    // F6 goes to the panel and back, as the next-pane command between two panes.
    EXPECT_TRUE(app_test::PressShortcut(*view, QKeyCombination(Qt::Key_F6)));
    EXPECT_TRUE(area->hasFocus());
    EXPECT_TRUE(app_test::PressShortcut(*area, Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(clipboard->text(), m_panel->Text());
    QTextCursor cursor = area->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    area->setTextCursor(cursor);
    EXPECT_TRUE(app_test::PressShortcut(*area, Qt::CTRL | Qt::Key_Insert));
    EXPECT_EQ(clipboard->text(), m_panel->Text().left(5));
    // The folder's keys move in the panel while it has the focus.
    EXPECT_FALSE(app_test::PressShortcut(*area, QKeyCombination(Qt::Key_PageDown)));
    EXPECT_TRUE(app_test::PressShortcut(*area, Qt::SHIFT | Qt::Key_F6));
    EXPECT_TRUE(view->hasFocus());

    m_panel->CopyButton()->click();
    EXPECT_EQ(clipboard->text(), m_panel->Text());
}

// The export writes what veltra-info --json --analyze prints for the same file.
TEST_F(InfoPanelTest, ExportsTheJsonOfVeltraInfo)
{
    m_frame->OnCommand(ID_VIEW_INFO_PANEL);
    const QString picture = QStringLiteral(VELTRA_CAMERA_FILES_DIR "/jpg/gps/DSCN0010.jpg");
    Open(picture);
    const QString target = m_files.filePath(QStringLiteral("facts.json"));
    m_prompts.jsonReplies.push_back(target);
    m_panel->ExportButton()->click();
    ASSERT_EQ(m_prompts.jsonSuggestions.size(), 1u);
    EXPECT_EQ(QFileInfo(m_prompts.jsonSuggestions[0]).fileName(), QStringLiteral("DSCN0010.json"));
    EXPECT_EQ(m_prompts.shown.back().text, QStringLiteral("保存成功"));
    const test::ProgramRun run =
        test::RunInfo({QStringLiteral("--json"), QStringLiteral("--analyze"), picture});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(QString::fromUtf8(app_test::ReadBytes(target)), run.out);

    // A folder that cannot be written: the file is not made and the user is told.
    m_prompts.jsonReplies.push_back(m_files.filePath(QStringLiteral("missing/facts.json")));
    m_panel->ExportButton()->click();
    EXPECT_EQ(m_prompts.shown.back().text, QStringLiteral("保存失败"));
}

}  // namespace
}  // namespace veltra
