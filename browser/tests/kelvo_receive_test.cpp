#include "browser/kelvo_receive.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "browser/item_list.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_line.h"
#include "platform/cad/selection.h"

namespace {

// Applies a list built from (type, value) pairs and frees it.
template <typename... Args>
int Receive(Args... args)
{
    resbuf* list = acutBuildList(args..., RTNONE);
    EXPECT_NE(list, nullptr);
    int rc = ReceiveItemList(list);
    acutRelRb(list);
    return rc;
}

std::vector<std::string> Titles()
{
    std::vector<std::string> titles;
    for (const CInfoItem& item : BrowserItems())
        titles.push_back(item.Title());
    return titles;
}

std::string Repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

class KelvoReceive : public ::testing::Test {
protected:
    void SetUp() override { BrowserItems().clear(); }
    void TearDown() override { BrowserItems().clear(); }
};

TEST_F(KelvoReceive, TextEntriesTitlesAndLimits)
{
    EXPECT_EQ(Receive(RTSHORT, 0, RTSTR, "A", RTSTR, "x"), RTNORM);
    EXPECT_EQ(Receive(RTSHORT, 0, RTSTR, "B", RTSTR, "100%s %d"), RTNORM);
    EXPECT_EQ(Receive(RTSHORT, 0, RTSTR, "A", RTSTR, "y"), RTNORM);
    EXPECT_EQ(Receive(RTSHORT, 0, RTSTR, "", RTSTR, "z"), RTNORM);
    ASSERT_EQ(Titles(), (std::vector<std::string>{"A", "B", "信息"}));
    EXPECT_EQ(BrowserItems()[0].Text(), "x\r\ny");
    EXPECT_EQ(BrowserItems()[1].Text(), "100%s %d");

    // Emptying needs a title that an item has; the emptied item keeps its place.
    EXPECT_EQ(Receive(RTSHORT, -1, RTSTR, ""), RTNORM);
    EXPECT_EQ(Receive(RTSHORT, -1, RTSTR, "nope"), RTNORM);
    EXPECT_EQ(BrowserItems()[2].Text(), "z");
    EXPECT_EQ(Receive(RTSHORT, -1, RTSTR, "A"), RTNORM);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"A", "B", "信息"}));
    EXPECT_EQ(BrowserItems()[0].Text(), "");
    EXPECT_EQ(BrowserItems()[0].EntryCount(), 0u);

    // Unknown codes are accepted and change nothing.
    std::vector<CInfoItem> before = BrowserItems();
    EXPECT_EQ(Receive(RTSHORT, 7, RTSTR, "A", RTSTR, "w"), RTNORM);
    EXPECT_EQ(Receive(RTSHORT, -3), RTNORM);
    EXPECT_EQ(BrowserItems(), before);

    // Over-long titles and texts are cut on a character boundary at 499 and 4999 bytes.
    std::string title = "a" + Repeat("中", 300);
    std::string text = Repeat("中", 2600);
    EXPECT_EQ(Receive(RTSHORT, 0, RTSTR, title.c_str(), RTSTR, text.c_str()), RTNORM);
    EXPECT_EQ(BrowserItems().back().Title(), "a" + Repeat("中", 249));
    EXPECT_EQ(BrowserItems().back().Text(), Repeat("中", 2499));
    // The cut title finds the item again.
    EXPECT_EQ(Receive(RTSHORT, 0, RTSTR, title.c_str(), RTSTR, "b"), RTNORM);
    EXPECT_EQ(BrowserItems().size(), 4u);
    EXPECT_EQ(BrowserItems().back().EntryCount(), 2u);
}

TEST_F(KelvoReceive, GeometryLinksAndRemoval)
{
    ads_point p1 = {1, 2, 0}, p2 = {3, 4, 0}, p3 = {5, 6, 7}, p4 = {8, 9, 0}, p5 = {10, 11, 0}, p6 = {12, 13, 0};
    EXPECT_EQ(Receive(RTSHORT, 2, RTSTR, "G", RTSTR, "line", RTPOINT, p1, RT3DPOINT, p2), RTNORM);
    EXPECT_EQ(Receive(RTSHORT, 3, RTSTR, "G", RTSTR, "point", RT3DPOINT, p3), RTNORM);
    EXPECT_EQ(Receive(RTSHORT, 4, RTSTR, "G", RTSTR, "poly", RTPOINT, p1, RTPOINT, p2, RT3DPOINT, p3), RTNORM);
    EXPECT_EQ(Receive(RTSHORT, 4, RTSTR, "G", RTSTR, "no points"), RTNORM);
    EXPECT_EQ(Receive(RTSHORT, 5, RTSTR, "G", RTSTR, "region", RTPOINT, p1, RTPOINT, p2, RTPOINT, p3, RTSHORT, 9,
                      RTPOINT, p4, RTPOINT, p5, RTSHORT, 0, RTSHORT, 0, RTPOINT, p6),
              RTNORM);
    ASSERT_EQ(BrowserItems().size(), 1u);
    const CInfoItem& item = BrowserItems()[0];
    EXPECT_EQ(item.Kinds(), (std::vector<std::int32_t>{2, 3, 4, 4, 5}));
    EXPECT_EQ(item.LineStarts()[0], (InfoPoint{1, 2}));
    EXPECT_EQ(item.LineEnds()[0], (InfoPoint{3, 4}));
    EXPECT_EQ(item.Points()[1], (InfoPoint{5, 6}));
    EXPECT_EQ(item.Polylines()[2], (InfoPointList{{1, 2}, {3, 4}, {5, 6}}));
    EXPECT_TRUE(item.Polylines()[3].empty());
    EXPECT_EQ(item.Regions()[4], (std::vector<InfoPointList>{{{1, 2}, {3, 4}, {5, 6}}, {{8, 9}, {10, 11}}, {}}));

    // Removing item 0 of several leaves the others in order.
    EXPECT_EQ(Receive(RTSHORT, 0, RTSTR, "H", RTSTR, "h"), RTNORM);
    EXPECT_EQ(Receive(RTSHORT, 0, RTSTR, "I", RTSTR, "i"), RTNORM);
    EXPECT_EQ(Receive(RTSHORT, -2, RTSTR, "G"), RTNORM);
    EXPECT_EQ(Receive(RTSHORT, -2, RTSTR, "G"), RTNORM);
    EXPECT_EQ(Receive(RTSHORT, -2, RTSTR, ""), RTNORM);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"H", "I"}));
}

