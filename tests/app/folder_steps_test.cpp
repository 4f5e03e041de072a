// Stepping through the open file's folder: names in the order a file manager shows them, the
// steps and their ends, a file that fails in the middle, a folder that changes meanwhile, the
// place on the status bar, and print preview keeping its own keys.

#include "app/app_test_support.h"

#include "app/folder_navigation.h"
#include "app/main_frame.h"
#include "app/veltra_app.h"
#include "document/veltra_doc.h"

#include <QDir>
#include <QFileInfo>
#include <QPrintPreviewDialog>

namespace veltra {
namespace {

using app_test::RecordingPrompts;
using app_test::ScopedProfile;

struct OrderRow {
    const char* first;
    const char* second;
};

class NaturalOrder : public ::testing::TestWithParam<OrderRow> {};

TEST_P(NaturalOrder, FirstSortsBeforeSecond)
{
    const QString first = QString::fromUtf8(GetParam().first);
    const QString second = QString::fromUtf8(GetParam().second);
    EXPECT_LT(NaturalCompare(first, second), 0);
    EXPECT_GT(NaturalCompare(second, first), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Names, NaturalOrder,
    ::testing::Values(OrderRow{"img2.jpg", "img10.jpg"}, OrderRow{"IMG_0009.JPG", "img_10.jpg"},
                      OrderRow{"a.jpg", "B.jpg"}, OrderRow{"photo", "photo 1"},
                      OrderRow{"1 (2).png", "1 (10).png"}, OrderRow{"x9y", "x10a"},
                      // Longer than any machine integer, still compared as numbers.
                      OrderRow{"a99999999999999999999", "a100000000000000000000"},
                      // Equal values: the plain text decides, so the order is total.
                      OrderRow{"a01", "a1"}, OrderRow{"A.jpg", "a.jpg"}));

class FolderStepsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        for (const char* name : {"10.png", "2.png", "1.png", "notes.txt", "B.PNG", "11.png"})
            app_test::WritePicture(m_folder, QString::fromLatin1(name), QSize(8, 6), Qt::blue);
        // A picture by its name whose content is not one.
        app_test::WriteBytes(m_folder, QStringLiteral("3.png"), QByteArray("not a picture"));
        app_test::WriteBytes(m_folder, QStringLiteral(".hidden.png"), QByteArray());
        ASSERT_TRUE(m_app.InitInstance({}));
        m_frame = m_app.GetMainWnd();
        m_doc = m_app.GetDocument();
    }

    QString Path(const char* name) const { return m_folder.filePath(QString::fromLatin1(name)); }
    QString Shown() const { return QFileInfo(m_doc->GetPathName()).fileName(); }

    // Presses the keys on the active window; true when a shortcut took them.
    bool Press(QKeyCombination keys)
    {
        const bool taken = app_test::PressShortcut(*m_frame, keys);
        QCoreApplication::processEvents();
        return taken;
    }

