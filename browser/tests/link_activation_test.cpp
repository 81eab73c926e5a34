#include "browser/link_activation.h"

#include <algorithm>
#include <string>

#include "browser/slide_display.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/slides.h"
#include "platform/win/files.h"
#include "platform/win/folders.h"

#include <gtest/gtest.h>

#include "browser/browser_settings.h"
#include "browser/info_view_bar.h"
#include "browser/item_list.h"
#include "drawingutil/view_window.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_line.h"
#include "platform/cad/documents.h"
#include "platform/cad/host_clock.h"
#include "platform/cad/selection.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/ui_driver.h"
#include "platform/ui/window_api.h"

namespace {

namespace ui = platform::ui;

AcDbObjectId AddLine(double x0, double y0, double x1, double y1)
{
    AcDbBlockTableRecord* ms = nullptr;
    EXPECT_EQ(acdbOpenObject(ms, curDoc()->database()->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    auto* line = new AcDbLine(AcGePoint3d(x0, y0, 0), AcGePoint3d(x1, y1, 0));
    line->setColorIndex(3);
    ms->appendAcDbEntity(id, line);
    line->close();
    ms->close();
    return id;
}

int ColorOf(AcDbObjectId id)
{
    AcDbEntity* e = nullptr;
    EXPECT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
    int index = e->colorIndex();
    e->close();
    return index;
}

int EntityCount()
{
    ads_name all;
    if (acedSSGet("X", nullptr, nullptr, nullptr, all) != RTNORM)
        return 0;
    Adesk::Int32 length = 0;
    acedSSLength(all, &length);
    acedSSFree(all);
    return static_cast<int>(length);
}

class LinkActivation : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::SetAnswerDriver(nullptr);
        platform::cad::UseVirtualClock(true);
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
        ActiveLinkSettings() = {};
    }
    void TearDown() override
    {
        DropBrowserBar();
        BrowserItems().clear();
        acDocManager->closeAll();
        platform::cad::UseVirtualClock(false);
        ActiveLinkSettings() = {};
    }
    using Ids = std::vector<AcDbObjectId>;
};

TEST(FindLinkAtPosition, ExactHitsAndLinesBetween)
{
    CInfoItem item;
    item.AppendItemText("ab");
    item.AppendItemText("cde");
    int k = 0;
    EXPECT_TRUE(FindLinkAtPosition(item, 0, k));
    EXPECT_EQ(k, 0);
    EXPECT_TRUE(FindLinkAtPosition(item, 4, k));
    EXPECT_EQ(k, 1);
    EXPECT_FALSE(FindLinkAtPosition(item, 5, k));
    EXPECT_EQ(k, 1);
    EXPECT_FALSE(FindLinkAtPosition(item, -1, k));
    EXPECT_EQ(k, -1);
}

TEST_F(LinkActivation, DoubleClickZoomsFlashesAndSelects)
{
    AcDbObjectId a = AddLine(0, 0, 10, 0);
    AcDbObjectId b = AddLine(0, 0, 0, 5);
    CInfoItem item;
    item.SetTitle("T");
    item.AppendItemText("text");
    item.AppendItemText("both");
    item.AddObjectLinks({a.handle().text(), b.handle().text(), "", "FFFF"});
    item.AppendItemText("line");
    item.AddLineLink({100, 100}, {120, 110});
    item.AppendItemText("point");
    item.AddPointLink({7, 8});
    BrowserItems() = {item};
    ShowBrowserBar();
    // Scale typed past its range: the zoom uses 100, i.e. the box widened by 0.1 only; the flash
    // count typed as 1000 flashes nine times.
    ActiveLinkSettings().entity = {1, 250, 1000};
    ui::UiDriver d(BrowserBar()->m_hWnd);

    AcGePoint3d low, high;
    ASSERT_TRUE(GetViewWindow(low, high));
    const AcGePoint3d viewLow = low;
    ASSERT_TRUE(d.DoubleClickTextAt(202, 0));  // a text line: selected, nothing else
    ASSERT_TRUE(GetViewWindow(low, high));
    EXPECT_EQ(low, viewLow);
    EXPECT_TRUE(platform::cad::PickFirstIds().empty());

    const DWORD before = GetTickCount();
    ASSERT_TRUE(d.DoubleClickTextAt(202, 7));
    EXPECT_GE(GetTickCount() - before, 9u * 800);
    EXPECT_LT(GetTickCount() - before, 10u * 800);
    EXPECT_EQ(platform::cad::PickFirstIds(), (Ids{a, b}));
    EXPECT_EQ(ColorOf(a), 3);
    ASSERT_TRUE(GetViewWindow(low, high));
    EXPECT_LE(low.x, -0.1 + 1e-9);
    EXPECT_LE(low.y, -0.1 + 1e-9);
    EXPECT_GE(high.x, 10.1 - 1e-9);
    EXPECT_NEAR(high.x - low.x, 10.2, 1e-6);

    ASSERT_TRUE(d.DoubleClickTextAt(202, 14));
    ASSERT_TRUE(GetViewWindow(low, high));
    EXPECT_NEAR((low.x + high.x) / 2, 110, 1e-6);
    EXPECT_NEAR((low.y + high.y) / 2, 105, 1e-6);

    ASSERT_TRUE(d.DoubleClickTextAt(202, 20));
    EXPECT_EQ(CurrentPendingSlide().mode, 3);
    EXPECT_EQ(CurrentPendingSlide().point, (InfoPoint{7, 8}));

    // The dialog sent the slide command to the host, which runs it after the notification: the
    // slide shows the marker; the drawing keeps only its own two lines and no file is left.
    acedRegCmds->addCommand("SLIDETEST", "KELVO_SHOWSLIDES", "KELVO_SHOWSLIDES", ACRX_CMD_MODAL, ShowSlidesCommand);
    EXPECT_TRUE(platform::cad::ShownSlide().empty());
    EXPECT_EQ(platform::cad::RunPostedCommands(), RTNORM);
    acedRegCmds->removeGroup("SLIDETEST");
    EXPECT_NE(platform::cad::ShownSlide().find("\nE "), std::string::npos) << platform::cad::ShownSlide();
    EXPECT_EQ(EntityCount(), 2);
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    EXPECT_EQ(GetFileAttributesA((std::string(temp) + "Kelvo_Point.SLD").c_str()), INVALID_FILE_ATTRIBUTES);

    // A polyline link the same way.
    const std::size_t l = FindOrAddItemTab("L", "pl");
    BrowserItems()[l].AddPolylineLink({{0, 0}, {3, 4}, {6, 0}});
    ASSERT_TRUE(d.DoubleClickTextAt(202, 0));
    EXPECT_EQ(CurrentPendingSlide().mode, 4);
    ShowSlidesCommand();
    EXPECT_NE(platform::cad::ShownSlide().find("\nE "), std::string::npos);
    EXPECT_EQ(EntityCount(), 2);

    // A region link: the outer ring with an inner ring as its hole, hatched in red. The slide
    // shows the region's eight sides and the hatch; the drawing and the temp folder keep nothing.
    const std::size_t g = FindOrAddItemTab("G", "region");
    BrowserItems()[g].AddRegionLink({{{20, 20}, {30, 20}, {30, 30}, {20, 30}}, {{24, 24}, {26, 24}, {26, 26}, {24, 26}}});
    // (The caret already stands at the start of the new text, so the click goes a little in.)
    ASSERT_TRUE(d.DoubleClickTextAt(202, 2));
    EXPECT_EQ(CurrentPendingSlide().mode, 5);
    ShowSlidesCommand();
    const std::string region = platform::cad::ShownSlide();
    const std::size_t at = region.find(" REGION 1\n");
    ASSERT_NE(at, std::string::npos) << region;
    const std::string sides = region.substr(at, region.find("\nE ", at) - at);
    EXPECT_EQ(std::count(sides.begin(), sides.end(), '\n'), 8) << sides;
    EXPECT_NE(region.find(" HATCH 1\n"), std::string::npos) << region;
    EXPECT_EQ(region.find("LWPOLYLINE"), std::string::npos) << region;
    ASSERT_TRUE(GetViewWindow(low, high));
    EXPECT_NEAR((low.x + high.x) / 2, 25, 1e-6);
    EXPECT_EQ(EntityCount(), 2);
    EXPECT_EQ(GetFileAttributesA((std::string(temp) + "Kelvo_Reg.SLD").c_str()), INVALID_FILE_ATTRIBUTES);

    // A first ring without area gives no region: nothing new is shown and nothing is left.
    BrowserItems()[g].AddRegionLink({{{40, 40}, {50, 50}}, {{24, 24}, {26, 24}, {26, 26}}});
    ASSERT_TRUE(d.DoubleClickTextAt(202, 0));
    ShowSlidesCommand();
    EXPECT_EQ(platform::cad::ShownSlide(), region);
    EXPECT_EQ(EntityCount(), 2);
}

}  // namespace
