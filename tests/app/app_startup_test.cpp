// Start-up and shutdown of the application: the command line, what is shown for a missing
// or an undecodable file, the recent-file list across runs, the settings location, the
// translations, the About box and the out-of-memory guard.

#include "app/app_test_support.h"

#include "app/about_dlg.h"
#include "app/command_ids.h"
#include "app/command_line_info.h"
#include "app/main_frame.h"
#include "app/veltra_app.h"
#include "app/veltra_application.h"
#include "document/veltra_doc.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <stdexcept>

namespace veltra {
namespace {

using app_test::RecordingPrompts;
using app_test::ScopedProfile;
using app_test::Shown;

struct CommandLineRow {
    QStringList arguments;
    CCommandLineInfo::Shell shell;
    QString fileName;
    QStringList switches;
    friend void PrintTo(const CommandLineRow& row, std::ostream* out)
    {
        *out << '[' << row.arguments.join(QStringLiteral(" ")).toStdString() << ']';
    }
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineRow> {};

TEST_P(CommandLineTest, FileNamesAndSwitches)
{
    const CommandLineRow& row = GetParam();
    CCommandLineInfo info;
    info.ParseCommandLine(row.arguments);
    EXPECT_EQ(info.m_nShellCommand, row.shell);
    EXPECT_EQ(info.m_strFileName, row.fileName);
    EXPECT_EQ(info.m_switches, row.switches);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandLineTest,
    ::testing::Values(
        CommandLineRow{{}, CCommandLineInfo::Shell::FileNew, {}, {}},
        // An absolute path is a file name, not a switch.
        CommandLineRow{{"/home/user/a.jpg"}, CCommandLineInfo::Shell::FileOpen,
                       "/home/user/a.jpg", {}},
        CommandLineRow{{"-p", "b.png"}, CCommandLineInfo::Shell::FileOpen, "b.png", {"p"}},
        // One document: the first name counts.
        CommandLineRow{{"first.jpg", "second.jpg"}, CCommandLineInfo::Shell::FileOpen,
                       "first.jpg", {}},
        CommandLineRow{{"-Embedding"}, CCommandLineInfo::Shell::FileNew, {}, {"Embedding"}}));

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_files.isValid()); }

    QAction* FileMenuEntry(CVeltraApp& app, int index) const
    {
        return app.GetMainWnd()->menuBar()->actions().at(0)->menu()->actions().at(index);
    }

    ScopedProfile m_profile;
    QTemporaryDir m_files;
    RecordingPrompts m_prompts;
};

TEST_F(StartupTest, WithoutArgumentsShowsAnUntitledFrame)
{
    CVeltraApp app(m_prompts);
    ASSERT_TRUE(app.InitInstance({}));
    ASSERT_NE(app.GetMainWnd(), nullptr);
    EXPECT_TRUE(app.GetMainWnd()->isVisible());
    EXPECT_EQ(app.GetMainWnd()->windowTitle(), QStringLiteral("无标题 - Veltra"));
    EXPECT_EQ(app.GetDocument()->image(), nullptr);
    EXPECT_TRUE(m_prompts.shown.empty());
    // The empty list shows its greyed stand-in.
    EXPECT_EQ(FileMenuEntry(app, 6)->text(), QStringLiteral("最近的文件"));
    EXPECT_FALSE(FileMenuEntry(app, 6)->isEnabled());
}

TEST_F(StartupTest, MissingFileEndsStartupWithTheMessageAndNoWindow)
{
    const QString missing = m_files.filePath(QStringLiteral("gone.jpg"));
    CVeltraApp app(m_prompts);
    EXPECT_NE(app.Run({missing}), 0);
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0].kind, Shown::Kind::Framework);
    EXPECT_TRUE(m_prompts.shown[0].text.contains(missing));
    EXPECT_TRUE(m_prompts.shown[0].text.contains(QStringLiteral("找不到")));
    EXPECT_TRUE(app.GetMainWnd() == nullptr || !app.GetMainWnd()->isVisible());
    EXPECT_EQ(app.GetRecentFileList().GetCount(), 0);
}

