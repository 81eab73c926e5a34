#include "cadastral/parcel_boundary.h"

#include <cmath>

#include <gtest/gtest.h>

#include "drawingutil/host_objects.h"
#include "parcel_scene.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/selection.h"
#include "platform/cad/system_variables.h"

namespace {

using namespace cadastral;

class ParcelBoundaryTest : public ParcelSceneTest {
protected:
    // Counter-clockwise from a plain vertex: boundary points on three corners, a plain vertex on
    // the north side and a point of the second class on the west side.
    AcDbObjectId MixedParcel() {
        AcDbObjectId id = Parcel({{0, 0}, {10, 0}, {10, 10}, {5, 10}, {0, 10}, {0, 5}});
        BoundaryPoint(10, 0);
        BoundaryPoint(10, 10);
        BoundaryPoint(0, 10);
        SecondClassPoint(0, 5);
        return id;
    }
    static std::vector<int> Sizes(const std::vector<AcGePoint2dArray>& chains) {
        std::vector<int> sizes;
        for (const AcGePoint2dArray& c : chains) sizes.push_back(c.length());
        return sizes;
    }
};

TEST_F(ParcelBoundaryTest, PointsOnCurveFirstInDrawingOrderAndOnlyForParcels) {
    AcDbObjectId parcel = MixedParcel();
    AcDbObjectId doubled = BoundaryPoint(10, 10.0000005);  // a second circle on the same vertex
    SecondClassPoint(10, 0);                              // a boundary point there wins
    Add(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 0.25), "JZP", "301001");  // wrong code
    AcGePoint2dArray second, boundary;
    AcDbObjectIdArray secondIds, boundaryIds;
    FindBoundaryPointsOnCurve(Name(parcel), second, boundary, secondIds, boundaryIds);
    ASSERT_EQ(boundary.length(), 3);
    EXPECT_EQ(boundary[0], AcGePoint2d(10, 0));
    EXPECT_EQ(boundary[1], AcGePoint2d(10, 10));
    EXPECT_NE(boundaryIds[1], doubled);
    ASSERT_EQ(second.length(), 1);
    EXPECT_EQ(second[0], AcGePoint2d(0, 5));
    // The same with an index made for a run.
    BoundaryPointIndex index;
    AcGePoint2dArray second2, boundary2;
    AcDbObjectIdArray secondIds2, boundaryIds2;
    FindBoundaryPointsOnCurve(Name(parcel), second2, boundary2, secondIds2, boundaryIds2, &index);
    auto same = [](const AcDbObjectIdArray& x, const AcDbObjectIdArray& y) {
        return std::vector<AcDbObjectId>(x.begin(), x.end()) == std::vector<AcDbObjectId>(y.begin(), y.end());
    };
    EXPECT_TRUE(same(boundaryIds2, boundaryIds));
    EXPECT_TRUE(same(secondIds2, secondIds));

    // Not a parcel: the lists stay as they were.
    AcDbObjectId house = Parcel({{0, 0}, {10, 0}, {10, 10}}, false, "141100");
    FindBoundaryPointsOnCurve(Name(house), second, boundary, secondIds, boundaryIds);
    EXPECT_EQ(boundary.length(), 3);
    EXPECT_EQ(FindFirstBoundaryVertex(Name(house)), -1);
    EXPECT_EQ(FindFirstBoundaryVertex(Name(parcel)), 1);
}

