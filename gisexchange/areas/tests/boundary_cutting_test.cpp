// Boundary cutting into shared lines on curves of a drawing: where curves are cut, what is stored
// once, and the signed references each curve keeps.
#include "gisexchange/boundary_cutting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "area_drawing.h"
#include "drawingutil/curve_measures.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_object_iterator.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_vertex.h"
#include "gisexchange/shared_lines.h"
#include "gisexchange/sorted_ids.h"

namespace {

using namespace gisexchange;

class BoundaryCutting : public AreaDrawingTest {
protected:
    // Cuts the curve against each neighbour and files its pieces.
    static std::vector<int> Cut(AcDbObjectId curve, const std::vector<AcDbObjectId>& neighbours, SharedLineSet& set,
                                bool cancel = false)
    {
        BoundaryCurveRecord record = LoadBoundaryCurve(NameOf(curve), cancel);
        for (AcDbObjectId other : neighbours)
            MarkCurveIntersections(record, NameOf(other));
        SplitCurveAtBreaks(record, set, 0);
        return record.lineRefs;
    }
    static int Breaks(const BoundaryCurveRecord& record)
    {
        return static_cast<int>(std::count(record.breaks.begin(), record.breaks.end(), 1));
    }
};

TEST_F(BoundaryCutting, AdjacentSquaresShareTheirSideOnce)
{
    AcDbObjectId a = Square(0, 0, 10, "300000");
    AcDbObjectId b = Square(10, 0, 10, "300000");
    SharedLineSet set;
    set.keepContributors = true;
    std::vector<int> refsA = Cut(a, {b}, set);
    std::vector<int> refsB = Cut(b, {a}, set);
    ASSERT_EQ(refsA.size(), 2u) << "cut at both ends of the shared side";
    ASSERT_EQ(refsB.size(), 2u);
    EXPECT_EQ(set.lines.size(), 3u) << "the shared side is stored once";
    // One square runs along the shared side forwards, the other backwards.
    int shared = 0;
    for (int r : refsA)
        if (std::find(refsB.begin(), refsB.end(), -r) != refsB.end())
            shared = std::abs(r);
    ASSERT_NE(shared, 0);
    const AcGePoint2dArray& side = set.lines[static_cast<std::size_t>(shared - 1)];
    EXPECT_DOUBLE_EQ(side.first().x, 10);
    EXPECT_DOUBLE_EQ(side.last().x, 10);
    EXPECT_EQ(set.contributors[static_cast<std::size_t>(shared - 1)].size(), 2u);
    // Each square's references run around it: the pieces join end to start.
    double length = 0;
    for (const AcGePoint2dArray& line : set.lines)
        for (int i = 1; i < line.length(); ++i)
            length += line[i - 1].distanceTo(line[i]);
    EXPECT_DOUBLE_EQ(length, 70.0);
}

TEST_F(BoundaryCutting, JunctionsStretchesAndRings)
{
    // The end of an open neighbour on the curve (a T-junction) is a break without a crossing.
    AcDbObjectId square = Square(0, 0, 10, "300000");
    AcDbObjectId stub = Polyline(Points({{4, 0}, {4, -5}}), false, "300000");
    BoundaryCurveRecord record = LoadBoundaryCurve(NameOf(square), false);
    MarkCurveIntersections(record, NameOf(stub));
    EXPECT_EQ(record.vertices.length(), 5) << "the junction becomes a vertex";
    EXPECT_EQ(Breaks(record), 1);
    EXPECT_DOUBLE_EQ(record.vertices[1].x, 4);
    EXPECT_DOUBLE_EQ(record.stations[1], 4);
    // An end stopping short of the curve by less than the meeting distance meets it all the same.
    AcDbObjectId shortStub = Polyline(Points({{6, -0.000005}, {6, -5}}), false, "300000");
    BoundaryCurveRecord nearly = LoadBoundaryCurve(NameOf(square), false);
    MarkCurveIntersections(nearly, NameOf(shortStub));
    EXPECT_EQ(nearly.vertices.length(), 5);
    EXPECT_EQ(Breaks(nearly), 1);

    // A vertex inside a stretch shared with the neighbour is no break; only the stretch's ends are.
    AcDbObjectId left = Square(20, 0, 10, "300000");
    AcDbObjectId right = Polyline(Points({{30, 0}, {40, 0}, {40, 10}, {30, 10}, {30, 5}}), true, "300000");
    BoundaryCurveRecord r = LoadBoundaryCurve(NameOf(right), false);
    MarkCurveIntersections(r, NameOf(left));
    EXPECT_EQ(Breaks(r), 2);
    EXPECT_EQ(r.breaks[4], 0) << "(30, 5) lies inside the shared side";

    // No breaks: one closed line, its first point repeated at the end.
    SharedLineSet set;
    AcDbObjectId lone = Square(100, 100, 5, "300000");
    EXPECT_EQ(Cut(lone, {}, set), std::vector<int>{1});
    EXPECT_EQ(set.lines[0].length(), 5);
    EXPECT_TRUE(set.lines[0].first() == set.lines[0].last());

    // Not flagged closed, but ending where it starts: a ring, joined across its start.
    SharedLineSet ringSet;
    AcDbObjectId ring = Polyline(Points({{200, 0}, {210, 0}, {210, 10}, {200, 10}, {200, 0}}), false, "300000");
    AcDbObjectId cutter = Polyline(Points({{205, -5}, {205, 15}}), false, "300000");
    std::vector<int> refs = Cut(ring, {cutter}, ringSet);
    ASSERT_EQ(refs.size(), 2u);
    EXPECT_EQ(ringSet.lines[1].first().x, 205) << "the piece through the start is joined across it";
    EXPECT_EQ(ringSet.lines[1].length(), 4);

    // An open curve: its pieces in order, the piece from its start to the first break stored last.
    SharedLineSet openSet;
    AcDbObjectId open = Polyline(Points({{300, 0}, {320, 0}}), false, "300000");
    AcDbObjectId crossing = Polyline(Points({{310, -5}, {310, 5}}), false, "300000");
    EXPECT_EQ(Cut(open, {crossing}, openSet), (std::vector<int>{1, 2}));
    EXPECT_DOUBLE_EQ(openSet.lines[0].first().x, 310);
    EXPECT_DOUBLE_EQ(openSet.lines[1].first().x, 300);

    // A record without stations and flags (its entity did not open as a curve) has no breaks.
    BoundaryCurveRecord text = LoadBoundaryCurve(NameOf(square), false);
    text.stations.clear();
    text.breaks.clear();
    MarkCurveIntersections(text, NameOf(stub));
    EXPECT_EQ(text.vertices.length(), 4);
    SharedLineSet textSet;
    SplitCurveAtBreaks(text, textSet, 0);
    EXPECT_EQ(text.lineRefs, std::vector<int>{1});
}

TEST_F(BoundaryCutting, CancelModeDropsWhatBothCurvesShare)
{
    // A parcel check's pair: pieces common to both disappear, the rest stay.
    AcDbObjectId a = Square(0, 0, 10, "300000");
    AcDbObjectId b = Polyline(Points({{10, 0}, {20, 0}, {20, 10}, {10, 10}}), true, "300000");
    SharedLineSet set;
    Cut(a, {b}, set, true);
    std::vector<int> refs = Cut(b, {a}, set, true);
    EXPECT_EQ(std::count(refs.begin(), refs.end(), 0), 1);
    EXPECT_EQ(set.lines.size(), 2u);
    EXPECT_EQ(set.numbers.size(), 2u);
    EXPECT_EQ(set.values.size(), 2u);
    for (const AcGePoint2dArray& line : set.lines)
        EXPECT_FALSE(line.length() == 2 && line.first().x == 10 && line.last().x == 10) << "the shared side is gone";
}

// The same figures as lightweight polylines in the plane, raised, and as old-style polylines
// raised: one arc span, a shared side, a T-junction. Every kind is cut alike, and the drawing keeps
// its elevations.
TEST_F(BoundaryCutting, PolylinesOfEveryKindAndElevationAreCutAlike)
{
    struct Cut {
        AcGePoint2dArray vertices;
        std::vector<double> stations;
        std::vector<unsigned char> breaks;
        std::vector<int> refs;
    };
    auto draw = [&](double x, double elevation, int kind) {
        auto polyline = [&](std::initializer_list<AcGePoint2d> points, bool closed) {
            AcGePoint2dArray shifted;
            for (const AcGePoint2d& p : points)
                shifted.append(AcGePoint2d(p.x + x, p.y));
            return CreateCodedPolyline(shifted, elevation, closed ? 1 : 0, "300000", 0, kind, "JZD");
        };
        AcDbObjectId arc = polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true);
        {
            // The top side bulges out, a half circle over it.
            drawingutil::Opened<AcDbEntity> entity(arc, AcDb::kForWrite);
            if (auto* light = AcDbPolyline::cast(entity.get()))
                light->setBulgeAt(2, 1.0);
            else if (auto* old = AcDb2dPolyline::cast(entity.get())) {
                std::unique_ptr<AcDbObjectIterator> it(old->vertexIterator());
                it->start();
                it->step();
                it->step();
                drawingutil::Opened<AcDb2dVertex> vertex(it->objectId(), AcDb::kForWrite);
                vertex->setBulge(1.0);
            }
        }
        AcDbObjectId side = polyline({{10, 0}, {20, 0}, {20, 10}, {10, 10}, {10, 5}}, true);
        AcDbObjectId stub = polyline({{5, 0}, {5, -5}}, false);
        AcDbObjectId through = polyline({{2, 15}, {2, -3}}, false);
        return std::vector<AcDbObjectId>{arc, side, stub, through};
    };
    auto cut = [&](const std::vector<AcDbObjectId>& figures) {
        std::vector<Cut> cuts;
        SharedLineSet set;
        for (std::size_t i = 0; i < 2; ++i) {
            BoundaryCurveRecord record = LoadBoundaryCurve(NameOf(figures[i]), false);
            for (AcDbObjectId other : figures)
                if (other != figures[i])
                    MarkCurveIntersections(record, NameOf(other));
            SplitCurveAtBreaks(record, set, 0);
            cuts.push_back({record.vertices, record.stations, record.breaks, record.lineRefs});
        }
        return cuts;
    };
    const std::vector<Cut> plain = cut(draw(0, 0, kLightweightPolyline));
    ASSERT_EQ(plain[0].vertices.length(), 8) << "two crossings, the junction and the side's end";
    EXPECT_EQ(std::count(plain[0].breaks.begin(), plain[0].breaks.end(), 1), 5);
    EXPECT_DOUBLE_EQ(plain[0].vertices[6].y, 14) << "the crossing on the arc";
    EXPECT_NEAR(plain[0].stations.back(), 20 + 5 * M_PI, 1e-9) << "(0, 10), past the arc";
    for (int kind : {kLightweightPolyline, kSimple2dPolyline}) {
        const std::vector<AcDbObjectId> figures = draw(100.0 * (kind + 1), 7.5, kind);
        const std::vector<Cut> raised = cut(figures);
        for (std::size_t i = 0; i < plain.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << ", figure " << i);
            ASSERT_EQ(raised[i].vertices.length(), plain[i].vertices.length());
            for (int k = 0; k < plain[i].vertices.length(); ++k) {
                EXPECT_DOUBLE_EQ(raised[i].vertices[k].x, plain[i].vertices[k].x + 100.0 * (kind + 1));
                EXPECT_DOUBLE_EQ(raised[i].vertices[k].y, plain[i].vertices[k].y);
            }
            EXPECT_EQ(raised[i].breaks, plain[i].breaks);
            EXPECT_EQ(raised[i].refs, plain[i].refs);
            for (std::size_t k = 0; k < plain[i].stations.size(); ++k)
                EXPECT_NEAR(raised[i].stations[k], plain[i].stations[k], 1e-9);
        }
        for (AcDbObjectId figure : figures) {
            double elevation = 0;
            EXPECT_TRUE(CurveElevation(NameOf(figure), elevation));
            EXPECT_EQ(elevation, 7.5) << "the drawing is left as it was";
        }
    }
}

