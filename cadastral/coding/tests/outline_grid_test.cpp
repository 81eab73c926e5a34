#include "cadastral/outline_grid.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "cadastral/boundary_line_coding.h"
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

TEST_F(OutlineGridTest, AnswersOnlyWhatTheBoxesMakePlainAndLeavesTheRestToTheHost) {
    AcDbObjectId west = Parcel({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    AcDbObjectId east = Parcel({{10, 0}, {20, 0}, {20, 10}, {10, 10}}, true);
    // Drawn after them but over both.
    Parcel({{8, 4}, {12, 4}, {12, 5.1}, {8, 5.1}}, true);
    // Small outlines, one alone and two side by side, and an open one, none of them parcels.
    AcDbObjectId alone = Parcel({{24.9, 2.9}, {25.1, 2.9}, {25.1, 3.1}, {24.9, 3.1}});
    Parcel({{24.8, 6.9}, {24.95, 6.9}, {24.95, 7.1}, {24.8, 7.1}}, true);
    Parcel({{25.05, 6.9}, {25.2, 6.9}, {25.2, 7.1}, {25.05, 7.1}});
    auto* open = new AcDbPolyline;
    open->addVertexAt(0, AcGePoint2d(25, 9));
    open->addVertexAt(1, AcGePoint2d(25.1, 9));
    Add(open, "JZD", "300000");
    AcDbObjectId frozen = Parcel({{30, 0}, {40, 0}, {40, 10}, {30, 10}});
    {
        drawingutil::Opened<AcDbEntity> entity(frozen, AcDb::kForWrite);
        ASSERT_EQ(EnsureLayer(entity.get(), "FROZEN"), Acad::eOk);
        drawingutil::Opened<AcDbLayerTableRecord> layer(entity->layerId(), AcDb::kForWrite);
        layer->setIsFrozen(true);
    }
    AcDbObjectId small = Parcel({{45.9, 4.9}, {46.1, 4.9}, {46.1, 5.1}, {45.9, 5.1}});
    drawingutil::Opened<AcDbEntity>(small, AcDb::kForWrite)->setVisibility(AcDb::kInvisible);
    acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);

    OutlineGrid grid(16);
    // Nothing near, or one outline wholly inside: the grid answers, and the host agrees.
    EXPECT_TRUE(Answers(grid, 25, 5)) << "between the small outlines";
    EXPECT_TRUE(Answers(grid, 25, 9)) << "an open outline only";
    EXPECT_TRUE(Answers(grid, 25, 3)) << "one small outline";
    EXPECT_TRUE(Answers(grid, 25, 3, 0.25, alone)) << "the outline asking is passed over";
    EXPECT_TRUE(Answers(grid, 43, 5)) << "beside the frozen parcel";
    std::vector<AcDbObjectId> selected;
    AcGePoint3d viewLow, viewHigh;
    ASSERT_TRUE(GetViewWindow(viewLow, viewHigh));
    const AcGePoint2d vl(viewLow.x, viewLow.y), vh(viewHigh.x, viewHigh.y);
    ASSERT_TRUE(grid.Crossing({24.75, 2.75}, {25.25, 3.25}, vl, vh, AcDbObjectId(), selected));
    EXPECT_EQ(selected, (std::vector<AcDbObjectId>{alone}));

    // A side across the window, or an outline's box around it: only the host can tell. Two taken
    // are in the host's order, and a hidden one is the host's to judge; as is a window at the
    // view's edge.
    EXPECT_FALSE(Answers(grid, 10, 2)) << "the shared side";
    EXPECT_FALSE(Answers(grid, 10, 2, 0.25, west)) << "the neighbour's side";
    EXPECT_FALSE(Answers(grid, 5, 5)) << "inside a parcel, away from its sides";
    EXPECT_FALSE(Answers(grid, 25, 7)) << "two small outlines";
    EXPECT_FALSE(Answers(grid, 35, 5)) << "frozen";
    EXPECT_FALSE(Answers(grid, 46, 5)) << "invisible";
    EXPECT_FALSE(Answers(grid, 0, 0)) << "the window passes the view's edge";
    EXPECT_EQ(HostOutlines({24.75, 6.75}, {25.25, 7.25}).size(), 2u);

    // The first neighbour with the shared side is the first the host's selection gives, in
    // drawing order whatever the ids.
    AcDbObjectId again = Parcel({{20, 0}, {10, 0}, {10, 10}, {20, 10}});
    BoundaryPointIndex index;
    BoundaryLineCoder coder(&index);
    ParcelSegment own, neighbour;
    AcDbObjectId found;
    ASSERT_TRUE(coder.FindSharedSegment(Name(west), {10, 2}, own, neighbour, found));
    EXPECT_EQ(found, east) << "not " << (found == again ? "the one drawn later" : "none");
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
