#include <gtest/gtest.h>

#include <memory>

#include "geometry/curve_vertex_readers.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_arc.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_vertex.h"

namespace geometry {
namespace {

AcDbObjectId Add(AcDbDatabase& db, AcDbEntity* entity) {
    AcDbBlockTableRecord* ms = nullptr;
    acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite);
    AcDbObjectId id;
    ms->appendAcDbEntity(id, entity);
    ms->close();
    return id;
}

TEST(CurveVertexReaders, PolylinesCirclesAndOtherCurves) {
    auto db = std::make_unique<AcDbDatabase>();
    acdbHostApplicationServices()->setWorkingDatabase(db.get());

    auto* lw = new AcDbPolyline;
    const double corners[4][2] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    for (unsigned i = 0; i < 4; ++i) lw->addVertexAt(i, AcGePoint2d(corners[i][0], corners[i][1]), i == 3 ? 0.5 : 0);
    lw->setClosed(true);
    const AcDbObjectId lwId = Add(*db, lw);
    lw->close();

    auto* fitted = new AcDb2dPolyline;
    const AcDbObjectId fittedId = Add(*db, fitted);
    const struct {
        double x;
        AcDb::Vertex2dType type;
    } kinds[] = {{0, AcDb::k2dSplineCtlVertex}, {1, AcDb::k2dSplineFitVertex}, {2, AcDb::k2dSplineCtlVertex},
                 {3, AcDb::k2dCurveFitVertex}, {4, AcDb::k2dVertex}};
    for (const auto& k : kinds) {
        auto* v = new AcDb2dVertex(AcGePoint3d(k.x, 1, 0), k.x / 10);
        v->setVertexType(k.type);
        fitted->appendVertex(v);
        v->close();
    }
    fitted->close();

    auto* poly3d = new AcDb3dPolyline;
    const AcDbObjectId poly3dId = Add(*db, poly3d);
    for (int i = 0; i < 3; ++i) {
        auto* v = new AcDb3dPolylineVertex(AcGePoint3d(i, 2, 7));
        if (i == 1) v->setVertexType(AcDb::k3dControlVertex);
        poly3d->appendVertex(v);
        v->close();
    }
    poly3d->close();

    auto* circle = new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d(0, 0, 1), 2);
    const AcDbObjectId circleId = Add(*db, circle);
    circle->close();
    auto* arc = new AcDbArc(AcGePoint3d(0, 0, 0), 1, 0, 1);
    const AcDbObjectId arcId = Add(*db, arc);
    arc->close();

    PointList points;
    DoubleList bulges;
    ASSERT_TRUE(ReadEntityVertices(lwId, points, bulges));
    EXPECT_EQ(points, (PointList{{0, 0}, {4, 0}, {4, 4}, {0, 4}}));
    EXPECT_EQ(bulges, (DoubleList{0, 0, 0, 0.5}));  // the closing segment's bulge is the last

    points.clear();
    bulges.clear();
    ads_name name;
    ASSERT_EQ(acdbGetAdsName(name, fittedId), Acad::eOk);
    ASSERT_TRUE(ReadEntityVerticesByName(name, points, bulges));
    EXPECT_EQ(points, (PointList{{1, 1}, {3, 1}, {4, 1}}));
    EXPECT_EQ(bulges, (DoubleList{0.1, 0.3, 0.4}));

    points.clear();
    ASSERT_TRUE(ReadEntityPoints(poly3dId, points));
    EXPECT_EQ(points, (PointList{{0, 2}, {2, 2}}));
    AcDbEntity* opened = nullptr;
    ASSERT_EQ(acdbOpenObject(opened, poly3dId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(As3dPolyline(opened), opened);
    opened->close();
    EXPECT_EQ(As3dPolyline(static_cast<AcRxObject*>(nullptr)), nullptr);
    ASSERT_EQ(acdbOpenObject(opened, lwId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(As3dPolyline(opened), nullptr);
    opened->close();

    points.clear();
    bulges.clear();
    ASSERT_TRUE(ReadEntityVertices(circleId, points, bulges));
    EXPECT_EQ(points, (PointList{{3, 1}, {-1, 1}}));
    EXPECT_EQ(bulges, (DoubleList{1, 1}));
    EXPECT_FALSE(ReadEntityPoints(circleId, points));
    EXPECT_FALSE(ReadEntityVertices(arcId, points, bulges));
    EXPECT_FALSE(ReadEntityPoints(AcDbObjectId(), points));

    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

}  // namespace
}  // namespace geometry
