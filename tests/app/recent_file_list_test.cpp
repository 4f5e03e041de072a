// The recent-file list: its order and length, how it is stored, and the shortened names the
// File menu shows. The shortened forms below are worked out by hand: keep "/first", then
// "/...", then as many trailing directories as fit in 30 characters with the file name.

#include "app/app_test_support.h"

#include "app/recent_file_list.h"

#include <QDir>

namespace veltra {
namespace {

struct AbbreviationRow {
    QString path;
    QString expected;
    friend void PrintTo(const AbbreviationRow& row, std::ostream* out)
    {
        *out << row.path.toStdString();
    }
};

class AbbreviatePathTest : public ::testing::TestWithParam<AbbreviationRow> {};

TEST_P(AbbreviatePathTest, ShortensToThirtyCharacters)
{
    const AbbreviationRow& row = GetParam();
    EXPECT_EQ(AbbreviatePath(row.path, 30), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AbbreviatePathTest,
    ::testing::Values(
        AbbreviationRow{"/home/user/a.jpg", "/home/user/a.jpg"},
        // Exactly 30 characters still fits.
        AbbreviationRow{"/data/abcdefghijklmnopqrstuvwx", "/data/abcdefghijklmnopqrstuvwx"},
        // 32 characters: "/user" and "/docs" go; "/home/..." + "/report/final.png" is 26.
        AbbreviationRow{"/home/user/docs/report/final.png", "/home/.../report/final.png"},
        AbbreviationRow{"/home/user/pictures/holiday/2023/beach.jpg", "/home/.../2023/beach.jpg"},
        // "/verylongfirstdirectoryname/.../photo.jpg" would be 41: the name alone.
        AbbreviationRow{"/verylongfirstdirectoryname/x/y/photo.jpg", "photo.jpg"},
        // A name longer than the limit is shown whole, never cut.
        AbbreviationRow{"/tmp/a-very-long-file-name-of-35-chars.png",
                        "a-very-long-file-name-of-35-chars.png"},
        // Directly in the root there is no directory to drop.
        AbbreviationRow{"/abcdefghijklmnopqrstuvwxyz.png", "abcdefghijklmnopqrstuvwxyz.png"}));

CRecentFileList MakeList()
{
    return CRecentFileList(QStringLiteral("Recent File List"), QStringLiteral("File%1"), 4, 30);
}

TEST(RecentFileListTest, NewestFirstWithoutRepeatsAndAtMostFour)
{
    CRecentFileList list = MakeList();
    for (const char* path : {"/p/1.png", "/p/2.png", "/p/3.png", "/p/4.png", "/p/5.png"})
        list.Add(QString::fromUtf8(path));
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list[0], QStringLiteral("/p/5.png"));
    EXPECT_EQ(list[3], QStringLiteral("/p/2.png"));

    list.Add(QStringLiteral("/p/3.png"));
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list[0], QStringLiteral("/p/3.png"));
    EXPECT_EQ(list[1], QStringLiteral("/p/5.png"));
    EXPECT_EQ(list[2], QStringLiteral("/p/4.png"));
    EXPECT_EQ(list[3], QStringLiteral("/p/2.png"));

    list.Remove(1);
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list[1], QStringLiteral("/p/4.png"));
}

TEST(RecentFileListTest, RelativeNamesAreStoredAsFullPaths)
{
    CRecentFileList list = MakeList();
    list.Add(QStringLiteral("relative.png"));
    EXPECT_EQ(list[0], QDir::current().absoluteFilePath(QStringLiteral("relative.png")));
}

TEST(RecentFileListTest, DisplayNameIsTheBareNameInTheCurrentDirectory)
{
    CRecentFileList list = MakeList();
    list.Add(QStringLiteral("/home/user/docs/report/final.png"));
    EXPECT_EQ(list.GetDisplayName(0, QStringLiteral("/home/user/docs/report")),
              QStringLiteral("final.png"));
    EXPECT_EQ(list.GetDisplayName(0, QStringLiteral("/elsewhere")),
              QStringLiteral("/home/.../report/final.png"));
}

TEST(RecentFileListTest, MenuTextNumbersEntriesAndKeepsAmpersands)
{
    EXPECT_EQ(RecentFileMenuText(0, QStringLiteral("a&b.jpg")), QStringLiteral("&1 a&&b.jpg"));
    EXPECT_EQ(RecentFileMenuText(3, QStringLiteral("%1.png")), QStringLiteral("&4 %1.png"));
}

TEST(RecentFileListTest, StoredListReplacesTheOldOneAndSkipsGaps)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Recent File List/File1"), QStringLiteral("/a.png"));
    settings.setValue(QStringLiteral("Recent File List/File3"), QStringLiteral("/c.png"));
    settings.setValue(QStringLiteral("Recent File List/File4"), QStringLiteral("/a.png"));

    CRecentFileList list = MakeList();
    list.ReadList(settings);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list[0], QStringLiteral("/a.png"));
    EXPECT_EQ(list[1], QStringLiteral("/c.png"));

    list.Remove(0);
    list.WriteList(settings);
    EXPECT_EQ(settings.value(QStringLiteral("Recent File List/File1")).toString(),
              QStringLiteral("/c.png"));
    EXPECT_FALSE(settings.contains(QStringLiteral("Recent File List/File3")));
    EXPECT_FALSE(settings.contains(QStringLiteral("Recent File List/File4")));
}

}  // namespace
}  // namespace veltra
