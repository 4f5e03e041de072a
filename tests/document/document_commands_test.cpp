// The document's commands: loading and removing the watermark, the display flags, the
// routing of ids and the state each command's user-interface item shows.

#include "document/document_test_support.h"

#include <gtest/gtest.h>

namespace veltra {
namespace {

using namespace document_test;
using Call = RecordingCmdUI::Call;

class DocumentCommandsTest : public ::testing::Test {
protected:
    QString MarkFile()
    {
        return WritePicture(dir, QStringLiteral("mark.png"), SolidImage(10, 6, Qt::red));
    }

    QTemporaryDir dir;
    FakePrompts prompts;
    CVeltraDoc doc{prompts};
};

struct LoadFlagsRow {
    std::uint32_t before;
    std::uint32_t after;
};

class WatermarkLoadFlagsTest : public DocumentCommandsTest,
                               public ::testing::WithParamInterface<LoadFlagsRow> {};

TEST_P(WatermarkLoadFlagsTest, ShowAndFitAreAddedOnlyWhenNeitherFitNorTileIsSet)
{
    DocumentTestAccess::SetWatermarkFlags(doc, GetParam().before);
    DocumentTestAccess::SetWatermarkPosition(doc, QPoint(7, 9));
    RepaintCounter repaints(doc);
    LoadWatermark(doc, prompts, MarkFile());

    ASSERT_NE(doc.watermark(), nullptr);
    EXPECT_EQ(PictureSize(doc.watermark()), QSize(10, 6));
    EXPECT_EQ(doc.watermarkFlags(), GetParam().after);
    EXPECT_EQ(doc.watermarkPosition(), QPoint(-1, -1));
    EXPECT_EQ(repaints.count, 1);
    EXPECT_TRUE(prompts.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WatermarkLoadFlagsTest,
    ::testing::Values(LoadFlagsRow{0, 3},
                      // Show was turned off earlier: stays off.
                      LoadFlagsRow{FLAG_WATERMARK_FIT, FLAG_WATERMARK_FIT},
                      LoadFlagsRow{FLAG_WATERMARK_TILE, FLAG_WATERMARK_TILE},
                      LoadFlagsRow{FLAG_WATERMARK_SHOW, 3},
                      LoadFlagsRow{FLAG_WATERMARK_FIT | FLAG_WATERMARK_TILE, 6},
                      LoadFlagsRow{FLAG_REGION_OUTLINE, FLAG_REGION_OUTLINE | 3}));

struct NoWatermarkRow {
    bool cancelled;
    std::vector<FakePrompts::Message> messages;
};

class NoWatermarkTest : public DocumentCommandsTest,
                        public ::testing::WithParamInterface<NoWatermarkRow> {};

TEST_P(NoWatermarkTest, FlagsPositionAndViewStayAsTheyWere)
{
    DocumentTestAccess::SetWatermarkFlags(doc, FLAG_WATERMARK_SHOW);
    DocumentTestAccess::SetWatermarkPosition(doc, QPoint(7, 9));
    RepaintCounter repaints(doc);
    if (GetParam().cancelled)
        prompts.watermarkReplies.push_back(std::nullopt);
    else
        prompts.watermarkReplies.push_back(WriteBytes(dir, QStringLiteral("notes.png"), "text\n"));
    doc.OnWatermarkLoad();

    EXPECT_EQ(doc.watermark(), nullptr);
    EXPECT_EQ(doc.watermarkFlags(), FLAG_WATERMARK_SHOW);
    EXPECT_EQ(doc.watermarkPosition(), QPoint(7, 9));
    EXPECT_EQ(repaints.count, 0);
    EXPECT_EQ(prompts.messages, GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NoWatermarkTest,
    ::testing::Values(NoWatermarkRow{true, {}},
                      NoWatermarkRow{false,
                                     {{QStringLiteral("水印图片加载失败"),
                                       DocumentPrompts::Icon::Error}}}));

TEST_F(DocumentCommandsTest, SecondLoadRemovesTheWatermarkAndKeepsFlagsAndPosition)
{
    LoadWatermark(doc, prompts, MarkFile());
    ASSERT_NE(doc.watermark(), nullptr);
    DocumentTestAccess::SetWatermarkPosition(doc, QPoint(30, 40));
    RepaintCounter repaints(doc);

    doc.OnWatermarkLoad();
    EXPECT_EQ(doc.watermark(), nullptr);
    EXPECT_EQ(doc.watermarkFlags(), 3u);
    EXPECT_EQ(doc.watermarkPosition(), QPoint(30, 40));
    EXPECT_EQ(repaints.count, 1);
    EXPECT_EQ(prompts.watermarkAsked, 1);  // removal asks nothing
}

TEST_F(DocumentCommandsTest, TilingOnUnsetsOnlyXAndTilingOffKeepsThePosition)
{
    DocumentTestAccess::SetWatermarkPosition(doc, QPoint(30, 40));
    RepaintCounter repaints(doc);
    doc.OnWatermarkTile();
    EXPECT_EQ(doc.watermarkFlags(), FLAG_WATERMARK_TILE);
    EXPECT_EQ(doc.watermarkPosition(), QPoint(-1, 40));

    DocumentTestAccess::SetWatermarkPosition(doc, QPoint(12, 13));
    doc.OnWatermarkTile();
    EXPECT_EQ(doc.watermarkFlags(), 0u);
    EXPECT_EQ(doc.watermarkPosition(), QPoint(12, 13));
    EXPECT_EQ(repaints.count, 2);
}

struct ToggleRow {
    unsigned id;
    std::uint32_t bit;
};

class FlagToggleTest : public DocumentCommandsTest,
                       public ::testing::WithParamInterface<ToggleRow> {};

TEST_P(FlagToggleTest, TwiceSetsThenClearsItsBitAlone)
{
    // Other bits set beforehand must survive; no picture or watermark is needed.
    const std::uint32_t others = (FLAG_WATERMARK_SHOW | FLAG_WATERMARK_FIT | FLAG_WATERMARK_TILE |
                                  FLAG_REGION_OUTLINE) &
                                 ~GetParam().bit;
    DocumentTestAccess::SetWatermarkFlags(doc, others);
    RepaintCounter repaints(doc);

    EXPECT_TRUE(doc.OnCmdMsg(GetParam().id));
    EXPECT_EQ(doc.watermarkFlags(), others | GetParam().bit);
    EXPECT_TRUE(doc.OnCmdMsg(GetParam().id));
    EXPECT_EQ(doc.watermarkFlags(), others);
    EXPECT_EQ(repaints.count, 2);
}

INSTANTIATE_TEST_SUITE_P(Rows, FlagToggleTest,
                         ::testing::Values(ToggleRow{ID_WATERMARK_FIT, FLAG_WATERMARK_FIT},
                                           ToggleRow{ID_WATERMARK_SHOW, FLAG_WATERMARK_SHOW},
                                           ToggleRow{ID_WATERMARK_TILE, FLAG_WATERMARK_TILE},
                                           ToggleRow{ID_REGION_OUTLINE, FLAG_REGION_OUTLINE}));

struct UpdateRow {
    unsigned id;
    std::uint32_t flags;
    bool watermarkHeld;
    RecordingCmdUI::Record expected;
};

class UpdateRuleTest : public DocumentCommandsTest,
                       public ::testing::WithParamInterface<UpdateRow> {};

TEST_P(UpdateRuleTest, ExactlyOneCallShowsTheState)
{
    if (GetParam().watermarkHeld)
        LoadWatermark(doc, prompts, MarkFile());
    DocumentTestAccess::SetWatermarkFlags(doc, GetParam().flags);
    RecordingCmdUI ui;
    EXPECT_TRUE(doc.OnUpdateCmdUI(GetParam().id, ui));
    EXPECT_EQ(ui.calls, std::vector{GetParam().expected});
}

constexpr std::uint32_t kAllFlags = 15;

INSTANTIATE_TEST_SUITE_P(
    Rows, UpdateRuleTest,
    ::testing::Values(
        UpdateRow{ID_WATERMARK_LOAD, kAllFlags, false, {Call::SetRadio, 0}},
        UpdateRow{ID_WATERMARK_LOAD, 0, true, {Call::SetRadio, 1}},
        UpdateRow{ID_WATERMARK_FIT, FLAG_WATERMARK_FIT, false, {Call::SetRadio, 1}},
        UpdateRow{ID_WATERMARK_FIT, kAllFlags & ~FLAG_WATERMARK_FIT, true, {Call::SetRadio, 0}},
        UpdateRow{ID_WATERMARK_SHOW, FLAG_WATERMARK_SHOW, false, {Call::SetRadio, 1}},
        UpdateRow{ID_WATERMARK_SHOW, kAllFlags & ~FLAG_WATERMARK_SHOW, true, {Call::SetRadio, 0}},
        UpdateRow{ID_WATERMARK_TILE, FLAG_WATERMARK_TILE, false, {Call::SetRadio, 1}},
        UpdateRow{ID_WATERMARK_TILE, kAllFlags & ~FLAG_WATERMARK_TILE, true, {Call::SetRadio, 0}},
        UpdateRow{ID_REGION_OUTLINE, FLAG_REGION_OUTLINE, false, {Call::SetCheck, 1}},
        UpdateRow{ID_REGION_OUTLINE, kAllFlags & ~FLAG_REGION_OUTLINE, true, {Call::SetCheck, 0}},
        UpdateRow{ID_RESERVED_FIRST, kAllFlags, true, {Call::Enable, 0}},
        UpdateRow{32150, 0, false, {Call::Enable, 0}},
        UpdateRow{ID_RESERVED_LAST, 0, false, {Call::Enable, 0}}));

struct RoutingRow {
    unsigned id;
    bool taken;
};

class UnlistedIdTest : public DocumentCommandsTest,
                       public ::testing::WithParamInterface<RoutingRow> {};

TEST_P(UnlistedIdTest, ReservedIdsAreTakenAndIgnoredOthersAreNotTaken)
{
    DocumentTestAccess::SetWatermarkFlags(doc, FLAG_WATERMARK_SHOW);
    RepaintCounter repaints(doc);
    EXPECT_EQ(doc.OnCmdMsg(GetParam().id), GetParam().taken);
    EXPECT_EQ(doc.watermarkFlags(), FLAG_WATERMARK_SHOW);
    EXPECT_EQ(repaints.count, 0);
    EXPECT_EQ(prompts.watermarkAsked + prompts.exportAsked, 0);
    EXPECT_TRUE(prompts.colorInitials.empty());
    if (!GetParam().taken) {
        RecordingCmdUI ui;
        EXPECT_FALSE(doc.OnUpdateCmdUI(GetParam().id, ui));
        EXPECT_TRUE(ui.calls.empty());
    }
}

// The range's ends, just outside them, the gaps of the table and an id of the framework's.
INSTANTIATE_TEST_SUITE_P(Rows, UnlistedIdTest,
                         ::testing::Values(RoutingRow{32100, true}, RoutingRow{32150, true},
                                           RoutingRow{32199, true}, RoutingRow{32099, false},
                                           RoutingRow{32200, false}, RoutingRow{32773, false},
                                           RoutingRow{32777, false}, RoutingRow{57601, false}));

}  // namespace
}  // namespace veltra
