#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "geometry/curve_vertex_editing.h"
#include "geometry/curve_vertex_readers.h"
#include "geometry/polygon_relation.h"
#include "geometry/vertex_cleanup.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_vertex.h"

namespace geometry {
namespace {

const double kQuarter = std::sqrt(2.0) - 1.0;

class CurveEditing : public ::testing::Test {
protected:
    void SetUp() override { acdbHostApplicationServices()->setWorkingDatabase(db_.get()); }
    void TearDown() override { acdbHostApplicationServices()->setWorkingDatabase(nullptr); }

    AcDbObjectId Add(AcDbEntity* entity) {
        AcDbBlockTableRecord* ms = nullptr;
        acdbOpenObject(ms, db_->modelSpaceId(), AcDb::kForWrite);
        AcDbObjectId id;
        ms->appendAcDbEntity(id, entity);
        ms->close();
        return id;
    }
    AcDbObjectId Lightweight(const PointList& points, const DoubleList& bulges, bool closed) {
        auto* lw = new AcDbPolyline;
        for (unsigned i = 0; i < points.size(); ++i) lw->addVertexAt(i, AcGePoint2d(points[i].x, points[i].y), bulges[i]);
        lw->setClosed(closed);
        const AcDbObjectId id = Add(lw);
        lw->close();
        return id;
    }
    AcDbObjectId Old2d(const PointList& points, const DoubleList& bulges, bool closed) {
        auto* polyline = new AcDb2dPolyline;
        if (closed) polyline->makeClosed();
        const AcDbObjectId id = Add(polyline);
        for (std::size_t i = 0; i < points.size(); ++i) {
            auto* v = new AcDb2dVertex(AcGePoint3d(points[i].x, points[i].y, 0), bulges[i]);
            polyline->appendVertex(v);
            v->close();
        }
        polyline->close();
        return id;
    }
    static void Read(AcDbObjectId id, PointList& points, DoubleList& bulges) {
        points.clear();
        bulges.clear();
        ASSERT_TRUE(ReadEntityVertices(id, points, bulges));
    }

