// Reordering a polyline's own vertices keeps every segment (its arc and widths) and the vertices'
// extended data; the outline checks name their failures only when asked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_polyline.h"
#include "platform/ui/answer_source.h"
#include "testing/host_machine.h"

#include "drawing_fixture.h"
#include "drawingutil/curve_kinds.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/outline_checks.h"
#include "drawingutil/polyline_vertices.h"
#include "drawingutil/vertex_order.h"

namespace {

struct EntityName {
    ads_name value{};
    operator const std::int64_t*() const { return value; }
};

using Segment = std::tuple<double, double, double, double, double, double, double>;

// The drawn segments without regard to direction: each from its lower end, the bulge and widths
// turned with it.
std::vector<Segment> Segments(const AcGePoint2dArray& p, const std::vector<double>& bulge,
                              const std::vector<double>& sw, const std::vector<double>& ew, bool closed)
{
    std::vector<Segment> out;
    int n = p.length();
    for (int i = 0; i < (closed ? n : n - 1); ++i) {
        const AcGePoint2d& a = p[i];
        const AcGePoint2d& b = p[(i + 1) % n];
        auto k = static_cast<std::size_t>(i);
        if (std::tie(a.x, a.y) <= std::tie(b.x, b.y))
            out.emplace_back(a.x, a.y, b.x, b.y, bulge[k], sw[k], ew[k]);
        else
            out.emplace_back(b.x, b.y, a.x, a.y, -bulge[k], ew[k], sw[k]);
    }
    std::sort(out.begin(), out.end());
    return out;
}

class VertexOrderTest : public DrawingTest {
protected:
    AcDbObjectId Lightweight(const std::vector<AcGePoint2d>& points, const std::vector<double>& bulges, bool closed)
    {
        auto* poly = new AcDbPolyline;
        for (std::size_t i = 0; i < points.size(); ++i)
            poly->addVertexAt(static_cast<unsigned>(i), points[i], bulges[i], 0.1 * i, 0.1 * i + 0.05);
        poly->setClosed(closed);
        return Add(poly);
    }
    std::vector<Segment> LightweightSegments(AcDbObjectId id, AcGePoint2dArray* order = nullptr)
    {
        AcDbPolyline* poly = nullptr;
        EXPECT_EQ(acdbOpenObject(poly, id, AcDb::kForRead), Acad::eOk);
        AcGePoint2dArray p;
        std::vector<double> b, sw, ew;
        for (unsigned i = 0; i < poly->numVerts(); ++i) {
            AcGePoint2d q;
            double bulge = 0, s = 0, e = 0;
            poly->getPointAt(i, q);
            poly->getBulgeAt(i, bulge);
            poly->getWidthsAt(i, s, e);
            p.append(q);
            b.push_back(bulge);
            sw.push_back(s);
            ew.push_back(e);
        }
        bool closed = poly->isClosed();
        poly->close();
        if (order != nullptr)
            *order = p;
        return Segments(p, b, sw, ew, closed);
    }
    // A 2D polyline whose frame vertices carry a code each under "JZXDM".
    AcDbObjectId Coded2d(AcDb::Poly2dType type, const std::vector<AcGePoint3d>& points,
                         const std::vector<double>& bulges, bool closed)
    {
        AcGePoint3dArray pts;
        AcGeDoubleArray b;
        for (std::size_t i = 0; i < points.size(); ++i) {
            pts.append(points[i]);
            b.append(bulges[i]);
        }
        AcDbObjectId id = Add(new AcDb2dPolyline(AcDb::k2dSimplePoly, pts, 0, closed, 0, 0, &b));
        for (AcDbObjectId v : FrameIds(id))
            WriteEntityXData(v, "JZXDM", Label(Position(v)).c_str(), kXDataString, -1, false, false, false);
        if (type != AcDb::k2dSimplePoly) {
            AcDb2dPolyline* poly = nullptr;
            EXPECT_EQ(acdbOpenObject(poly, id, AcDb::kForWrite), Acad::eOk);
            poly->convertToPolyType(type);
            poly->close();
        }
        return id;
    }
    static std::string Label(const AcGePoint3d& p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
    static AcGePoint3d Position(AcDbObjectId vertex)
    {
        AcDb2dVertex* v = nullptr;
        EXPECT_EQ(acdbOpenObject(v, vertex, AcDb::kForRead), Acad::eOk);
        AcGePoint3d p = v->position();
        v->close();
        return p;
    }
    static std::vector<AcDbObjectId> FrameIds(AcDbObjectId id)
    {
        std::vector<AcDbObjectId> ids;
        AcDb2dPolyline* poly = nullptr;
        EXPECT_EQ(acdbOpenObject(poly, id, AcDb::kForRead), Acad::eOk);
        std::unique_ptr<AcDbObjectIterator> it(poly->vertexIterator());
        for (it->start(); !it->done(); it->step()) {
            AcDb2dVertex* v = nullptr;
            if (acdbOpenObject(v, it->objectId(), AcDb::kForRead) != Acad::eOk)
                continue;
            if (v->vertexType() == AcDb::k2dVertex || v->vertexType() == AcDb::k2dSplineCtlVertex)
                ids.push_back(it->objectId());
            v->close();
        }
        poly->close();
        return ids;
    }
    // Every frame vertex still carries the code written at its position.
    static void ExpectCodesWithPositions(AcDbObjectId id)
    {
        for (AcDbObjectId v : FrameIds(id)) {
            std::string code;
            EXPECT_TRUE(ReadEntityXData(v, "JZXDM", code, kXDataString, 0, false, false));
            EXPECT_EQ(code, Label(Position(v)));
        }
    }
    std::vector<Segment> FrameSegments(AcDbObjectId id, AcGePoint2dArray* order = nullptr)
    {
        AcGePoint2dArray p;
        AcGeDoubleArray b;
        EXPECT_TRUE(GetCurvePoints(NameOf(id), p, 0));
        EXPECT_TRUE(GetCurveBulges(NameOf(id), b, 0));
        std::vector<double> bulges(b.begin(), b.end()), zero(bulges.size(), 0.0);
        if (order != nullptr)
            *order = p;
        return Segments(p, bulges, zero, zero, GetCurveKind(NameOf(id), 1) >= kCurveClosedOffset);
    }
};

// The cases the drawn outlines below do not reach: a ring of two vertices, joined both ways, and
// the ends of a turned open list.
TEST(VertexSequence, SegmentSourcesOfTheOddCases)
{
    using drawingutil::SegmentSources;
    using drawingutil::VertexSequence;
    auto pair = SegmentSources(VertexSequence(2, 0, true, true), true, true);
    EXPECT_EQ(pair[0].old, 1);
    EXPECT_TRUE(pair[0].backward);
    EXPECT_EQ(pair[1].old, 0);
    EXPECT_EQ(VertexSequence(4, 1, false, false), (std::vector<int>{1, 2, 3, 0}));
    auto open = SegmentSources(VertexSequence(4, 1, false, false), false, false);
    EXPECT_EQ(open[0].old, 1);
    EXPECT_EQ(open[2].old, -1);
    EXPECT_EQ(open[3].old, -1);
}

TEST_F(VertexOrderTest, LightweightKeepsEverySegment)
{
    // Arcs on two sides, one of them the closing segment.
    AcDbObjectId ring = Lightweight({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {0.2, 0, -0.3, 0.4}, true);
    std::vector<Segment> before = LightweightSegments(ring);
    for (int start = 0; start < 4; ++start)
        for (bool reverse : {false, true}) {
            ASSERT_TRUE(ReorderPolylineVertices(NameOf(ring), start, reverse));
            AcGePoint2dArray order;
            EXPECT_EQ(LightweightSegments(ring, &order), before) << start << reverse;
        }
    // Reversed from the third vertex of the first order.
    AcDbObjectId square = Lightweight({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {0.5, 0, 0, 0}, true);
    ASSERT_TRUE(ReorderPolylineVertices(NameOf(square), 2, true));
    AcGePoint2dArray order;
    LightweightSegments(square, &order);
    EXPECT_EQ(order[0], AcGePoint2d(10, 10));
    EXPECT_EQ(order[1], AcGePoint2d(10, 0));
    EXPECT_EQ(order[2], AcGePoint2d(0, 0));
    AcDbPolyline* poly = nullptr;
    ASSERT_EQ(acdbOpenObject(poly, square, AcDb::kForRead), Acad::eOk);
    double bulge = 0;
    poly->getBulgeAt(1, bulge);
    poly->close();
    EXPECT_EQ(bulge, -0.5);

    // An open list reversed: the same segments, from its other end.
    AcDbObjectId open = Lightweight({{0, 0}, {5, 0}, {5, 5}}, {0.3, -0.1, 0.9}, false);
    std::vector<Segment> openBefore = LightweightSegments(open);
    ASSERT_TRUE(ReorderPolylineVertices(NameOf(open), 0, true));
    EXPECT_EQ(LightweightSegments(open, &order), openBefore);
    EXPECT_EQ(order[0], AcGePoint2d(5, 5));

    // Turned whole: read from the last vertex, closed or open.
    std::vector<Segment> squareBefore = LightweightSegments(square);
    ASSERT_TRUE(ReversePolylineVertices(NameOf(square)));
    EXPECT_EQ(LightweightSegments(square, &order), squareBefore);
    EXPECT_EQ(order[0], AcGePoint2d(0, 10));
    EXPECT_EQ(order[3], AcGePoint2d(10, 10));
    ASSERT_TRUE(ReversePolylineVertices(NameOf(open)));
    EXPECT_EQ(LightweightSegments(open, &order), openBefore);
    EXPECT_EQ(order[0], AcGePoint2d(0, 0));

    // Refused: a start outside the vertices, and what is no polyline.
    EXPECT_FALSE(ReorderPolylineVertices(NameOf(ring), 4, false));
    EXPECT_FALSE(ReorderPolylineVertices(NameOf(ring), -1, true));
    AcDbObjectId circle = Add(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1));
    EXPECT_FALSE(ReorderPolylineVertices(NameOf(circle), 1, false));
    EXPECT_FALSE(ReversePolylineVertices(NameOf(circle)));
}

TEST_F(VertexOrderTest, OldStylePolylinesKeepSegmentsAndVertexData)
{
    // A doubled vertex and arcs on both sides of it.
    AcDbObjectId simple = Coded2d(AcDb::k2dSimplePoly, {{0, 0, 0}, {10, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}},
                                  {0.25, 0, -0.4, 0, 0.1}, true);
    std::vector<Segment> before = FrameSegments(simple);
    for (int start : {3, 1, 0})
        for (bool reverse : {true, false}) {
            ASSERT_TRUE(ReorderPolylineVertices(NameOf(simple), start, reverse));
            EXPECT_EQ(FrameSegments(simple), before) << start << reverse;
            ExpectCodesWithPositions(simple);
        }
    AcGePoint2dArray last, turned;
    FrameSegments(simple, &last);
    ASSERT_TRUE(ReversePolylineVertices(NameOf(simple)));
    EXPECT_EQ(FrameSegments(simple, &turned), before);
    EXPECT_EQ(turned[0], last[4]) << "the last vertex comes first";
    ExpectCodesWithPositions(simple);

    // A fitted polyline is reordered on its frame and fitted again.
    AcDbObjectId fitted = Coded2d(AcDb::k2dFitCurvePoly, {{0, 0, 0}, {10, 0, 0}, {12, 8, 0}, {0, 10, 0}},
                                  {0, 0, 0, 0}, true);
    AcGePoint2dArray frameBefore;
    FrameSegments(fitted, &frameBefore);
    ASSERT_TRUE(ReorderPolylineVertices(NameOf(fitted), 2, true));
    AcGePoint2dArray frame;
    FrameSegments(fitted, &frame);
    ASSERT_EQ(frame.length(), 4);
    EXPECT_EQ(frame[0], frameBefore[2]);
    EXPECT_EQ(frame[1], frameBefore[1]);
    EXPECT_EQ(frame[3], frameBefore[3]);
    EXPECT_EQ(GetCurveKind(NameOf(fitted), 1), 12);
    AcGePoint2dArray curve;
    ASSERT_TRUE(GetCurvePoints(NameOf(fitted), curve, 1));
    EXPECT_GT(curve.length(), 4);
    ExpectCodesWithPositions(fitted);

    // Writing new points keeps the data of the vertices that stay.
    AcGePoint2dArray moved;
    moved.append(AcGePoint2d(10, 10));
    moved.append(AcGePoint2d(0, 0));
    moved.append(AcGePoint2d(5, -5));
    moved.append(AcGePoint2d(10, 0));
    SetPolylineVertices(NameOf(simple), moved);
    std::vector<AcDbObjectId> vertices = FrameIds(simple);
    ASSERT_EQ(vertices.size(), 4u);
    std::string code;
    EXPECT_TRUE(ReadEntityXData(vertices[0], "JZXDM", code, kXDataString, 0, false, false));
    EXPECT_EQ(code, Label(AcGePoint3d(10, 10, 0)));
    EXPECT_FALSE(ReadEntityXData(vertices[2], "JZXDM", code, kXDataString, 0, false, false));
}

class OutlineCheckTest : public dero::testing::HostMachineTest {
protected:
    OutlineCheckTest() : HostMachineTest("outline") {}
    void SetUp() override
    {
        HostMachineTest::SetUp();
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    }
    static EntityName Polyline(const char* code, std::vector<AcGePoint2d> points, bool closed)
    {
        auto* poly = new AcDbPolyline;
        for (std::size_t i = 0; i < points.size(); ++i)
            poly->addVertexAt(static_cast<unsigned>(i), points[i]);
        poly->setClosed(closed);
        return Coded(poly, code);
    }
    static EntityName Coded(AcDbEntity* entity, const char* code)
    {
        AcDbBlockTableRecord* ms = nullptr;
        AcDbObjectId id;
        EXPECT_EQ(acdbOpenObject(ms, acdbHostApplicationServices()->workingDatabase()->modelSpaceId(), AcDb::kForWrite),
                  Acad::eOk);
        EXPECT_EQ(ms->appendAcDbEntity(id, entity), Acad::eOk);
        entity->close();
        ms->close();
        EntityName name;
        acdbGetAdsName(name.value, id);
        SetEntityCode(name, code);
        return name;
    }
    static int Alerts() { return static_cast<int>(platform::ui::TranscriptLines().size()); }
};

TEST_F(OutlineCheckTest, EachFailureAlertsOnlyWhenAsked)
{
    auto parcel = Polyline("300000", {{0, 0}, {10, 0}, {10, 10}}, true);
    auto other = Polyline("300001", {{0, 0}, {10, 0}, {10, 10}}, true);
    auto open = Polyline("300000", {{0, 0}, {10, 0}, {10, 10}}, false);
    auto thin = Polyline("300000", {{0, 0}, {10, 0}}, true);
    auto circle = Coded(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1), "300000");
    platform::ui::ClearTranscript();
    for (int flag : {0, 2}) {
        EXPECT_TRUE(CheckParcelPolyline(parcel, flag));
        EXPECT_FALSE(CheckParcelPolyline(other, flag));
        EXPECT_FALSE(CheckParcelPolyline(open, flag));
        EXPECT_FALSE(CheckParcelPolyline(thin, flag));
        EXPECT_FALSE(CheckParcelPolyline(circle, flag));
    }
    EXPECT_EQ(Alerts(), 0);
    EXPECT_TRUE(CheckParcelPolyline(parcel, 1));
    EXPECT_EQ(Alerts(), 0);
    EXPECT_FALSE(CheckParcelPolyline(other, 1));
    EXPECT_TRUE(Logged("实体编码不对"));
    EXPECT_FALSE(CheckParcelPolyline(circle, 1));
    EXPECT_TRUE(Logged("请选择复合线"));
    EXPECT_FALSE(CheckParcelPolyline(open, 1));
    EXPECT_TRUE(Logged("复合线没有封闭"));
    EXPECT_FALSE(CheckParcelPolyline(thin, 1));
    EXPECT_TRUE(Logged("复合线顶点太少"));

    // The wider class takes every code beginning "30000", and only those.
    EXPECT_TRUE(CheckBoundaryPolyline(other, 0));
    EXPECT_FALSE(CheckBoundaryPolyline(Polyline("301000", {{0, 0}, {10, 0}, {10, 10}}, true), 0));
    EXPECT_FALSE(CheckBoundaryPolyline(Polyline("", {{0, 0}, {10, 0}, {10, 10}}, true), 0));
}

}  // namespace
