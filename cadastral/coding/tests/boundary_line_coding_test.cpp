#include "cadastral/boundary_line_coding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "coding_scene.h"
#include "platform/cad/command_processor.h"

namespace {

using namespace cadastral;

class BoundaryLineCodingTest : public CodingSceneTest {
protected:
    void SetUp() override {
        CodingSceneTest::SetUp();
        acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    }
    static std::set<std::string> NonEmpty(const std::vector<std::string>& codes) {
        std::set<std::string> set;
        for (const std::string& c : codes)
            if (!c.empty())
                set.insert(c);
        return set;
    }
};

TEST_F(BoundaryLineCodingTest, SharedEdgeHasOneCodeAndEveryLineItsOwnNumber) {
    // West parcel A with a point of the second class halfway up its east side; east parcel B
    // shares only the lower half of that side, clockwise and lightweight.
    AcDbObjectId a = CodedParcel({{0, 0}, {10, 0}, {10, 5}, {10, 10}, {0, 10}}, "0010010001000");
    AcDbObjectId b = CodedParcel({{10, 0}, {10, 5}, {20, 5}, {20, 0}}, "0010010002000", true);
    for (auto [x, y] :
         std::vector<std::pair<double, double>>{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {20, 5}, {20, 0}})
        BoundaryPoint(x, y);
    SecondClassPoint(10, 5);
    AcDbObjectId onShared = LinePoint(10.05, 2.5), onUpper = LinePoint(9.95, 7.5), away = LinePoint(5, 5);
    AcDbObjectId kept = LinePoint(10, 1);
    // In the row of cells below A's south side, yet within reach of it.
    AcDbObjectId belowSouth = LinePoint(5, -0.05);
    SetXData(Name(kept), "JZXDM", kXDataString, "OLD");

    BoundaryPointIndex index;
    BoundaryLineCoder coder(&index);
    std::int32_t counter = 0;
    EntityName bName = Name(b);
    coder.CodeParcel(bName, "440101001001", "02", counter);
    EXPECT_EQ(counter, 3) << "B's lines: the shared one, south and east";
    std::vector<std::string> bCodes = VertexCodes(b);
    ASSERT_EQ(bCodes.size(), 4u) << "converted at its own turn";
    EXPECT_EQ(NonEmpty(bCodes).size(), 3u);

    // The lower half of A's east side came with B's code; the upper half, on the same line of A,
    // takes a number of its own rather than the one of A's previous line.
    std::vector<std::string> before = VertexCodes(a);
    ASSERT_EQ(before.size(), 5u);
    const std::string shared = before[1];
    EXPECT_FALSE(shared.empty());
    EXPECT_EQ(std::count(bCodes.begin(), bCodes.end(), shared), 2) << "both segments of B's first line";
    coder.CodeParcel(Name(a), "440101001001", "02", counter);
    std::vector<std::string> codes = VertexCodes(a);
    EXPECT_EQ(codes[1], shared) << "a coded vertex keeps its code";
    EXPECT_EQ(counter, 7) << "A: south, upper east, north and west";
    std::set<std::string> all = NonEmpty(codes);
    for (const std::string& c : bCodes)
        all.insert(c);
    EXPECT_EQ(all.size(), 7u) << "no code names two lines";
    EXPECT_EQ(codes[2], "440101001001020000005");
    EXPECT_EQ(Value(VertexIdAt(a, 2), "JZXH", kXDataLong), "5");

    // Points on "GD" take the code of the line they lie on, once coded lines are walked.
    coder.CodeLinePoints();
    EXPECT_EQ(Value(onShared, "JZXDM"), shared);
    EXPECT_EQ(Value(onUpper, "JZXDM"), codes[2]);
    EXPECT_EQ(Value(away, "JZXDM"), "");
    EXPECT_EQ(Value(belowSouth, "JZXDM"), codes[0]);
    EXPECT_EQ(Value(kept, "JZXDM"), "OLD");

    // Clearing empties every vertex code; a parcel missing a point on a vertex gets none.
    ClearVertexCodes();
    EXPECT_TRUE(NonEmpty(VertexCodes(a)).empty());
    AcDbObjectId bare = CodedParcel({{30, 0}, {40, 0}, {40, 10}, {30, 10}}, "0010010003000");
    BoundaryPoint(30, 0);
    BoundaryPoint(40, 0);
    BoundaryPoint(40, 10);
    counter = 0;
    coder.CodeParcel(Name(bare), "440101001001", "", counter);
    EXPECT_EQ(counter, 0);
    EXPECT_TRUE(NonEmpty(VertexCodes(bare)).empty());
}

TEST_F(BoundaryLineCodingTest, ANeighbourTurnedByItsOwnCodingIsReadAgain) {
    // Q starts at a point of the second class, so its coding turns its start to (10,0); it lacks
    // a point at (15,10) and takes no codes itself. P, coded first, reads Q as its neighbour;
    // R, coded last, finds Q again and codes the side they share on Q's vertex at (20,0).
    AcDbObjectId p = CodedParcel({{0, 0}, {10, 0}, {10, 5}, {10, 10}, {0, 10}}, "0010010001000");
    AcDbObjectId q = CodedParcel({{10, 5}, {10, 0}, {20, 0}, {20, 10}, {15, 10}, {10, 10}}, "0010010002000");
    AcDbObjectId r = CodedParcel({{20, 0}, {30, 0}, {30, 10}, {20, 10}}, "0010010003000");
    for (double x : {0.0, 10.0, 20.0, 30.0})
        for (double y : {0.0, 10.0})
            BoundaryPoint(x, y);
    SecondClassPoint(10, 5);
    acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    BoundaryPointIndex index;
    BoundaryLineCoder coder(&index);
    std::int32_t counter = 0;
    for (AcDbObjectId parcel : {p, q, r})
        coder.CodeParcel(Name(parcel), "440101001001", "02", counter);
    ASSERT_EQ(Points(q)[0], AcGePoint2d(10, 0)) << "Q turned";
    AcDbObjectId atQ, atR;
    ASSERT_TRUE(FindVertexAtPoint(q, AcGePoint2d(20, 0), atQ));
    ASSERT_TRUE(FindVertexAtPoint(r, AcGePoint2d(20, 10), atR));
    EXPECT_FALSE(Value(atR, "JZXDM").empty());
    EXPECT_EQ(Value(atQ, "JZXDM"), Value(atR, "JZXDM"));
    EXPECT_EQ(NonEmpty(VertexCodes(q)).size(), 2u) << "only the sides shared with P and R";
}

// A parcel with a vertex typed far off: its points on "GD" take their codes, near and far, and the
// walk along the long sides ends.
TEST_F(BoundaryLineCodingTest, LinePointsAlongASideToAFarVertexAreCoded) {
    const double far = 4e9;
    AcDbObjectId p = CodedParcel({{0, 0}, {10, 0}, {far, 5}, {10, 10}, {0, 10}}, "0010010001000");
    for (auto [x, y] : std::vector<std::pair<double, double>>{{0, 0}, {10, 0}, {far, 5}, {10, 10}, {0, 10}})
        BoundaryPoint(x, y);
    AcDbObjectId south = LinePoint(5, -0.05), spike = LinePoint(far / 2 + 5, 2.5), away = LinePoint(5, 5);
    acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    BoundaryPointIndex index;
    BoundaryLineCoder coder(&index);
    std::int32_t counter = 0;
    coder.CodeParcel(Name(p), "440101001001", "02", counter);
    const std::vector<std::string> codes = VertexCodes(p);
    ASSERT_EQ(codes.size(), 5u);
    coder.CodeLinePoints();
    EXPECT_EQ(Value(south, "JZXDM"), codes[0]);
    EXPECT_EQ(Value(spike, "JZXDM"), codes[1]);
    EXPECT_FALSE(codes[1].empty());
    EXPECT_EQ(Value(away, "JZXDM"), "");
}

TEST_F(BoundaryLineCodingTest, SegmentSearchTakesSegmentsCounterClockwise) {
    // Clockwise: the segment's code goes on its counter-clockwise start, the later vertex.
    AcDbObjectId cw = Parcel({{0, 0}, {0, 10}, {10, 10}, {10, 0}});
    EntityName name = Name(cw);
    ParcelSegment segment;
    ASSERT_TRUE(FindSegmentAtPoint(name, AcGePoint2d(5, 10), segment));
    EXPECT_EQ(segment.start, AcGePoint2d(10, 10));
    EXPECT_EQ(segment.end, AcGePoint2d(0, 10));
    EXPECT_EQ(segment.ownIndex, 1);
    EXPECT_EQ(segment.vertex, VertexIdAt(cw, 2));
    AcDbObjectId vertex;
    EXPECT_TRUE(FindVertexAtPoint(cw, AcGePoint2d(10, 10.00005), vertex));
    EXPECT_FALSE(FindVertexAtPoint(cw, AcGePoint2d(10, 10.001), vertex));
    // A fitted outline: its fit vertices are walked over and never matched.
    AcDbObjectId fitted = Parcel({{20, 0}, {30, 0}, {30, 10}, {20, 10}});
    AcGePoint2d fitPoint;
    int fitVertices = 0;
    {
        drawingutil::Opened<AcDb2dPolyline> poly(fitted, AcDb::kForWrite);
        ASSERT_EQ(poly->curveFit(), Acad::eOk);
        std::unique_ptr<AcDbObjectIterator> it(poly->vertexIterator());
        for (it->start(); !it->done(); it->step()) {
            drawingutil::Opened<AcDb2dVertex> v(it->objectId(), AcDb::kForRead);
            if (v->vertexType() == AcDb::k2dCurveFitVertex && fitVertices++ == 1)
                fitPoint.set(v->position().x, v->position().y);
        }
    }
    ASSERT_GT(fitVertices, 1);
    EXPECT_FALSE(FindVertexAtPoint(fitted, fitPoint, vertex));
    ASSERT_TRUE(FindVertexAtPoint(fitted, AcGePoint2d(20, 10), vertex));
    EntityName fittedName = Name(fitted);
    ASSERT_TRUE(FindSegmentAtPoint(fittedName, AcGePoint2d(25, 10), segment));
    EXPECT_EQ(segment.start, AcGePoint2d(30, 10));
    EXPECT_EQ(segment.ownIndex, 2);

    EXPECT_TRUE(PointNearSegment(AcGePoint3d(5, 0.09, 7), AcGePoint2d(0, 0), AcGePoint2d(10, 0)));
    EXPECT_FALSE(PointNearSegment(AcGePoint3d(10.15, 0, 0), AcGePoint2d(0, 0), AcGePoint2d(10, 0)));
}

}  // namespace