TEST_F(ParcelBoundaryTest, IndexFindsTheFirstDrawnPointNearAPositionAcrossCellBorders) {
    // Near a cell border (cells are one unit wide) and at negative positions: the earlier circle
    // wins wherever the two lie, and a point of the other layer or farther away is not taken.
    const AcDbObjectId firstEast = BoundaryPoint(2.0000004, 3.0000004);
    const AcDbObjectId laterWest = BoundaryPoint(1.9999997, 2.9999997);
    const AcDbObjectId firstWest = BoundaryPoint(-4.0000006, -1.0);
    const AcDbObjectId laterEast = BoundaryPoint(-3.9999997, -1.0);
    const AcDbObjectId firstHere = BoundaryPoint(7.5, 7.5);
    BoundaryPoint(7.5, 7.5);
    const AcDbObjectId second = SecondClassPoint(7.5, 7.5000002);
    const BoundaryPointIndex index;
    AcGePoint2d centre;
    AcDbObjectId id;
    ASSERT_TRUE(index.FindBoundaryPoint(AcGePoint2d(2.0, 3.0), centre, id));
    EXPECT_EQ(id, firstEast);
    EXPECT_EQ(centre, AcGePoint2d(2.0000004, 3.0000004));
    ASSERT_TRUE(index.FindBoundaryPoint(AcGePoint2d(1.9999995, 2.9999995), centre, id));
    EXPECT_EQ(id, laterWest);  // the first one lies too far from here
    ASSERT_TRUE(index.FindBoundaryPoint(AcGePoint2d(-4.0, -1.0), centre, id));
    EXPECT_EQ(id, firstWest);
    ASSERT_TRUE(index.FindBoundaryPoint(AcGePoint2d(-3.9999994, -1.0), centre, id));
    EXPECT_EQ(id, laterEast);
    ASSERT_TRUE(index.FindBoundaryPoint(AcGePoint2d(7.5, 7.5000001), centre, id));
    EXPECT_EQ(id, firstHere);
    ASSERT_TRUE(index.FindSecondClassPoint(AcGePoint2d(7.5, 7.5), centre, id));
    EXPECT_EQ(id, second);
    EXPECT_FALSE(index.FindSecondClassPoint(AcGePoint2d(2.0, 3.0), centre, id));
    EXPECT_FALSE(index.FindBoundaryPoint(AcGePoint2d(5.0, 5.0), centre, id));
    EXPECT_FALSE(index.FindBoundaryPoint(AcGePoint2d(NAN, 3.0), centre, id));
}