TEST_F(KelvoReceive, ShortOrMistypedListsAreRefusedAndChangeNothing)
{
    ASSERT_EQ(Receive(RTSHORT, 0, RTSTR, "A", RTSTR, "x"), RTNORM);
    const std::vector<CInfoItem> before = BrowserItems();
    ads_point p = {1, 2, 3};
    ads_name entity = {1, 2};
    EXPECT_EQ(ReceiveItemList(nullptr), RTERROR);
    EXPECT_EQ(Receive(RTLONG, 0L, RTSTR, "A", RTSTR, "x"), RTERROR);
    EXPECT_EQ(Receive(RTSTR, "A", RTSTR, "x"), RTERROR);
    EXPECT_EQ(Receive(RTSHORT, -1), RTERROR);
    EXPECT_EQ(Receive(RTSHORT, -2, RTSHORT, 1), RTERROR);
    EXPECT_EQ(Receive(RTSHORT, 0, RTREAL, 1.0, RTSTR, "x"), RTERROR);
    EXPECT_EQ(Receive(RTSHORT, 0, RTSTR, "A"), RTERROR);
    EXPECT_EQ(Receive(RTSHORT, 0, RTSTR, "A", RTSHORT, 5), RTERROR);
    EXPECT_EQ(Receive(RTSHORT, 1, RTSTR, "A", RTSTR, "x"), RTERROR);
    EXPECT_EQ(Receive(RTSHORT, 1, RTSTR, "A", RTSTR, "x", RTENAME, entity), RTERROR);
    EXPECT_EQ(Receive(RTSHORT, 2, RTSTR, "A", RTSTR, "x", RTPOINT, p), RTERROR);
    EXPECT_EQ(Receive(RTSHORT, 2, RTSTR, "A", RTSTR, "x", RTPOINT, p, RTREAL, 1.0), RTERROR);
    EXPECT_EQ(Receive(RTSHORT, 3, RTSTR, "A", RTSTR, "x"), RTERROR);
    EXPECT_EQ(Receive(RTSHORT, 3, RTSTR, "A", RTSTR, "x", RTSTR, "1,2"), RTERROR);
    EXPECT_EQ(Receive(RTSHORT, 4, RTSTR, "A", RTSTR, "x", RTPOINT, p, RTSTR, "y"), RTERROR);
    EXPECT_EQ(Receive(RTSHORT, 5, RTSTR, "A", RTSTR, "x", RTPOINT, p, RTSHORT, 0, RTLONG, 3L), RTERROR);
    EXPECT_EQ(BrowserItems(), before);
}

// The handles of a code-1 set, read from the entities' definitions.
TEST_F(KelvoReceive, SelectionBecomesHandles)
{
    auto db = std::make_unique<AcDbDatabase>();
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    std::vector<std::string> handles;
    ads_name set;
    ASSERT_EQ(acedSSAdd(nullptr, nullptr, set), RTNORM);
    for (int i = 0; i < 2; ++i) {
        AcDbBlockTableRecord* ms = nullptr;
        ASSERT_EQ(acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        AcDbObjectId id;
        auto* line = new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 1, 0));
        ASSERT_EQ(ms->appendAcDbEntity(id, line), Acad::eOk);
        line->close();
        ms->close();
        ads_name name;
        ASSERT_EQ(acdbGetAdsName(name, id), Acad::eOk);
        ASSERT_EQ(acedSSAdd(name, set, set), RTNORM);
        handles.push_back(id.handle().text());
    }
    ads_name empty;
    ASSERT_EQ(acedSSAdd(nullptr, nullptr, empty), RTNORM);
    EXPECT_EQ(Receive(RTSHORT, 1, RTSTR, "S", RTSTR, "two", RTPICKS, set), RTNORM);
    EXPECT_EQ(Receive(RTSHORT, 1, RTSTR, "S", RTSTR, "none", RTPICKS, empty), RTNORM);
    acedSSFree(set);
    acedSSFree(empty);
    ASSERT_EQ(BrowserItems().size(), 1u);
    EXPECT_EQ(BrowserItems()[0].Kinds(), (std::vector<std::int32_t>{1, 1}));
    EXPECT_EQ(BrowserItems()[0].HandleLists(), (std::vector<std::vector<std::string>>{handles, {}}));
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

}  // namespace
