// The document's state: its initial values, loading a picture, the background colour and
// close commands, the new-document operation and the promise that no command ever alters
// the opened file.

#include "document/document_test_support.h"

#include <QDir>
#include <QTemporaryFile>

#include <unistd.h>

#include <gtest/gtest.h>

namespace veltra {
namespace {

using namespace document_test;

const FakePrompts::Message kLoadFailed{QStringLiteral("文件加载失败"),
                                       DocumentPrompts::Icon::Error};

class DocumentStateTest : public ::testing::Test {
protected:
    QString WriteBlue(const QString& name, QSize size = QSize(40, 30))
    {
        return WritePicture(dir, name, SolidImage(size.width(), size.height(), Qt::blue));
    }

    QTemporaryDir dir;
    FakePrompts prompts;
    CVeltraDoc doc{prompts};
};

TEST_F(DocumentStateTest, InitialValues)
{
    EXPECT_EQ(doc.backgroundColor(), 0xC0C0C0u);
    EXPECT_EQ(doc.image(), nullptr);
    EXPECT_EQ(doc.watermark(), nullptr);
    EXPECT_EQ(doc.watermarkFlags(), 0u);
    EXPECT_EQ(doc.watermarkPosition(), QPoint(0, 0));
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("无标题"));
}

TEST_F(DocumentStateTest, LoadHoldsThePictureAndAsksForARepaint)
{
    const QString path = WriteBlue(QStringLiteral("blue.png"), QSize(40, 30));
    RepaintCounter repaints(doc);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    ASSERT_NE(doc.image(), nullptr);
    EXPECT_EQ(PictureSize(doc.image()), QSize(40, 30));
    EXPECT_GE(repaints.count, 1);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("blue.png"));
    EXPECT_EQ(doc.GetPathName(), QDir(dir.path()).absoluteFilePath(QStringLiteral("blue.png")));
}

class FailedLoadTest : public DocumentStateTest,
                       public ::testing::WithParamInterface<const char*> {};

// The window is repainted after the failed open too, and then shows the background alone:
// neither the old picture nor its report stays on screen under the new name.
TEST_P(FailedLoadTest, ReportsReleasesThePreviousPictureAndRepaintsTheBackground)
{
    ASSERT_TRUE(doc.OnOpenDocument(WriteBlue(QStringLiteral("first.png"))));
    const QString bad = WriteBytes(dir, QStringLiteral("bad.jpg"), GetParam());
    RepaintCounter repaints(doc);

    EXPECT_TRUE(doc.OnOpenDocument(bad));
    EXPECT_EQ(doc.image(), nullptr);
    EXPECT_GE(repaints.count, 1);
    EXPECT_EQ(prompts.messages, std::vector{kLoadFailed});
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("bad.jpg"));
    const QImage painted = Paint(doc, QSize(120, 90));
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x)
            ASSERT_EQ(painted.pixel(x, y), qRgb(192, 192, 192)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Rows, FailedLoadTest,
                         ::testing::Values("this is a text file, not a picture\n", ""));

// Everything written to the process's standard error while it lives.
class StandardErrorCapture {
public:
    StandardErrorCapture()
    {
        m_file.open();
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(m_file.handle(), STDERR_FILENO);
    }
    ~StandardErrorCapture() { Restore(); }
    QByteArray Text()
    {
        Restore();
        m_file.seek(0);
        return m_file.readAll();
    }

private:
    void Restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};

// Every decoder is asked about a file of unknown content, and some say on standard error that
// they cannot read it; none of that reaches the terminal.
TEST_F(DocumentStateTest, AnUndecodableFileWritesNothingToStandardError)
{
    const QString bad = WriteBytes(dir, QStringLiteral("x.jpg"), QByteArray(64, '\x02'));
    StandardErrorCapture capture;
    EXPECT_TRUE(doc.OnOpenDocument(bad));
    EXPECT_EQ(doc.image(), nullptr);
    EXPECT_EQ(capture.Text(), QByteArray());
}

class UnopenablePathTest : public DocumentStateTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(UnopenablePathTest, LeavesTheDocumentAlone)
{
    const QString first = WriteBlue(QStringLiteral("first.png"));
    ASSERT_TRUE(doc.OnOpenDocument(first));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.png")));
    imaging::GpImage* held = doc.image();
    RepaintCounter repaints(doc);

    EXPECT_FALSE(doc.OnOpenDocument(dir.filePath(QString::fromUtf8(GetParam()))));
    EXPECT_EQ(doc.image(), held);
    EXPECT_EQ(doc.GetPathName(), QFileInfo(first).absoluteFilePath());
    EXPECT_EQ(repaints.count, 0);
    EXPECT_TRUE(prompts.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, UnopenablePathTest,
                         ::testing::Values("missing.png", "folder.png"));

TEST_F(DocumentStateTest, NewDocumentKeepsThePictureAndCloseReleasesIt)
{
    ASSERT_TRUE(doc.OnOpenDocument(WriteBlue(QStringLiteral("blue.png"))));
    imaging::GpImage* held = doc.image();
    RepaintCounter repaints(doc);
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.image(), held);
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("无标题"));

    doc.OnImageClose();
    EXPECT_EQ(doc.image(), nullptr);
    EXPECT_EQ(repaints.count, 1);
    doc.OnImageClose();  // nothing left to close
    EXPECT_EQ(repaints.count, 1);
}