TEST_F(ParcelBoundaryTest, ChainsFollowTheTurnedParcel) {
    // Every vertex a boundary point: one two-point chain per side.
    AcDbObjectId square = Parcel({{20, 0}, {30, 0}, {30, 10}, {20, 10}});
    for (auto [x, y] : {std::pair{20, 0}, {30, 0}, {30, 10}, {20, 10}}) BoundaryPoint(x, y);
    std::vector<AcGePoint2dArray> chains;
    CollectBoundaryLines(Name(square), chains);
    EXPECT_EQ(Sizes(chains), (std::vector<int>{2, 2, 2, 2}));
    AcGePoint2dArray chain;
    ASSERT_TRUE(FindBoundaryLineFromPoint(AcGePoint2d(30, 10), Name(square), chain));
    EXPECT_EQ(chain[1], AcGePoint2d(20, 10));
    EXPECT_FALSE(FindBoundaryLineFromPoint(AcGePoint2d(25, 10), Name(square), chain));

    // The first vertex is plain: the parcel is turned to its first boundary point, and already the
    // first call gives one chain per line.
    AcDbObjectId mixed = MixedParcel();
    CollectBoundaryLines(Name(mixed), chains);
    EXPECT_EQ(Points(mixed)[0], AcGePoint2d(10, 0));
    ASSERT_EQ(Sizes(chains), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(chains[1][1], AcGePoint2d(5, 10));
    EXPECT_EQ(chains[2][3], AcGePoint2d(10, 0));
    std::vector<AcGePoint2dArray> again;
    CollectBoundaryLines(Name(mixed), again);
    EXPECT_EQ(Sizes(again), Sizes(chains));

    // Too few boundary points, and too few distinct vertices: nothing.
    AcDbObjectId lonely = Parcel({{40, 0}, {50, 0}, {50, 10}});
    BoundaryPoint(50, 0);
    CollectBoundaryLines(Name(lonely), chains);
    EXPECT_TRUE(chains.empty());
    AcDbObjectId flat = Parcel({{60, 0}, {70, 0}, {70, 0}});
    BoundaryPoint(60, 0);
    BoundaryPoint(70, 0);
    CollectBoundaryLines(Name(flat), chains);
    EXPECT_TRUE(chains.empty());
}

TEST_F(ParcelBoundaryTest, ParcelBoundaryInBothOrientationsWithLengthsBetweenReturnedPoints) {
    AcDbObjectId mixed = MixedParcel();
    AcDbObjectIdArray ids;
    AcGePoint2dArray points;
    AcGeDoubleArray lengths;
    ASSERT_TRUE(CollectParcelBoundary(mixed, ids, points, lengths, 0));
    // The plain vertex stays, the point of the second class does not.
    ASSERT_EQ(points.length(), 5);
    EXPECT_EQ(points[0], AcGePoint2d(10, 0));
    EXPECT_EQ(points[3], AcGePoint2d(0, 10));
    EXPECT_EQ(points[4], AcGePoint2d(0, 0));
    ASSERT_EQ(lengths.length(), 5);
    EXPECT_DOUBLE_EQ(lengths[3], 10);
    EXPECT_DOUBLE_EQ(lengths[4], 10);
    ASSERT_EQ(ids.length(), 5);
    {
        drawingutil::Opened<AcDb2dVertex> vertex(ids[4], AcDb::kForRead);
        ASSERT_TRUE(vertex);
        EXPECT_EQ(vertex->position(), AcGePoint3d(10, 0, 0));  // the first id went to the end
    }

    // Clockwise asked: the same first point, the other way, each length between the returned
    // neighbours.
    ASSERT_TRUE(CollectParcelBoundary(mixed, ids, points, lengths, 1));
    EXPECT_EQ(points[0], AcGePoint2d(10, 0));
    EXPECT_EQ(points[1], AcGePoint2d(0, 0));
    EXPECT_EQ(points[4], AcGePoint2d(10, 10));
    ASSERT_EQ(lengths.length(), 5);
    EXPECT_DOUBLE_EQ(lengths[0], 10);
    EXPECT_DOUBLE_EQ(lengths[1], 10);
    EXPECT_DOUBLE_EQ(lengths[2], 5);
    EXPECT_DOUBLE_EQ(lengths[4], 10);

    // A clockwise parcel with flag 0 comes back counter-clockwise from its own first point.
    AcDbObjectId clockwise = Parcel({{20, 0}, {20, 10}, {30, 10}, {30, 0}});
    for (auto [x, y] : {std::pair{20, 0}, {20, 10}, {30, 10}, {30, 0}}) BoundaryPoint(x, y);
    ASSERT_TRUE(CollectParcelBoundary(clockwise, ids, points, lengths, 0));
    EXPECT_EQ(points[1], AcGePoint2d(30, 0));
    EXPECT_EQ(points[3], AcGePoint2d(20, 10));

    // A lightweight parcel has no vertex entities to list; one without boundary points is refused.
    AcDbObjectId light = Parcel({{40, 0}, {50, 0}, {50, 10}}, true);
    BoundaryPoint(40, 0);
    EXPECT_FALSE(CollectParcelBoundary(light, ids, points, lengths, 0));
    EXPECT_FALSE(CollectParcelBoundary(Parcel({{60, 0}, {70, 0}, {70, 10}}), ids, points, lengths, 0));
}

TEST_F(ParcelBoundaryTest, TurnedParcelKeepsTheCodesOnItsVertices) {
    AcDbObjectId mixed = MixedParcel();
    // Codes a neighbour's coding wrote on the vertices, named after their positions.
    auto vertices = [&]() {
        std::vector<AcDbObjectId> ids;
        drawingutil::Opened<AcDb2dPolyline> poly(mixed, AcDb::kForRead);
        std::unique_ptr<AcDbObjectIterator> it(poly->vertexIterator());
        for (it->start(); !it->done(); it->step()) ids.push_back(it->objectId());
        return ids;
    };
    auto label = [](AcDbObjectId v) {
        drawingutil::Opened<AcDb2dVertex> vertex(v, AcDb::kForRead);
        return std::to_string(vertex->position().x) + "," + std::to_string(vertex->position().y);
    };
    for (AcDbObjectId v : vertices()) WriteEntityXData(v, "JZXDM", label(v).c_str(), kXDataString, -1, false, false, false);
    std::vector<AcGePoint2dArray> chains;
    CollectBoundaryLines(Name(mixed), chains);
    ASSERT_EQ(Points(mixed)[0], AcGePoint2d(10, 0));
    for (AcDbObjectId v : vertices()) {
        std::string code;
        EXPECT_TRUE(ReadEntityXData(v, "JZXDM", code, kXDataString, 0, false, false));
        EXPECT_EQ(code, label(v));
    }
}

TEST_F(ParcelBoundaryTest, JunctionsWhereOutlinesPartWays) {
    resbuf scale{};
    scale.restype = RTREAL;
    scale.resval.rreal = 500;
    acedSetVar("USERR1", &scale);
    // Two parcels sharing the edge x = 10 with a point in its middle; a third meeting at (10, 10).
    Parcel({{0, 0}, {10, 0}, {10, 5}, {10, 10}, {0, 10}});
    Parcel({{10, 0}, {20, 0}, {20, 10}, {10, 10}, {10, 5}});
    EXPECT_FALSE(IsBoundaryJunctionPoint(Name(BoundaryPoint(10, 5))));
    EXPECT_TRUE(IsBoundaryJunctionPoint(Name(BoundaryPoint(10, 10))));
    EXPECT_FALSE(IsBoundaryJunctionPoint(Name(BoundaryPoint(0, 0))));
    Parcel({{10, 10}, {20, 10}, {15, 20}});
    EXPECT_TRUE(IsBoundaryJunctionPoint(Name(BoundaryPoint(20, 10))));
    EXPECT_TRUE(IsBoundaryJunctionPoint(Name(BoundaryPoint(10, 10))));
    // A lightweight outline is no old-style parcel here.
    Parcel({{100, 0}, {110, 0}, {110, 10}}, true);
    Parcel({{110, 0}, {120, 0}, {110, 10}}, true);
    EXPECT_FALSE(IsBoundaryJunctionPoint(Name(BoundaryPoint(110, 0))));
}

TEST_F(ParcelBoundaryTest, FacesOfASelectionAndInteriorPoints) {
    AcDbObjectId a = Parcel({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    AcDbObjectId b = Parcel({{10, 0}, {20, 0}, {20, 10}, {10, 10}});
    Parcel({{50, 50}, {60, 50}, {60, 60}}, false, "141100");
    ads_name all;
    ASSERT_EQ(acedSSGet("X", nullptr, nullptr, nullptr, all), RTNORM);
    std::vector<geometry::PointList> rings;
    std::vector<geometry::DoubleList> bulges;
    BuildFacesFromSelection(all, "300000", rings, bulges);
    ASSERT_EQ(rings.size(), 1u);
    double minX = 1e9, maxX = -1e9;
    for (const auto& p : rings[0]) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
    }
    EXPECT_EQ(minX, 0);
    EXPECT_EQ(maxX, 20);
    BuildFacesFromSelection(all, nullptr, rings, bulges);
    EXPECT_EQ(rings.size(), 2u);
    acedSSFree(all);
    (void)a;
    (void)b;

    // An L whose first three corners make a centroid outside it.
    AcGePoint2d inside;
    AcGePoint2dArray l = List({{0, 0}, {10, 0}, {10, 1}, {1, 1}, {1, 10}, {0, 10}});
    ASSERT_TRUE(FindInteriorPoint(l, inside));
    EXPECT_LT(inside.x, 10);
    EXPECT_TRUE((inside.x < 1 && inside.y < 10) || inside.y < 1);
    ASSERT_TRUE(FindInteriorPoint(List({{0, 0}, {3, 0}, {0, 3}, {0, 3}}), inside));
    EXPECT_EQ(inside, AcGePoint2d(1, 1));
    EXPECT_FALSE(FindInteriorPoint(List({{0, 0}, {3, 0}, {3, 0}}), inside));
}

// Reading a parcel once gives what its lines, its points and its boundary read one after another
// give: each scene is drawn twice, 1000 apart, one copy read each way.
TEST_F(ParcelBoundaryTest, ReadingOnceAgreesWithTheSeparateReadings) {
    using Scene = std::pair<std::vector<AcGePoint2d>, std::vector<AcGePoint2d>>;  // outline, boundary points
    const Scene scenes[] = {
        {{{0, 0}, {10, 0}, {10, 10}, {5, 10}, {0, 10}, {0, 5}}, {{10, 0}, {10, 10}, {0, 10}}},  // turned
        {{{20, 0}, {20, 10}, {30, 10}, {30, 0}}, {{20, 0}, {20, 10}, {30, 10}, {30, 0}}},      // clockwise
        {{{40, 0}, {50, 0}, {50, 10}}, {}},                                                   // no point
        {{{65, 0}, {60, 0}, {60, 0}}, {{60, 0}}},  // too few distinct points, turned all the same
        {{{80, 0}, {90, 0}, {90, 10}}, {{90, 0}}},  // one point: no lines
    };
    std::vector<std::pair<AcDbObjectId, AcDbObjectId>> parcels;
    for (const Scene& scene : scenes) {
        AcDbObjectId copies[2];
        for (int copy = 0; copy < 2; ++copy) {
            std::vector<AcGePoint2d> outline;
            for (const AcGePoint2d& p : scene.first) outline.emplace_back(p.x, p.y + 1000 * copy);
            copies[copy] = Parcel(outline);
            for (const AcGePoint2d& p : scene.second) BoundaryPoint(p.x, p.y + 1000 * copy);
        }
        parcels.emplace_back(copies[0], copies[1]);
    }
    SecondClassPoint(0, 5);
    SecondClassPoint(0, 1005);
    const BoundaryPointIndex index;
    // Points brought back by the copy's offset, and lists, comparable.
    auto shifted = [](const AcGePoint2dArray& points, double by = 1000) {
        std::vector<std::pair<double, double>> list;
        for (const AcGePoint2d& p : points) list.emplace_back(p.x, p.y - by);
        return list;
    };
    auto plain = [&](const AcGePoint2dArray& points) { return shifted(points, 0); };
    auto values = [](const AcGeDoubleArray& numbers) { return std::vector<double>(numbers.begin(), numbers.end()); };
    for (const auto& [separate, once] : parcels) {
        std::vector<AcGePoint2dArray> lines;
        CollectBoundaryLines(Name(separate), lines, &index);
        const AcGePoint2dArray outline = Points(separate);
        TurnedParcel turned;
        const bool read = ReadTurnedParcel(once, index, turned);
        ASSERT_EQ(turned.lines.size(), lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(shifted(turned.lines[i]), plain(lines[i]));
        for (int orientation : {0, 1}) {
            AcDbObjectIdArray ids, onceIds;
            AcGePoint2dArray points, oncePoints;
            AcGeDoubleArray lengths, onceLengths;
            const bool whole = CollectParcelBoundary(separate, ids, points, lengths, orientation, &index);
            EXPECT_EQ(read && CollectTurnedParcelBoundary(once, turned.secondClassPoints, onceIds, oncePoints,
                                                          onceLengths, orientation),
                      whole);
            if (!whole) continue;
            EXPECT_EQ(shifted(turned.outline), plain(outline));
            EXPECT_EQ(shifted(oncePoints), plain(points));
            EXPECT_EQ(values(onceLengths), values(lengths));
            EXPECT_EQ(onceIds.length(), ids.length());
        }
    }
}

}  // namespace
