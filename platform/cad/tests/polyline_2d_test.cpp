#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/resbuf.h"
#include "test_drawing.h"

namespace {

std::vector<AcDb::Vertex2dType> Kinds(const AcDb2dPolyline* p)
{
    std::vector<AcDb::Vertex2dType> kinds;
    for (const auto* v : p->vertices())
        kinds.push_back(v->vertexType());
    return kinds;
}

TEST(Cad2dPolyline, ConvertedLightweightPolylineKeepsIdHandleXDataAndGroup)
{
    TestDrawing drawing;
    ASSERT_EQ(acdbRegApp("miret"), RTNORM);
    auto* lw = new AcDbPolyline;
    lw->addVertexAt(0, AcGePoint2d(0, 0), 1);
    lw->addVertexAt(1, AcGePoint2d(2, 0), 0, 0.25, 0.5);
    lw->addVertexAt(2, AcGePoint2d(2, 3));
    lw->setClosed(true);
    lw->setElevation(7);
    AcDbObjectId id = drawing.Add(lw);
    AcDbHandle handle = id.handle();
    {
        AcDbPolyline* p = nullptr;
        ASSERT_EQ(acdbOpenObject(p, id, AcDb::kForWrite), Acad::eOk);
        resbuf* code = acutBuildList(1001, "miret", 1000, "300000", 0);
        p->setXData(code);
        acutRelRb(code);
        p->setColorIndex(3);
        p->close();
        AcDbDictionary* groups = nullptr;
        drawing.db()->getGroupDictionary(groups, AcDb::kForWrite);
        auto* group = new AcDbGroup;
        AcDbObjectId gid;
        groups->setAt("*", group, gid);
        group->append(id);
        group->close();
        groups->close();
    }
    double areaBefore = 0;
    {
        AcDbPolyline* p = nullptr;
        ASSERT_EQ(acdbOpenObject(p, id, AcDb::kForWrite), Acad::eOk);
        p->getArea(areaBefore);
        AcDb2dPolyline* p2d = nullptr;
        ASSERT_EQ(p->convertTo(p2d, true), Acad::eObjectToBeDeleted);
        ASSERT_NE(p2d, nullptr);
        EXPECT_EQ(p2d->objectId(), id);
        EXPECT_FALSE(p->isDatabaseResident());
        delete p;
        p2d->close();
    }
    AcDb2dPolyline* p2d = nullptr;
    ASSERT_EQ(acdbOpenObject(p2d, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(p2d->objectHandle(), handle);
    EXPECT_TRUE(p2d->isClosed());
    EXPECT_EQ(p2d->elevation(), 7);
    EXPECT_EQ(p2d->colorIndex(), 3);
    double area = 0;
    p2d->getArea(area);
    EXPECT_NEAR(area, areaBefore, 1e-12);
    auto vertices = p2d->vertices();
    ASSERT_EQ(vertices.size(), 3u);
    EXPECT_EQ(vertices[0]->bulge(), 1);
    EXPECT_EQ(vertices[1]->endWidth(), 0.5);
    EXPECT_TRUE(vertices[2]->isDatabaseResident());
    EXPECT_EQ(vertices[2]->ownerId(), id);
    resbuf* code = p2d->xData("MIRET");
    ASSERT_NE(code, nullptr);
    EXPECT_STREQ(code->rbnext->resval.rstring, "300000");
    acutRelRb(code);
    p2d->close();
    AcDbDictionary* groups = nullptr;
    drawing.db()->getGroupDictionary(groups, AcDb::kForRead);
    AcDbGroup* group = nullptr;
    AcDbObjectId gid;
    groups->getAt("*A1", gid);
    groups->close();
    ASSERT_EQ(acdbOpenObject(group, gid, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(group->has(id));
    group->close();
    ads_name name;
    acdbGetAdsName(name, id);
    resbuf* list = acdbEntGet(name);
    EXPECT_STREQ(list->rbnext->resval.rstring, "POLYLINE");
    acutRelRb(list);
    EXPECT_TRUE(drawing.db()->openObjectIds().isEmpty());
}

TEST(Cad2dPolyline, FitKindsAddVerticesOfTheirOwnAndStraighteningRemovesThem)
{
    TestDrawing drawing;
    AcGePoint3dArray pts;
    for (auto [x, y] : {std::pair{0.0, 0.0}, {10.0, 5.0}, {20.0, 0.0}, {30.0, 5.0}})
        pts.append(AcGePoint3d(x, y, 0));
    AcDbObjectId id = drawing.Add(new AcDb2dPolyline(AcDb::k2dQuadSplinePoly, pts));
    AcDb2dPolyline* p = nullptr;
    // A frame vertex keeps its id and XData through every change of kind.
    ASSERT_EQ(acdbRegApp("JZXDM"), RTNORM);
    ASSERT_EQ(acdbOpenObject(p, id, AcDb::kForRead), Acad::eOk);
    AcDbObjectIterator* walk = p->vertexIterator();
    walk->start();
    walk->step();
    AcDbObjectId frameVertex = walk->objectId();
    delete walk;
    p->close();
    AcDb2dVertex* fv = nullptr;
    ASSERT_EQ(acdbOpenObject(fv, frameVertex, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(fv->vertexType(), AcDb::k2dSplineCtlVertex);
    resbuf* code = acutBuildList(1001, "JZXDM", 1000, "J2", 0);
    fv->setXData(code);
    acutRelRb(code);
    fv->close();
    ASSERT_EQ(acdbOpenObject(p, id, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(p->polyType(), AcDb::k2dQuadSplinePoly);
    auto kinds = Kinds(p);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), AcDb::k2dSplineCtlVertex), 4);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), AcDb::k2dSplineFitVertex), 17);  // 2 spans x 8 + 1
    AcGePoint3d start, end;
    p->getStartPoint(start);
    p->getEndPoint(end);
    EXPECT_NEAR(start.x, 0, 1e-12);
    EXPECT_NEAR(end.x, 30, 1e-9);

    ASSERT_EQ(p->convertToPolyType(AcDb::k2dFitCurvePoly), Acad::eOk);
    kinds = Kinds(p);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), AcDb::k2dVertex), 4);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), AcDb::k2dCurveFitVertex), 3);
    for (std::size_t i = 0; i < kinds.size(); ++i)
        EXPECT_EQ(kinds[i], i % 2 == 0 ? AcDb::k2dVertex : AcDb::k2dCurveFitVertex) << "one after each but the last";
    // The fitted curve still passes through every original vertex.
    double param = 0;
    EXPECT_EQ(p->getParamAtPoint(AcGePoint3d(10, 5, 0), param), Acad::eOk);
    EXPECT_EQ(p->getParamAtPoint(AcGePoint3d(20, 0, 0), param), Acad::eOk);

    ASSERT_EQ(p->straighten(), Acad::eOk);
    kinds = Kinds(p);
    EXPECT_EQ(kinds, std::vector<AcDb::Vertex2dType>(4, AcDb::k2dVertex));
    EXPECT_EQ(p->vertices()[1]->objectId(), frameVertex);
    resbuf* kept = p->vertices()[1]->xData("JZXDM");
    ASSERT_NE(kept, nullptr);
    EXPECT_STREQ(kept->rbnext->resval.rstring, "J2");
    acutRelRb(kept);
    double length = 0, endParam = 0;
    p->getEndParam(endParam);
    p->getDistAtParam(endParam, length);
    EXPECT_NEAR(length, 3 * std::hypot(10, 5), 1e-9);
    p->close();

    // Inserting at the front, and erasing a vertex, as a vertex rewrite does.
    ASSERT_EQ(acdbOpenObject(p, id, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId newId;
    auto* front = new AcDb2dVertex(AcGePoint3d(-5, 0, 0));
    ASSERT_EQ(p->insertVertexAt(newId, AcDbObjectId(), front), Acad::eOk);
    front->close();
    AcDbObjectIterator* it = p->vertexIterator();
    it->start();
    EXPECT_EQ(it->objectId(), newId);
    it->step();
    AcDbObjectId second = it->objectId();
    delete it;
    p->close();
    AcDb2dVertex* v = nullptr;
    ASSERT_EQ(acdbOpenObject(v, second, AcDb::kForWrite), Acad::eOk);
    v->erase();
    v->close();
    ASSERT_EQ(acdbOpenObject(p, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(p->vertices().size(), 4u);
    EXPECT_EQ(p->vertices()[1]->position().x, 10);
    p->close();
}

}  // namespace