    std::unique_ptr<AcDbDatabase> db_ = std::make_unique<AcDbDatabase>();
};

TEST_F(CurveEditing, HalfCircleSideSplitsIntoQuarterArcs) {
    const PointList dome{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    for (bool old : {false, true}) {
        for (double sense : {1.0, -1.0}) {
            const DoubleList bulges{0, 0, sense, 0};
            const AcDbObjectId id = old ? Old2d(dome, bulges, true) : Lightweight(dome, bulges, true);
            const Point2d middle{5, 10 + 5 * sense};
            EXPECT_EQ(InsertVertexAtPointOnCurve(id, middle), 3) << old;
            PointList points;
            DoubleList read;
            Read(id, points, read);
            ASSERT_EQ(points.size(), 5u);
            EXPECT_EQ(points[3], middle);
            EXPECT_NEAR(read[2], sense * kQuarter, 1e-12);
            EXPECT_NEAR(read[3], sense * kQuarter, 1e-12);
            // On a vertex, or off the curve: nothing inserted.
            EXPECT_EQ(InsertVertexAtPointOnCurve(id, {10, 0}), -1);
            EXPECT_EQ(InsertVertexAtPointOnCurve(id, {5, 5}), -1);
            // A straight side, the closing one included.
            EXPECT_EQ(InsertVertexAtPointOnCurve(id, {0, 4}), 5);
            Read(id, points, read);
            EXPECT_EQ(points.size(), 6u);
            EXPECT_EQ(read[5], 0.0);
        }
    }
}

TEST_F(CurveEditing, MoveVertexAndRefusals) {
    const AcDbObjectId lw = Lightweight({{0, 0}, {1, 0}, {1, 1}}, {0, 0, 0}, false);
    const AcDbObjectId old = Old2d({{0, 0}, {1, 0}, {1, 1}}, {0, 0, 0}, false);
    PointList points;
    DoubleList bulges;
    for (AcDbObjectId id : {lw, old}) {
        EXPECT_FALSE(MoveCurveVertex(id, 3, {5, 5}));
        EXPECT_FALSE(MoveCurveVertex(id, -1, {5, 5}));
        EXPECT_FALSE(MoveCurveVertex(id, 1, {std::nan(""), 5}));
        EXPECT_TRUE(MoveCurveVertex(id, 2, {2, 3}));
        Read(id, points, bulges);
        EXPECT_EQ(points, (PointList{{0, 0}, {1, 0}, {2, 3}}));
        // The ends of an open polyline stay.
        EXPECT_EQ(InsertVertexOnSegment(nullptr, points, bulges, 0, {0.5, 0}), -1);
    }
    auto* line = new AcDbLine(AcGePoint3d(0, 0, 1), AcGePoint3d(1, 0, 1));
    const AcDbObjectId lineId = Add(line);
    line->close();
    EXPECT_TRUE(MoveCurveVertex(lineId, 5, {4, 4}));
    AcDbLine* opened = nullptr;
    ASSERT_EQ(acdbOpenObject(opened, lineId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(opened->endPoint(), AcGePoint3d(4, 4, 1));
    opened->close();
    auto* circle = new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 0, 1), 1);
    const AcDbObjectId circleId = Add(circle);
    circle->close();
    EXPECT_FALSE(MoveCurveVertex(circleId, 0, {1, 1}));
    EXPECT_EQ(InsertVertexAtPointOnCurve(circleId, {1, 0}), -1);
}

TEST_F(CurveEditing, CloseAndDegenerateVertices) {
    // Doubles anywhere, at the start of an open polyline too: the ends stay.
    EXPECT_EQ(CloseVertexIndexes({{0, 0}, {0, 0.0005}, {5, 0}, {5, 0.0001}, {9, 9}}, false, 0.001),
              (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(CloseVertexIndexes({{0, 0}, {5, 0}, {5, 5}, {0, 0.0001}}, true, 0.001), (std::vector<std::size_t>{3}));
    EXPECT_TRUE(CloseVertexIndexes({{0, 0}, {0, 0.0001}, {0.0002, 0}}, true, 0.001).empty());
    EXPECT_TRUE(CloseVertexIndexes({{0, 0}, {0, 0.0001}}, false, 0.001).empty());

    for (bool old : {false, true}) {
        const PointList doubled{{0, 0}, {10, 0}, {10, 0.0004}, {10, 10}, {0, 10}, {0, 10.0002}};
        const DoubleList flat(doubled.size(), 0.0);
        const AcDbObjectId id = old ? Old2d(doubled, flat, true) : Lightweight(doubled, flat, true);
        int removed = -1;
        EXPECT_TRUE(RemoveCloseVertices(id, 0.001, &removed));
        EXPECT_EQ(removed, 2);
        PointList points;
        DoubleList bulges;
        Read(id, points, bulges);
        EXPECT_EQ(points, (PointList{{0, 0}, {10, 0.0004}, {10, 10}, {0, 10.0002}}));

        // A spike folding back on itself goes, a right angle stays; collinear vertices on request.
        const PointList spiky{{0, 0}, {5, 0}, {10, 0}, {10, 10}, {10, 15}, {10, 10.5}, {0, 10}};
        const AcDbObjectId s = old ? Old2d(spiky, DoubleList(7, 0.0), true) : Lightweight(spiky, DoubleList(7, 0.0), true);
        ads_name name;
        ASSERT_EQ(acdbGetAdsName(name, s), Acad::eOk);
        EXPECT_EQ(RemoveDegenerateVertices(name, 0.01, 0.001, false), 1);
        Read(s, points, bulges);
        EXPECT_EQ(points, (PointList{{0, 0}, {5, 0}, {10, 0}, {10, 10}, {10, 10.5}, {0, 10}}));
        EXPECT_EQ(RemoveDegenerateVertices(name, 0.01, 0.001, true), 2);
        Read(s, points, bulges);
        EXPECT_EQ(points, (PointList{{0, 0}, {10, 0}, {10, 10.5}, {0, 10}}));
    }
    // Never below a triangle.
    EXPECT_TRUE(DegenerateVertexIndexes({{0, 0}, {10, 0}, {5, 0}}, true, 0.01, 0.001, true).empty());
}

TEST_F(CurveEditing, PolygonRelationOfCurves) {
    const PointList square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const DoubleList flat(4, 0.0);
    const AcDbObjectId a = Lightweight(square, flat, true);
    const AcDbObjectId b = Old2d({{10, 0}, {20, 0}, {20, 10}, {10, 10}}, flat, true);
    const AcDbObjectId open = Lightweight(square, flat, false);
    const AcDbObjectId far = Lightweight({{30, 0}, {40, 0}, {40, 10}, {30, 10}}, flat, true);
    auto* circle = new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d(0, 0, 1), 2);
    const AcDbObjectId round = Add(circle);
    circle->close();
    EXPECT_EQ(PolygonRelationById(a, b), kRelationTouch);
    EXPECT_EQ(PolygonRelationById(a, open), kRelationNotClosed);
    EXPECT_EQ(PolygonRelationById(a, far), kRelationApart);
    EXPECT_EQ(PolygonRelationById(round, a), kRelationFirstInside);
    EXPECT_EQ(PolygonRelationById(a, round), kRelationSecondInside);
    EXPECT_EQ(PolygonRelationById(a, AcDbObjectId()), kRelationFirstUnreadable);
    ads_name na, nb;
    ASSERT_EQ(acdbGetAdsName(na, a), Acad::eOk);
    ASSERT_EQ(acdbGetAdsName(nb, round), Acad::eOk);
    EXPECT_EQ(PolygonRelationByName(na, nb), kRelationSecondInside);
    AcDbEntity* erased = nullptr;
    ASSERT_EQ(acdbOpenObject(erased, b, AcDb::kForWrite), Acad::eOk);
    erased->erase();
    erased->close();
    EXPECT_EQ(PolygonRelationById(a, b), kRelationFirstUnreadable);

    AcDbCurve* c1 = nullptr;
    AcDbCurve* c2 = nullptr;
    ASSERT_EQ(acdbOpenObject(c1, a, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(c2, round, AcDb::kForRead), Acad::eOk);
    AcGePoint3dArray meeting;
    EXPECT_TRUE(CurveIntersectionPoints(c1, c2, meeting, 0.001));
    EXPECT_EQ(meeting.length(), 0);
    c1->close();
    c2->close();
}

}  // namespace
}  // namespace geometry