TEST_F(StartupTest, UndecodableFileShowsTheLoadFailureThenTheFrame)
{
    const QString text = app_test::WriteBytes(m_files, QStringLiteral("notes.jpg"),
                                              QByteArrayLiteral("not a picture at all"));
    CVeltraApp app(m_prompts);
    ASSERT_TRUE(app.InitInstance({text}));
    EXPECT_EQ(m_prompts.shown,
              (std::vector<Shown>{{QStringLiteral("文件加载失败"), Shown::Kind::Error}}));
    EXPECT_TRUE(app.GetMainWnd()->isVisible());
    EXPECT_EQ(app.GetDocument()->image(), nullptr);
    EXPECT_EQ(app.GetMainWnd()->windowTitle(), QStringLiteral("notes.jpg - Veltra"));
    ASSERT_EQ(app.GetRecentFileList().GetCount(), 1);
    EXPECT_EQ(app.GetRecentFileList()[0], QFileInfo(text).absoluteFilePath());
}

TEST_F(StartupTest, PictureNamedOnTheCommandLineIsShown)
{
    const QString path =
        app_test::WritePicture(m_files, QStringLiteral("photo.png"), QSize(20, 10), Qt::red);
    CVeltraApp app(m_prompts);
    ASSERT_TRUE(app.InitInstance({path}));
    EXPECT_NE(app.GetDocument()->image(), nullptr);
    EXPECT_EQ(app.GetMainWnd()->windowTitle(), QStringLiteral("photo.png - Veltra"));
    EXPECT_TRUE(m_prompts.shown.empty());
}

TEST_F(StartupTest, RecentFilesSurviveARestartNewestFirstAtMostFour)
{
    QStringList paths;
    for (int i = 1; i <= 5; ++i)
        paths << app_test::WritePicture(m_files, QStringLiteral("p%1.png").arg(i), QSize(4, 4),
                                        Qt::red);
    {
        CVeltraApp first(m_prompts);
        ASSERT_TRUE(first.InitInstance({}));
        for (const QString& path : paths)
            ASSERT_NE(first.OpenDocumentFile(path), nullptr);
        // Opening an older one again moves it up instead of listing it twice.
        ASSERT_NE(first.OpenDocumentFile(paths[2]), nullptr);
        EXPECT_EQ(first.ExitInstance(0), 0);
    }

    // What is stored, read straight from the file.
    const QString stored = QString::fromUtf8(app_test::ReadBytes(m_profile.FilePath()));
    EXPECT_TRUE(stored.contains(QStringLiteral("[Recent%20File%20List]"))) << stored.toStdString();
    EXPECT_TRUE(stored.contains(QStringLiteral("File1=") + paths[2]));
    EXPECT_TRUE(stored.contains(QStringLiteral("File4=") + paths[1]));
    EXPECT_FALSE(stored.contains(QStringLiteral("File5=")));
    EXPECT_FALSE(stored.contains(paths[0]));

    CVeltraApp second(m_prompts);
    ASSERT_TRUE(second.InitInstance({}));
    const QStringList expectedOrder{paths[2], paths[4], paths[3], paths[1]};
    ASSERT_EQ(second.GetRecentFileList().GetCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(second.GetRecentFileList()[i], expectedOrder[i]);
        const QAction* entry = FileMenuEntry(second, 6 + i);
        EXPECT_TRUE(entry->text().startsWith(QStringLiteral("&%1 ").arg(i + 1)));
        EXPECT_TRUE(entry->text().endsWith(QFileInfo(expectedOrder[i]).fileName()));
        EXPECT_TRUE(entry->isEnabled());
    }
    EXPECT_TRUE(FileMenuEntry(second, 10)->isSeparator());

    // A recent entry opens like Open and moves to the top.
    FileMenuEntry(second, 8)->trigger();
    EXPECT_EQ(second.GetMainWnd()->windowTitle(), QStringLiteral("p4.png - Veltra"));
    EXPECT_EQ(second.GetRecentFileList()[0], paths[3]);
    EXPECT_TRUE(m_prompts.shown.empty());
}

TEST_F(StartupTest, RecentEntryOfAVanishedFileIsReportedAndDropped)
{
    const QString path =
        app_test::WritePicture(m_files, QStringLiteral("brief.png"), QSize(4, 4), Qt::red);
    CVeltraApp app(m_prompts);
    ASSERT_TRUE(app.InitInstance({path}));
    ASSERT_TRUE(QFile::remove(path));
    FileMenuEntry(app, 6)->trigger();
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0].kind, Shown::Kind::Framework);
    EXPECT_EQ(app.GetRecentFileList().GetCount(), 0);
    EXPECT_EQ(FileMenuEntry(app, 6)->text(), QStringLiteral("最近的文件"));
    // The document still shows what it showed.
    EXPECT_NE(app.GetDocument()->image(), nullptr);
}

