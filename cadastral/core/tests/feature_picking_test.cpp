#include "cadastral/feature_picking.h"

#include <gtest/gtest.h>

#include "drawingutil/groups.h"
#include "drawingutil/host_objects.h"
#include "parcel_scene.h"
#include "platform/cad/db_group.h"
#include "platform/ui/answer_source.h"

namespace {

using namespace cadastral;

class FeaturePickingTest : public ParcelSceneTest {
protected:
    void Pick(AcDbObjectId id) {
        answers->Push(platform::ui::PromptAnswer(std::string(id.handle().text()) + " 0,0"));
    }
    static void Group(AcDbObjectId first, AcDbObjectId second) {
        AcDbObjectId group;
        ASSERT_TRUE(CreateEntityGroup(Name(first), group));
        drawingutil::Opened<AcDbGroup> opened(group, AcDb::kForWrite);
        ASSERT_TRUE(opened);
        ASSERT_EQ(opened->append(second), Acad::eOk);
    }
};

TEST_F(FeaturePickingTest, PicksThroughTheGroupAndAlertsOnlyForAGroupWithoutOne) {
    auto* line = new AcDbPolyline;
    line->addVertexAt(0, AcGePoint2d(0, 0));
    line->addVertexAt(1, AcGePoint2d(5, 0));
    line->addVertexAt(2, AcGePoint2d(5, 5));
    AcDbObjectId open = Add(line, "JZD", "300000");
    AcDbObjectId parcel = Parcel({{0, 0}, {5, 0}, {5, 5}});
    Group(open, parcel);
    EntityName picked;
    Pick(open);
    ASSERT_TRUE(PickEntityByCodePrefix("宗地", "3000", picked));
    AcDbObjectId id;
    ASSERT_TRUE(drawingutil::IdOfName(picked, id));
    EXPECT_EQ(id, parcel);
    EXPECT_TRUE(Logged("选择宗地:"));

    // Picked directly.
    Pick(parcel);
    ASSERT_TRUE(PickEntityByCodePrefix("宗地", "300000", picked));

    // No group: false without a word; a group without a fitting member: the alert.
    AcDbObjectId house = Parcel({{1, 1}, {2, 1}, {2, 2}}, false, "141100");
    platform::ui::ClearTranscript();
    Pick(house);
    EXPECT_FALSE(PickEntityByCodePrefix("宗地", "3000", picked));
    EXPECT_FALSE(Logged("没有选中"));
    AcDbObjectId other = Parcel({{3, 1}, {4, 1}, {4, 2}}, false, "141100");
    Group(house, other);
    Pick(house);
    EXPECT_FALSE(PickEntityByCodePrefix("宗地", "3000", picked));
    EXPECT_TRUE(Logged("没有选中宗地"));
    // A cancelled pick: false, nothing shown.
    platform::ui::ClearTranscript();
    EXPECT_FALSE(PickEntityByCodePrefix("宗地", "3000", picked));
    EXPECT_FALSE(Logged("没有选中"));

    // The parcel code is QHDM followed by the parcel number, each empty when missing.
    std::string code = "old";
    ASSERT_TRUE(BuildDistrictCode(Name(parcel), code));
    EXPECT_EQ(code, "");
    WriteEntityXData(parcel, "MIRET", "0010020003000", kXDataString, -1, false, false, false);
    SetXData(Name(parcel), "QHDM", kXDataString, "330102");
    ASSERT_TRUE(BuildDistrictCode(Name(parcel), code));
    EXPECT_EQ(code, "3301020010020003000");
    AcGePoint2d centre;
    EXPECT_TRUE(GetBoundaryPointCenter(Name(BoundaryPoint(7, 8)), centre));
    EXPECT_EQ(centre, AcGePoint2d(7, 8));
    EXPECT_FALSE(GetBoundaryPointCenter(Name(parcel), centre));
}

TEST(PointListTests, StartVertexEqualityAndRings) {
    auto list = [](std::initializer_list<AcGePoint2d> points) {
        AcGePoint2dArray out;
        for (const AcGePoint2d& p : points) out.append(p);
        return out;
    };
    EXPECT_EQ(FindOrderStartVertex(list({{0, 0}, {0, 10}, {10, 10}, {10, 0}})), 1);
    EXPECT_EQ(FindOrderStartVertex(list({{5, 5}, {0, 0}, {10, 10}})), 0);  // equal values: the first
    EXPECT_EQ(FindOrderStartVertex(AcGePoint2dArray()), 0);

    AcGePoint2dArray a = list({{0, 0}, {1, 0}, {2, 0}, {3, 0}});
    EXPECT_TRUE(ArePointListsEqual(a, list({{3, 0}, {2, 0}, {1, 0}, {0, 0}})));
    // Partly forwards, partly backwards.
    EXPECT_TRUE(ArePointListsEqual(a, list({{0, 0}, {2, 0}, {1, 0}, {3, 0}})));
    EXPECT_FALSE(ArePointListsEqual(a, list({{0, 0}, {1, 0}, {2, 0}, {3, 0.001}})));
    EXPECT_FALSE(ArePointListsEqual(a, list({{0, 0}, {1, 0}, {2, 0}})));
    EXPECT_TRUE(ArePointListsEqual(AcGePoint2dArray(), AcGePoint2dArray()));
    EXPECT_EQ(FindPointIndex(a, AcGePoint2d(2, 0.0000005)), 2);
    EXPECT_EQ(FindPointIndex(a, AcGePoint2d(2, 0.00001)), -1);
    EXPECT_TRUE(IsPointInList(a, AcGePoint2d(3, 0)));
    AcDbObjectIdArray ids;
    EXPECT_FALSE(IsIdInArray(ids, AcDbObjectId()));

    std::vector<AcGePoint2dArray> rings = {list({{0, 0}, {10, 0}, {10, 10}, {0, 10}})};
    EXPECT_TRUE(IsPointInsideAnyRing(list({{1, 1}, {5, 5}}), rings));
    EXPECT_FALSE(IsPointInsideAnyRing(list({{1, 1}, {5, 5}, {6, 6}}), rings));
    EXPECT_TRUE(IsPointInsideAnyRing(list({{20, 20}, {30, 30}, {5, 5}, {40, 40}}), rings));
    EXPECT_FALSE(IsPointInsideAnyRing(list({{20, 20}, {30, 30}, {10, 5}, {40, 40}}), rings));  // on the edge
}

}  // namespace