    QTemporaryDir m_folder;
    ScopedProfile m_profile;
    RecordingPrompts m_prompts;
    CVeltraApp m_app{m_prompts};
    CMainFrame* m_frame = nullptr;
    CVeltraDoc* m_doc = nullptr;
};

TEST_F(FolderStepsTest, PicturesInNaturalOrderWithoutHiddenOrOtherFiles)
{
    QStringList names;
    for (const QString& path : PicturesIn(m_folder.path(), PictureExtensions()))
        names << QFileInfo(path).fileName();
    EXPECT_EQ(names, (QStringList{"1.png", "2.png", "3.png", "10.png", "11.png", "B.PNG"}));
}

TEST_F(FolderStepsTest, KeysStepThroughTheFolderAsOrdinaryOpens)
{
    ASSERT_NE(m_app.OpenDocumentFile(Path("2.png")), nullptr);
    ASSERT_TRUE(app_test::ActivateWindow(*m_frame));
    EXPECT_EQ(m_frame->FolderPosition(), QStringLiteral("2 / 6"));

    // The picture that fails: its message, its name in the caption and the list, and the
    // next step goes on from it.
    EXPECT_TRUE(Press(QKeyCombination(Qt::Key_Right)));
    EXPECT_EQ(Shown(), QStringLiteral("3.png"));
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0].text, QStringLiteral("文件加载失败"));
    EXPECT_EQ(m_doc->image(), nullptr);
    EXPECT_EQ(m_frame->FolderPosition(), QStringLiteral("3 / 6"));
    Press(QKeyCombination(Qt::Key_PageDown));
    EXPECT_EQ(Shown(), QStringLiteral("10.png"));
    EXPECT_NE(m_doc->image(), nullptr);
    EXPECT_EQ(m_frame->windowTitle(), QStringLiteral("10.png - Veltra"));
    EXPECT_EQ(m_app.GetRecentFileList()[0], Path("10.png"));
    Press(QKeyCombination(Qt::Key_Space));
    EXPECT_EQ(Shown(), QStringLiteral("11.png"));

    Press(QKeyCombination(Qt::Key_End));
    EXPECT_EQ(Shown(), QStringLiteral("B.PNG"));
    EXPECT_EQ(m_frame->FolderPosition(), QStringLiteral("6 / 6"));
    // Past the last picture nothing opens.
    Press(QKeyCombination(Qt::Key_Right));
    EXPECT_EQ(Shown(), QStringLiteral("B.PNG"));

    Press(QKeyCombination(Qt::Key_Left));
    EXPECT_EQ(Shown(), QStringLiteral("11.png"));
    Press(QKeyCombination(Qt::Key_PageUp));
    EXPECT_EQ(Shown(), QStringLiteral("10.png"));
    Press(QKeyCombination(Qt::Key_Backspace));
    EXPECT_EQ(Shown(), QStringLiteral("3.png"));
    Press(QKeyCombination(Qt::Key_Home));
    EXPECT_EQ(Shown(), QStringLiteral("1.png"));
    Press(QKeyCombination(Qt::Key_Left));
    EXPECT_EQ(Shown(), QStringLiteral("1.png"));
    EXPECT_EQ(m_frame->FolderPosition(), QStringLiteral("1 / 6"));
}

TEST_F(FolderStepsTest, AFolderChangedWhileOpenIsReadAgain)
{
    ASSERT_NE(m_app.OpenDocumentFile(Path("10.png")), nullptr);
    app_test::WritePicture(m_folder, QStringLiteral("10b.png"), QSize(4, 4), Qt::green);
    ASSERT_TRUE(QFile::remove(Path("11.png")));
    m_app.OnPictureStep(FolderStep::Next);
    EXPECT_EQ(Shown(), QStringLiteral("10b.png"));
    m_app.OnPictureStep(FolderStep::Next);
    EXPECT_EQ(Shown(), QStringLiteral("B.PNG"));
    // The file shown goes away: the step starts from where its name stood.
    ASSERT_TRUE(QFile::remove(Path("B.PNG")));
    m_app.OnPictureStep(FolderStep::Previous);
    EXPECT_EQ(Shown(), QStringLiteral("10b.png"));
}

TEST_F(FolderStepsTest, AFileThatIsNoPictureStandsBetweenItsNeighbours)
{
    ASSERT_NE(m_app.OpenDocumentFile(Path("notes.txt")), nullptr);
    EXPECT_EQ(m_frame->FolderPosition(), QString());
    m_app.OnPictureStep(FolderStep::Previous);
    EXPECT_EQ(Shown(), QStringLiteral("B.PNG"));
}

TEST_F(FolderStepsTest, PrintPreviewKeepsItsOwnPageKeys)
{
    ASSERT_NE(m_app.OpenDocumentFile(Path("2.png")), nullptr);
    QPrintPreviewDialog preview(m_frame);
    ASSERT_TRUE(app_test::ActivateWindow(preview));
    for (QKeyCombination keys : {QKeyCombination(Qt::Key_PageDown), QKeyCombination(Qt::Key_PageUp)}) {
        EXPECT_FALSE(app_test::PressShortcut(preview, keys));
        QCoreApplication::processEvents();
        EXPECT_EQ(Shown(), QStringLiteral("2.png"));
    }
}

}  // namespace
}  // namespace veltra
