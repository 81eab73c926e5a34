#include "cadastral/region_selection.h"

#include <gtest/gtest.h>

#include <string>

#include "cadastral/entity_selection.h"
#include "cadastral/text_strings.h"
#include "drawingutil/feature_codes.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_text.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"
#include "toolkit_fixture.h"

namespace {

class RegionSelectionTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    }

    void Add(AcDbEntity* entity, const char* code = nullptr) {
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        AcDbBlockTableRecord* space = nullptr;
        AcDbObjectId id;
        ASSERT_EQ(acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        space->appendAcDbEntity(id, entity);
        entity->close();
        space->close();
        ads_name name;
        ASSERT_EQ(acdbGetAdsName(name, id), Acad::eOk);
        if (code != nullptr) SetEntityCode(name, code);
        last_[0] = name[0];
        last_[1] = name[1];
    }

    // Small circles at (1, 1) and (2, 2), a coded circle of radius 1 at (5, 5) and a coded line
    // along y = 5.
    void AddScene() {
        Add(new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d(0, 0, 1), 0.1));
        Add(new AcDbCircle(AcGePoint3d(2, 2, 0), AcGeVector3d(0, 0, 1), 0.1));
        Add(new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d(0, 0, 1), 1), "141100");
        Add(new AcDbLine(AcGePoint3d(0, 5, 0), AcGePoint3d(10, 5, 0)), "300000");
    }

    // The number of members, freeing the set; -1 when the selection failed.
    static int Count(bool selected, ads_name set) {
        if (!selected) return -1;
        Adesk::Int32 length = 0;
        acedSSLength(set, &length);
        acedSSFree(set);
        return static_cast<int>(length);
    }

    ads_name last_ = {0, 0};
};

TEST_F(RegionSelectionTest, WindowsPolygonsFencesAndCodes) {
    AddScene();
    ads_name set;
    const AcGePoint3d low(0, 0, 0), high(6, 6, 0);
    EXPECT_EQ(Count(cadastral::SelectByMode(set, "W", low, high, nullptr, "", true), set), 3);
    EXPECT_EQ(Count(cadastral::SelectByMode(set, "c", low, high, nullptr, "", false), set), 4);
    EXPECT_EQ(Count(cadastral::SelectByMode(set, "c", low, high, nullptr, "14*", false), set), 1);
    EXPECT_EQ(Count(cadastral::SelectByMode(set, "wp", low, high, nullptr, "", false), set), -1);

    AcGePoint2dArray square;
    for (auto [x, y] : {std::pair{0.0, 0.0}, {4.0, 0.0}, {4.0, 4.0}, {0.0, 4.0}}) square.append(AcGePoint2d(x, y));
    EXPECT_EQ(Count(cadastral::SelectInPolygonByFilter(set, "CP", square, 0, "circle,", "", true), set), 2);
    // Moved 1.5 inwards only the circle at (2, 2) is left; 1.5 outwards the big circle crosses.
    EXPECT_EQ(Count(cadastral::SelectInPolygonByFilter(set, "cp", square, 1.5, "circle,", "", false), set), 1);
    EXPECT_EQ(Count(cadastral::SelectInPolygonByFilter(set, "wp", square, -1.5, "circle,", "", false), set), 2);
    EXPECT_EQ(Count(cadastral::SelectInPolygonByFilter(set, "cp", square, -1.5, "circle,", "", false), set), 3);

    AcGePoint2dArray two;
    two.append(AcGePoint2d(3, 4));
    two.append(AcGePoint2d(3, 6));
    platform::cad::ClearCommandLine();
    EXPECT_EQ(Count(cadastral::SelectInPolygonByFilter(set, "wp", two, 0, "", "", false), set), -1);
    EXPECT_NE(platform::cad::CommandLineText().find("节点太少,不能构成面"), std::string::npos);
    EXPECT_EQ(Count(cadastral::SelectInPolygonByFilter(set, "F", two, 0, "", "", false), set), 1);
    EXPECT_EQ(Count(cadastral::SelectInPolygonByFilter(set, "F", two, 0, "", "14*", false), set), 0);
    EXPECT_EQ(Count(cadastral::SelectInPolygonByFilter(set, "x", square, 0, "", "", false), set), -1);
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);
}

// The whole drawing by filter and one exact code: no pattern, no prefix, blanks around it ignored.
TEST_F(RegionSelectionTest, WholeDrawingByFilterAndExactCode) {
    AddScene();
    Add(new AcDbCircle(AcGePoint3d(8, 8, 0), AcGeVector3d(0, 0, 1), 1), "1411000");
    Add(new AcDbCircle(AcGePoint3d(9, 9, 0), AcGeVector3d(0, 0, 1), 1), "141100");
    ads_name set;
    EXPECT_EQ(Count(cadastral::SelectByFilterAndCode(set, "circle,", ""), set), 5);
    EXPECT_EQ(Count(cadastral::SelectByFilterAndCode(set, "circle,", "141100"), set), 2);
    EXPECT_EQ(Count(cadastral::SelectByFilterAndCode(set, "circle,", " 141100 "), set), 2);
    EXPECT_EQ(Count(cadastral::SelectByFilterAndCode(set, "circle,", "14110"), set), 0);
    EXPECT_EQ(Count(cadastral::SelectByFilterAndCode(set, "circle,", "14*"), set), 0);
    EXPECT_EQ(Count(cadastral::SelectByFilterAndCode(set, "line,", "141100"), set), 0);
    EXPECT_EQ(Count(cadastral::SelectByFilterAndCode(set, "", "300000"), set), 1);
    EXPECT_EQ(Count(cadastral::SelectByFilterAndCode(set, "text,", "300000"), set), -1);
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);
}

TEST_F(RegionSelectionTest, EmptyTextsAreErasedAndCounted) {
    EXPECT_EQ(cadastral::DeleteEmptyTexts(), -1);
    Add(new AcDbText(AcGePoint3d(1, 1, 0), "  "));
    Add(new AcDbText(AcGePoint3d(3, 1, 0), ""));
    Add(new AcDbText(AcGePoint3d(5, 1, 0), "JZD1"));
    ads_name kept = {last_[0], last_[1]};
    Add(new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d(0, 0, 1), 1));
    std::string text = "stale";
    EXPECT_FALSE(cadastral::GetEntityTextString(last_, text));
    EXPECT_EQ(text, "");

    platform::cad::ClearCommandLine();
    EXPECT_EQ(cadastral::DeleteEmptyTexts(), 2);
    EXPECT_NE(platform::cad::CommandLineText().find("共删除空文字 2 个"), std::string::npos);
    EXPECT_FALSE(platform::cad::ProgressMeter().shown);
    ASSERT_TRUE(cadastral::GetEntityTextString(kept, text));
    EXPECT_EQ(text, "JZD1");
    EXPECT_EQ(cadastral::DeleteEmptyTexts(), 0);
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);
}

}  // namespace