TEST_F(BoundaryCutting, NeighboursAreFoundWhereverTheViewIs)
{
    AcDbObjectId a = Square(0, 0, 10, "300000");
    AcDbObjectId b = Square(10, 0, 10, "300000");
    AcDbObjectId inside = Square(2, 2, 2, "141100", "JMD");
    AcDbObjectId onEdge = Square(8, 0, 2, "141100", "JMD");
    Square(50, 50, 5, "300000");
    ads_name ss{};
    ASSERT_TRUE(SelectBoundaryCurves(NameOf(a), ss));
    // Those wholly inside the box (its edges included) first, then those crossing it, each in
    // drawing order; the curve itself is left out.
    EXPECT_EQ(Members(ss), (std::vector<AcDbObjectId>{inside, onEdge, b}));
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);
}

TEST_F(BoundaryCutting, SortedIdsOfEntities)
{
    std::vector<AcDbObjectId> ids;
    for (int i = 0; i < 6; ++i)
        ids.push_back(Square(30.0 * i, 500, 5, "300000"));
    SortedIdSet set = BuildSortedIdSet({ids[4], ids[1], AcDbObjectId(), ids[4], ids[0], ids[3]});
    ASSERT_EQ(set.size(), 4u) << "repeats and null ids left out";
    EXPECT_EQ(set, (SortedIdSet{ids[0], ids[1], ids[3], ids[4]})) << "in the drawing's order";
    int index = -1;
    EXPECT_TRUE(FindSortedId(set, NameOf(ids[3]), index));
    EXPECT_EQ(set[static_cast<std::size_t>(index)], ids[3]);
    EXPECT_FALSE(FindSortedId(set, ids[2], index));
    InsertSortedId(set, NameOf(ids[2]));
    InsertSortedId(set, ids[2]);
    InsertSortedId(set, ids[5]);
    EXPECT_EQ(set, ids);
    EXPECT_TRUE(FindSortedId(set, ids[2], index));
}

}  // namespace
