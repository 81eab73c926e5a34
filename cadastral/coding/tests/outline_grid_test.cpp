#include "cadastral/outline_grid.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "coding_scene.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/polygon_selection.h"
#include "drawingutil/view_window.h"
#include "cadastral/window_outlines.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/selection.h"

namespace {

using namespace cadastral;

class OutlineGridTest : public CodingSceneTest {
protected:
    // The closed polylines the host's crossing selection takes, in its order.
    static std::vector<AcDbObjectId> HostOutlines(const AcGePoint2d& low, const AcGePoint2d& high) {
        std::vector<AcDbObjectId> outlines;
        ads_point a = {low.x, low.y, 0}, b = {high.x, high.y, 0};
        ads_name set{};
        if (acedSSGet("C", a, b, nullptr, set) != RTNORM)
            return outlines;
        Adesk::Int32 n = 0;
        acedSSLength(set, &n);
        for (Adesk::Int32 i = 0; i < n; ++i) {
            ads_name member{};
            acedSSName(set, i, member);
            drawingutil::Opened<AcDbEntity> entity(member, AcDb::kForRead);
            AcDbPolyline* lw = AsPolyline(entity.get());
            AcDb2dPolyline* poly = As2dPolyline(entity.get());
            if ((lw != nullptr && lw->isClosed()) || (poly != nullptr && poly->isClosed()))
                outlines.push_back(entity->objectId());
        }
        acedSSFree(set);
        return outlines;
    }
    // The grid's answer for a window of half side h around the point, checked against the host's
    // whenever the grid gives one.
    static bool Answers(const OutlineGrid& grid, double x, double y, double h = 0.25,
                        AcDbObjectId passed = AcDbObjectId()) {
        AcGePoint3d viewLow, viewHigh;
        EXPECT_TRUE(GetViewWindow(viewLow, viewHigh));
        const AcGePoint2d low(x - h, y - h), high(x + h, y + h);
        std::vector<AcDbObjectId> selected;
        if (!grid.Crossing(low, high, AcGePoint2d(viewLow.x, viewLow.y), AcGePoint2d(viewHigh.x, viewHigh.y), passed,
                           selected))
            return false;
        std::vector<AcDbObjectId> host = HostOutlines(low, high);
        std::erase(host, passed);
        EXPECT_EQ(selected, host) << "window at " << x << "," << y;
        return true;
    }
};

TEST_F(OutlineGridTest, SideTouchesAreCalledOnlyClearOfTheWindowEdges) {
    const AcGePoint2d low(0, 0), high(1, 1);
    EXPECT_EQ(TouchOfSide({-1, 0.5}, {2, 0.5}, 0, low, high, 1e-6), SideTouch::Enters);
    EXPECT_EQ(TouchOfSide({-1, 1.001}, {2, 1.001}, 0, low, high, 1e-6), SideTouch::Apart);
    EXPECT_EQ(TouchOfSide({-1, 1}, {2, 1}, 0, low, high, 1e-6), SideTouch::Unsure) << "along an edge";
    EXPECT_EQ(TouchOfSide({1.5, 0.5}, {2.5, -1}, 0, low, high, 1e-6), SideTouch::Apart);
    EXPECT_EQ(TouchOfSide({1.0000001, 1.0000001}, {3, 3}, 0, low, high, 1e-6), SideTouch::Unsure) << "at a corner";
    // Arcs under the window's lower edge: bulging up into it (clockwise from west to east), or
    // down away from it.
    EXPECT_EQ(TouchOfSide({0, -0.2}, {1, -0.2}, -1, low, high, 1e-6), SideTouch::Enters);
    EXPECT_EQ(TouchOfSide({0, -0.2}, {1, -0.2}, 1, low, high, 1e-6), SideTouch::Unsure);
    EXPECT_EQ(TouchOfSide({0, -0.2}, {1, -0.2}, 0.2, low, high, 1e-6), SideTouch::Apart);
}

TEST_F(OutlineGridTest, AnswersAsTheHostsCrossingSelectionOrLeavesItToTheHost) {
    AcDbObjectId west = Parcel({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    AcDbObjectId east = Parcel({{10, 0}, {20, 0}, {20, 10}, {10, 10}}, true);
    // Drawn after them but over both: an outline's place in the answer is its place in the drawing.
    AcDbObjectId over = Parcel({{8, 4}, {12, 4}, {12, 5.1}, {8, 5.1}}, true);
    // North of them, lightweight, its south side an arc bulging 1 below its chord.
    auto* arc = new AcDbPolyline;
    for (auto [i, p] : std::vector<std::pair<unsigned, AcGePoint2d>>{{0, {0, 11.5}}, {1, {20, 11.5}}, {2, {20, 20}},
                                                                      {3, {0, 20}}})
        arc->addVertexAt(i, p, i == 0 ? 0.1 : 0.0);
    arc->setClosed(true);
    AcDbObjectId bulging = Add(arc, "JZD", "300000");
    // Neither taken: an open outline, a frozen one, an invisible one; and a fitted one read by
    // its box only.
    auto* open = new AcDbPolyline;
    open->addVertexAt(0, AcGePoint2d(2, 3));
    open->addVertexAt(1, AcGePoint2d(2, 7));
    Add(open, "JZD", "300000");
    AcDbObjectId frozen = Parcel({{30, 0}, {40, 0}, {40, 10}, {30, 10}});
    {
        drawingutil::Opened<AcDbEntity> entity(frozen, AcDb::kForWrite);
        ASSERT_EQ(EnsureLayer(entity.get(), "FROZEN"), Acad::eOk);
        drawingutil::Opened<AcDbLayerTableRecord> layer(entity->layerId(), AcDb::kForWrite);
        layer->setIsFrozen(true);
    }
    AcDbObjectId invisible = Parcel({{30, 20}, {40, 20}, {40, 30}, {30, 30}});
    drawingutil::Opened<AcDbEntity>(invisible, AcDb::kForWrite)->setVisibility(AcDb::kInvisible);
    AcDbObjectId fitted = Parcel({{50, 0}, {60, 0}, {60, 10}, {50, 10}});
    ASSERT_EQ(drawingutil::Opened<AcDb2dPolyline>(fitted, AcDb::kForWrite)->curveFit(), Acad::eOk);
    LinePoint(2, 5);
    acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);

    OutlineGrid grid(16);
    // Clear of every edge: the grid answers, as the host does.
    EXPECT_TRUE(Answers(grid, 10, 2)) << "the shared side";
    EXPECT_TRUE(Answers(grid, 10, 5)) << "three outlines";
    EXPECT_TRUE(Answers(grid, 10, 2, 0.25, west)) << "the parcel asking is passed over";
    EXPECT_TRUE(Answers(grid, 5, 5)) << "inside a parcel, away from its sides";
    EXPECT_TRUE(Answers(grid, 2, 5)) << "an open outline and a point";
    EXPECT_TRUE(Answers(grid, 10, 10.6)) << "the arc's middle in the window";
    EXPECT_TRUE(Answers(grid, 5, 10.5)) << "the arc enters away from its middle";
    EXPECT_TRUE(Answers(grid, 2, 10.6)) << "the arc's box but not the arc";
    std::vector<AcDbObjectId> selected;
    AcGePoint3d viewLow, viewHigh;
    ASSERT_TRUE(GetViewWindow(viewLow, viewHigh));
    const AcGePoint2d vl(viewLow.x, viewLow.y), vh(viewHigh.x, viewHigh.y);
    ASSERT_TRUE(grid.Crossing({9.75, 4.75}, {10.25, 5.25}, vl, vh, AcDbObjectId(), selected));
    EXPECT_EQ(selected, (std::vector<AcDbObjectId>{west, east, over}));
    ASSERT_TRUE(grid.Crossing({4.75, 10.25}, {5.25, 10.75}, vl, vh, AcDbObjectId(), selected));
    EXPECT_EQ(selected, (std::vector<AcDbObjectId>{bulging}));

    // On an edge, at the view's edge, near a hidden or fitted outline: the host decides.
    EXPECT_FALSE(Answers(grid, 10.25, 2)) << "a side along the window's edge";
    EXPECT_FALSE(Answers(grid, 0, 0)) << "the window passes the view's edge";
    EXPECT_FALSE(Answers(grid, 30, 5)) << "frozen";
    EXPECT_FALSE(Answers(grid, 30, 25)) << "invisible";
    EXPECT_FALSE(Answers(grid, 55, 5)) << "fitted, known by its box";
    EXPECT_FALSE(Answers(grid, 10, 10.75)) << "the arc touches the window's edge";
}

// The houses' answer to a window-polygon selection, checked against the host's whenever given.
TEST_F(OutlineGridTest, HousesAnswerAsTheHostsWindowPolygonOrLeaveItToTheHost) {
    std::vector<AcDbObjectId> houses;
    auto house = [&](std::initializer_list<AcGePoint2d> points, bool lightweight = false) {
        houses.push_back(Parcel(points, lightweight));
        return houses.back();
    };
    // Drawn east to west: the host's selection gives the drawing's order.
    AcDbObjectId east = house({{7, 1}, {9, 1}, {9, 3}, {7, 3}}, true);
    AcDbObjectId west = house({{1, 1}, {3, 1}, {3, 3}, {1, 3}});
    AcDbObjectId onLine = house({{8, 5}, {10, 5}, {10, 7}, {8, 7}});  // on the parcel's east side
    AcDbObjectId across = house({{2, 8}, {8, 8}, {8, 9}, {2, 9}});    // over the notch of the U below
    Parcel({{20, 0}, {30, 0}, {30, 10}, {20, 10}});                   // not a house
    AcDbObjectId hidden = house({{41, 1}, {43, 1}, {43, 3}, {41, 3}});
    drawingutil::Opened<AcDbEntity>(hidden, AcDb::kForWrite)->setVisibility(AcDb::kInvisible);
    auto* arc = new AcDbPolyline;
    for (unsigned i = 0; i < 3; ++i)
        arc->addVertexAt(i, std::vector<AcGePoint2d>{{51, 1}, {53, 1}, {53, 3}}[i], i == 0 ? 0.5 : 0.0);
    arc->setClosed(true);
    houses.push_back(Add(arc, "JZD", "300000"));
    Parcel({{-5, -5}, {70, -5}, {70, 20}, {-5, 20}});  // widens the drawing
    acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    std::sort(houses.begin(), houses.end());

    WindowOutlines outlines(4, [&houses](const ads_name entity) {
        AcDbObjectId id;
        return acdbGetObjectId(id, entity) == Acad::eOk &&
               std::binary_search(houses.begin(), houses.end(), id);
    });
    EXPECT_EQ(outlines.Count(), 5u) << "the hidden one is never taken";
    const PolygonAnswer answer = [&outlines](const AcGePoint2dArray& polygon, const AcGePoint2d& viewLow,
                                             const AcGePoint2d& viewHigh,
                                             std::vector<AcDbObjectId>& selected) {
        return outlines.WindowPolygon(polygon, viewLow, viewHigh, selected);
    };
    // Whether the houses answer for the ring moved out by the offset, and when they do, that the host
    // takes the same houses.
    auto answers = [&](const AcGePoint2dArray& ring, double offset) {
        std::vector<AcDbObjectId> selected, host;
        bool answered = false;
        const PolygonAnswer asked = [&](const AcGePoint2dArray& polygon, const AcGePoint2d& viewLow,
                                        const AcGePoint2d& viewHigh, std::vector<AcDbObjectId>& taken) {
            answered = answer(polygon, viewLow, viewHigh, taken);
            return answered;
        };
        SelectByPolygon(ring, "WP", offset, 1, asked, selected);
        if (answered) {
            SelectByPolygon(ring, "WP", offset, 1, nullptr, host);
            std::erase_if(
                host, [&](AcDbObjectId id) { return !std::binary_search(houses.begin(), houses.end(), id); });
            EXPECT_EQ(selected, host);
        }
        return answered ? static_cast<int>(selected.size()) : -1;
    };
    const AcGePoint2dArray parcel = List({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_EQ(answers(List({{6, 0}, {10, 0}, {10, 4}, {6, 4}}), -0.1), 1) << "one house, the others apart";
    EXPECT_EQ(answers(List({{20, 0}, {30, 0}, {30, 10}, {20, 10}}), -0.1), 0) << "no house near";
    EXPECT_EQ(answers(List({{40, 0}, {44, 0}, {44, 4}, {40, 4}}), 0), 0) << "hidden";
    EXPECT_EQ(answers(List({{50, -1}, {56, -1}, {56, 4}, {50, 4}}), 0), 1) << "an arc, inside by its box";

    // Two or more taken, a house across a side or on it, a polygon beyond the view: the host decides.
    EXPECT_EQ(answers(parcel, -0.1), -1) << "four houses, in the host's order";
    std::vector<AcDbObjectId> selected;
    ASSERT_TRUE(SelectByPolygon(parcel, "WP", -0.1, 1, answer, selected));
    EXPECT_EQ(selected, (std::vector<AcDbObjectId>{east, west, onLine, across}));
    EXPECT_EQ(answers(List({{2, 0}, {6, 0}, {6, 4}, {2, 4}}), 0), -1) << "a house across the window's side";
    EXPECT_EQ(answers(List({{5, 4}, {12, 4}, {12, 8}, {5, 8}}), 0), -1) << "a house on the window's side";
    EXPECT_EQ(answers(List({{1, 1}, {3, 1}, {3, 3}, {1, 3}}), 0), -1) << "the house's own outline";
    EXPECT_FALSE(outlines.WindowPolygon(List({{6, 0}, {10, 0}, {10, 4}, {6, 4}}), AcGePoint2d(8, -10),
                                        AcGePoint2d(100, 100), selected))
        << "the view cuts the polygon";
}

}  // namespace
