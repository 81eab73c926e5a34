// The lines around an area: written lines found on the area's curve and put in its order, gaps
// written between them exactly from end to end, and the bearings and spans they rest on.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "drawingutil/coded_entities.h"
#include "gisexchange/area_ring_lines.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_database.h"
#include "platform/gis/bas60.h"
#include "testing/host_machine.h"

namespace {

using namespace gisexchange;

AcGePoint2dArray Points(std::initializer_list<AcGePoint2d> list)
{
    AcGePoint2dArray points;
    for (const AcGePoint2d& p : list)
        points.append(p);
    return points;
}

class AreaRingLines : public dero::testing::HostMachineTest {
protected:
    AreaRingLines() : HostMachineTest("area_ring_lines") {}
    void SetUp() override
    {
        HostMachineTest::SetUp();
        db_ = std::make_unique<AcDbDatabase>();
        acdbHostApplicationServices()->setWorkingDatabase(db_.get());
        workspace_ = GisNewWorkspace(0);
        const short slot = GisGetFileSlot(workspace_, GIS_KIND_AREA);
        ASSERT_GT(GisNewFile("areas", slot, 0, 0, 0), 0);
        file_ = GisGetFileHandle(workspace_);
    }
    void TearDown() override
    {
        GisFreeWorkspace(workspace_);
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
        HostMachineTest::TearDown();
    }

    struct Name {
        ads_name value{};
        operator const std::int64_t*() const { return value; }
    };
    static Name Area(const AcGePoint2dArray& ring)
    {
        Name name;
        AcDbObjectId id = CreateCodedPolyline(ring, 0, 1, "321000", 0, kLightweightPolyline, "XZQ");
        EXPECT_EQ(acdbGetAdsName(name.value, id), Acad::eOk);
        return name;
    }
    // A line of the file, as a written line of an earlier area.
    LONG Written(WrittenLines& lines, const AcGePoint2dArray& points)
    {
        std::vector<D_DOT> dots;
        for (int i = 0; i < points.length(); ++i)
            dots.push_back({points[i].x, points[i].y});
        const LONG number = GisWriteLine(file_, dots.data(), static_cast<LONG>(dots.size()), nullptr, 0);
        lines.Add(points, number);
        return number;
    }
    std::vector<D_DOT> LinePoints(LONG number) const
    {
        const D_DOT* points = nullptr;
        LONG count = 0;
        BYTE params[GIS_LINE_PARAM_SIZE];
        if (GisGetLine(file_, number, &points, &count, params) <= 0)
            return {};
        return std::vector<D_DOT>(points, points + count);
    }
    static void ExpectPoints(const std::vector<D_DOT>& got, std::initializer_list<D_DOT> want)
    {
        ASSERT_EQ(got.size(), want.size());
        std::size_t i = 0;
        for (const D_DOT& p : want) {
            EXPECT_DOUBLE_EQ(got[i].x, p.x) << i;
            EXPECT_DOUBLE_EQ(got[i].y, p.y) << i;
            ++i;
        }
    }
    // The area the ring's lines enclose, walked as the numbers say.
    double RingArea(const std::vector<LONG>& ring) const
    {
        std::vector<D_DOT> walk;
        for (LONG n : ring)
            for (const D_DOT& p : LinePoints(n))
                walk.push_back(p);
        double twice = 0;
        for (std::size_t i = 0; i < walk.size(); ++i) {
            const D_DOT& a = walk[i];
            const D_DOT& b = walk[(i + 1) % walk.size()];
            twice += a.x * b.y - b.x * a.y;
        }
        return twice / 2;
    }