TEST_F(StartupTest, SettingsTranslationsAndDesktopEntry)
{
    CVeltraApp app(m_prompts);
    ASSERT_TRUE(app.InitInstance({}));
    const std::unique_ptr<QSettings> profile = OpenProfile();
    EXPECT_EQ(profile->organizationName(), QStringLiteral("应用程序向导生成的本地应用程序"));
    EXPECT_EQ(profile->applicationName(), QStringLiteral("Veltra"));
    // Qt's own dialogs speak Chinese.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));

    // The window names the desktop entry that the build generates for installing, and that
    // entry starts this program on a file and shows the icon installed under the same name.
    const QString desktopFileName = QGuiApplication::desktopFileName();
    ASSERT_FALSE(desktopFileName.isEmpty());
    const QString desktop = QString::fromUtf8(app_test::ReadBytes(
        QStringLiteral(VELTRA_DESKTOP_ENTRY_DIR "/%1.desktop").arg(desktopFileName)));
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nIcon=%1\n").arg(desktopFileName)));
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nExec=veltra %f\n")));
    // On X11 the desktop matches windows by their class, which Qt takes from the
    // application's name.
    EXPECT_TRUE(desktop.contains(
        QStringLiteral("\nStartupWMClass=%1\n").arg(QCoreApplication::applicationName())));
}

// The file dialogs take dates and sizes from the system locale; whatever the session's, they
// are written the Chinese way, beside the Chinese labels.
TEST(ChineseConventionsTest, DialogsWriteDatesTheChineseWay)
{
    EXPECT_EQ(QLocale::system().name(), QStringLiteral("zh_CN"));
    EXPECT_EQ(QLocale::system().toString(QDate(2026, 5, 20), QLocale::ShortFormat),
              QStringLiteral("2026/5/20"));
    EXPECT_EQ(QLocale().name(), QStringLiteral("zh_CN"));
}

TEST_F(StartupTest, OpenFailureMessagesNameTheReason)
{
    const QString missing = m_files.filePath(QStringLiteral("none.png"));
    EXPECT_EQ(OpenFailureMessage(missing),
              QStringLiteral("无法打开文件“%1”：找不到该文件。").arg(missing));
    EXPECT_EQ(OpenFailureMessage(m_files.path()),
              QStringLiteral("无法打开文件“%1”：这是一个文件夹。").arg(m_files.path()));
}

TEST(AboutBoxTest, IconNameVersionOneLineAndOneButton)
{
    CAboutDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("关于Veltra"));
    EXPECT_FALSE(dialog.IconLabel()->pixmap().isNull());
    EXPECT_EQ(dialog.VersionLabel()->text(), QStringLiteral("Veltra，1.0 版"));
    EXPECT_FALSE(dialog.DescriptionLabel()->text().isEmpty());
    const QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text(), QStringLiteral("确定"));
    EXPECT_TRUE(buttons[0]->isDefault());
    // A fixed size: it cannot be made larger or smaller.
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    // The texts sit right of the icon, the button below them.
    EXPECT_GT(dialog.VersionLabel()->x(), dialog.IconLabel()->geometry().right());
    EXPECT_GT(buttons[0]->y(), dialog.DescriptionLabel()->geometry().bottom());
    EXPECT_LE(buttons[0]->geometry().right(), dialog.width());

    dialog.show();
    buttons[0]->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(OutOfMemoryGuardTest, ReportsAndCarriesOn)
{
    int reports = 0;
    const auto report = [&reports] { ++reports; };
    EXPECT_TRUE(DispatchGuarded([] { return true; }, report));
    EXPECT_EQ(reports, 0);
    EXPECT_FALSE(DispatchGuarded([]() -> bool { throw std::bad_alloc(); }, report));
    EXPECT_EQ(reports, 1);
    // Only memory running out is caught; any other fault is not hidden.
    EXPECT_THROW(DispatchGuarded([]() -> bool { throw std::runtime_error("other"); }, report),
                 std::runtime_error);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(OutOfMemoryMessage(), QStringLiteral("内存不足。"));
}

}  // namespace
}  // namespace veltra