TEST_F(DocumentStateTest, ChosenColourIsStoredAndRepainted)
{
    RepaintCounter repaints(doc);
    prompts.colorReplies.push_back(RGB(10, 20, 30));
    doc.OnBackgroundColor();
    EXPECT_EQ(doc.backgroundColor(), 0x1E140Au);
    EXPECT_EQ(repaints.count, 1);

    prompts.colorReplies.push_back(std::nullopt);
    doc.OnBackgroundColor();
    EXPECT_EQ(doc.backgroundColor(), 0x1E140Au);
    EXPECT_EQ(repaints.count, 1);
    // The chooser starts at the current colour each time.
    EXPECT_EQ(prompts.colorInitials, (std::vector<COLORREF>{0xC0C0C0, 0x1E140A}));
}

TEST_F(DocumentStateTest, LoadLeavesWatermarkFlagsPositionAndBackgroundAlone)
{
    LoadWatermark(doc, prompts, WritePicture(dir, QStringLiteral("mark.png"),
                                             SolidImage(8, 8, Qt::red)));
    ASSERT_NE(doc.watermark(), nullptr);
    imaging::GpImage* mark = doc.watermark();
    DocumentTestAccess::SetWatermarkFlags(doc, FLAG_WATERMARK_SHOW | FLAG_WATERMARK_TILE);
    DocumentTestAccess::SetWatermarkPosition(doc, QPoint(17, 23));
    DocumentTestAccess::SetBackgroundColor(doc, RGB(1, 2, 3));

    ASSERT_TRUE(doc.OnOpenDocument(WriteBlue(QStringLiteral("one.png"))));
    ASSERT_TRUE(doc.OnOpenDocument(WriteBlue(QStringLiteral("two.png"))));
    EXPECT_EQ(doc.watermark(), mark);
    EXPECT_EQ(doc.watermarkFlags(), FLAG_WATERMARK_SHOW | FLAG_WATERMARK_TILE);
    EXPECT_EQ(doc.watermarkPosition(), QPoint(17, 23));
    EXPECT_EQ(doc.backgroundColor(), RGB(1, 2, 3));
}

TEST_F(DocumentStateTest, StoringChangesNothing)
{
    const QString first = WriteBlue(QStringLiteral("first.png"));
    ASSERT_TRUE(doc.OnOpenDocument(first));
    const QString other = WriteBlue(QStringLiteral("other.png"), QSize(5, 5));
    const QByteArray otherBytes = ReadBytes(other);
    imaging::GpImage* held = doc.image();
    RepaintCounter repaints(doc);

    doc.Serialize(CArchive(CArchive::Mode::Store, other));
    EXPECT_EQ(doc.image(), held);
    EXPECT_EQ(repaints.count, 0);
    EXPECT_TRUE(prompts.messages.empty());
    // The archive's file is not emptied: there is nothing to store.
    EXPECT_EQ(ReadBytes(other), otherBytes);
}

// A read-only copy of a camera file stays byte for byte what it was, whatever the commands.
TEST_F(DocumentStateTest, NoCommandAltersTheOpenedFile)
{
    const QString opened = dir.filePath(QStringLiteral("Canon_40D.jpg"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELTRA_CAMERA_FILES_DIR "/jpg/Canon_40D.jpg"), opened));
    ASSERT_TRUE(QFile::setPermissions(opened, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                  QFileDevice::ReadOther));
    const QByteArray original = ReadBytes(opened);
    ASSERT_FALSE(original.isEmpty());
    const QString exported = dir.filePath(QStringLiteral("exported.jpg"));

    ASSERT_TRUE(doc.OnOpenDocument(opened));
    prompts.colorReplies.push_back(RGB(200, 10, 10));
    doc.OnCmdMsg(ID_BACKGROUND_COLOR);
    LoadWatermark(doc, prompts, WritePicture(dir, QStringLiteral("mark.png"),
                                             SolidImage(16, 16, Qt::red)));
    for (unsigned id : {ID_WATERMARK_FIT, ID_WATERMARK_SHOW, ID_WATERMARK_TILE, ID_REGION_OUTLINE})
        doc.OnCmdMsg(id);
    Paint(doc, QSize(300, 200));
    prompts.exportReplies.push_back(exported);
    doc.OnCmdMsg(ID_FILE_SAVE_JPEG);
    doc.OnCmdMsg(ID_WATERMARK_LOAD);  // removes it
    doc.OnCmdMsg(ID_IMAGE_CLOSE);
    doc.OnNewDocument();

    EXPECT_TRUE(QFileInfo::exists(exported));
    EXPECT_EQ(ReadBytes(opened), original);
}

}  // namespace
}  // namespace veltra