    short file_ = 0;

private:
    std::unique_ptr<AcDbDatabase> db_;
    short workspace_ = 0;
};

const AcGePoint2dArray kSquare = Points({{0, 0}, {10, 0}, {10, 10}, {0, 10}});

TEST(RingGeometry, BearingsSpansAndPieces)
{
    EXPECT_DOUBLE_EQ(DirectionAngle(0, 0, 0, 1), 0);
    EXPECT_DOUBLE_EQ(DirectionAngle(0, 0, 1, 0), 90);
    EXPECT_DOUBLE_EQ(DirectionAngle(0, 0, 0, -1), 180);
    EXPECT_DOUBLE_EQ(DirectionAngle(0, 0, -1, 0), 270);
    EXPECT_NEAR(DirectionAngle(0, 0, -1, 1), 315, 1e-9);

    // Due north one way measures 0, a hair west of north nearly 360: the same direction.
    EXPECT_TRUE(IsPointOnSegment({10, 5}, {10, 0}, {9.99999, 10}));
    EXPECT_TRUE(IsPointOnSegment({3, 0}, {0, 0}, {10, 0}));
    EXPECT_TRUE(IsPointOnSegment({0, 0.00005}, {0, 0}, {10, 0})) << "within reach of an end";
    EXPECT_FALSE(IsPointOnSegment({12, 0}, {0, 0}, {10, 0})) << "beyond the end";
    EXPECT_FALSE(IsPointOnSegment({5, 1}, {0, 0}, {10, 0}));

    AcGePoint2dArray piece;
    ASSERT_TRUE(ExtractRingPiece(kSquare, {8, 0}, {8, 10}, piece));
    EXPECT_EQ(piece.length(), 4);
    EXPECT_TRUE(piece.first() == AcGePoint2d(8, 0) && piece[1] == AcGePoint2d(10, 0) && piece[2] == AcGePoint2d(10, 10) &&
                piece.last() == AcGePoint2d(8, 10));
    ASSERT_TRUE(ExtractRingPiece(kSquare, {2, 10}, {2, 0}, piece)) << "wrapping past the ring's start";
    EXPECT_TRUE(piece.length() == 4 && piece[1] == AcGePoint2d(0, 10) && piece[2] == AcGePoint2d(0, 0) &&
                piece.last() == AcGePoint2d(2, 0));
    ASSERT_TRUE(ExtractRingPiece(kSquare, {2, 0}, {7, 0}, piece)) << "both on one span";
    EXPECT_EQ(piece.length(), 2);
    piece.setLogicalLength(0);
    EXPECT_FALSE(ExtractRingPiece(kSquare, {2, 0}, {2, 0.00001}, piece));
    EXPECT_FALSE(ExtractRingPiece(kSquare, {2, 0}, {5, 5}, piece)) << "an end off the ring";
    EXPECT_EQ(piece.length(), 0) << "left alone";
}

TEST_F(AreaRingLines, LinesAndGapsRunAroundTheAreaInOrder)
{
    WrittenLines lines;
    const LONG top = Written(lines, Points({{8, 10}, {2, 10}}));
    const LONG bottom = Written(lines, Points({{2, 0}, {5, 0}, {8, 0}}));
    const LONG elsewhere = Written(lines, Points({{2, 0}, {2, -5}}));
    std::vector<LONG> ring;
    ASSERT_TRUE(BuildAreaRingLines(file_, Area(kSquare), lines, ring));
    ASSERT_EQ(ring.size(), 4u) << "line, gap, line, gap";
    EXPECT_EQ(ring[0], bottom);
    EXPECT_EQ(ring[2], top);
    EXPECT_TRUE(ring[1] > elsewhere && ring[3] > elsewhere);
    ExpectPoints(LinePoints(ring[1]), {{8, 0}, {10, 0}, {10, 10}, {8, 10}});
    ExpectPoints(LinePoints(ring[3]), {{2, 10}, {0, 10}, {0, 0}, {2, 0}});
    EXPECT_NEAR(RingArea(ring), 100, 1e-9);
    EXPECT_EQ(lines.size(), 5u) << "the gaps join the written lines";

    // An area along the first gap takes it and closes itself with one more line.
    std::vector<LONG> next;
    ASSERT_TRUE(BuildAreaRingLines(file_, Area(Points({{8, 0}, {10, 0}, {10, 10}, {8, 10}})), lines, next));
    ASSERT_EQ(next.size(), 2u);
    EXPECT_EQ(next[0], ring[1]);
    ExpectPoints(LinePoints(next[1]), {{8, 10}, {8, 0}});
}

TEST_F(AreaRingLines, SidesRunningNorthOrBackwardsAndWholeOutlines)
{
    // A hair west of north: the side's bearing is just under 360, a point on it may measure 0.
    const AcGePoint2dArray leaning = Points({{0, 0}, {10, 0}, {9.99999, 10}, {0, 10}});
    WrittenLines lines;
    const LONG north = Written(lines, Points({{10, 0}, {10, 5}}));
    const LONG backwards = Written(lines, Points({{6, 10}, {9.99999, 10}}));
    std::vector<LONG> ring;
    ASSERT_TRUE(BuildAreaRingLines(file_, Area(leaning), lines, ring));
    ASSERT_EQ(ring.size(), 4u);
    EXPECT_EQ(ring[0], north);
    EXPECT_EQ(ring[2], backwards) << "kept unsigned";
    // From the north line's end to the backward line's start.
    ExpectPoints(LinePoints(ring[1]), {{10, 5}, {9.99999, 10}});
    ExpectPoints(LinePoints(ring[3]), {{6, 10}, {0, 10}, {0, 0}, {10, 0}});

    // An outline already written whole is the whole ring, and no gap circles it.
    WrittenLines whole;
    const LONG outline = Written(whole, Points({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}));
    ASSERT_TRUE(BuildAreaRingLines(file_, Area(kSquare), whole, ring));
    EXPECT_EQ(ring, std::vector<LONG>{outline});

    // Touched by no line (one leaves the boundary at its far end): one new line, closed.
    WrittenLines stray;
    Written(stray, Points({{0, 0}, {5, 0}, {5, 3}}));
    ASSERT_TRUE(BuildAreaRingLines(file_, Area(kSquare), stray, ring));
    ASSERT_EQ(ring.size(), 1u);
    ExpectPoints(LinePoints(ring[0]), {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});

    // A gap that cannot be written leaves the ring unfinished.
    WrittenLines some;
    Written(some, Points({{2, 0}, {8, 0}}));
    EXPECT_FALSE(BuildAreaRingLines(0, Area(kSquare), some, ring));
}

}  // namespace
