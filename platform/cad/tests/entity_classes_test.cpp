#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_arc.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_dimension.h"
#include "platform/cad/db_ellipse.h"
#include "platform/cad/db_hatch.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_region.h"
#include "platform/cad/db_spline.h"
#include "platform/cad/db_text.h"
#include "platform/cad/resbuf.h"
#include "test_drawing.h"

namespace {

constexpr double kPi = std::numbers::pi;

resbuf* Find(resbuf* rb, int code)
{
    for (; rb != nullptr; rb = rb->rbnext)
        if (rb->restype == code)
            return rb;
    return nullptr;
}

resbuf* ListOf(AcDbObjectId id)
{
    ads_name name;
    acdbGetAdsName(name, id);
    return acdbEntGet(name);
}

TEST(CadEntityClasses, DimensionsMeasureAndListTheirPoints)
{
    TestDrawing drawing;
    AcDbAlignedDimension aligned(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 4, 0), AcGePoint3d(0, 5, 0), "");
    AcDbRotatedDimension rotated(0, AcGePoint3d(0, 0, 0), AcGePoint3d(3, 4, 0), AcGePoint3d(0, 5, 0));
    EXPECT_DOUBLE_EQ(aligned.measurement(), 5);
    EXPECT_DOUBLE_EQ(rotated.measurement(), 3);
    AcDbObjectId id = drawing.Add(new AcDbAlignedDimension(AcGePoint3d(1, 1, 0), AcGePoint3d(4, 5, 0),
                                                           AcGePoint3d(0, 9, 0), "<>m"));
    resbuf* list = ListOf(id);
    EXPECT_STREQ(Find(list, 0)->resval.rstring, "DIMENSION");
    EXPECT_STREQ(Find(list, 1)->resval.rstring, "<>m");
    EXPECT_EQ(Find(list, 13)->resval.rpoint[0], 1);
    EXPECT_EQ(Find(list, 14)->resval.rpoint[1], 5);
    EXPECT_EQ(Find(list, 70)->resval.rint, 1);
    Find(list, 14)->resval.rpoint[0] = 7;
    ASSERT_EQ(acdbEntMod(list), RTNORM);
    acutRelRb(list);
    AcDbAlignedDimension* dim = nullptr;
    ASSERT_EQ(acdbOpenObject(dim, id, AcDb::kForRead), Acad::eOk);
    EXPECT_DOUBLE_EQ(dim->measurement(), 7.2111025509279782);
    dim->close();
}

TEST(CadEntityClasses, HatchLoopsRegionsAndTheirAreas)
{
    TestDrawing drawing;
    auto* hatch = new AcDbHatch;
    AcGePoint2dArray outer, hole;
    for (auto [x, y] : {std::pair{0.0, 0.0}, {10.0, 0.0}, {10.0, 10.0}, {0.0, 10.0}})
        outer.append(AcGePoint2d(x + 3400000, y + 500000));
    for (auto [x, y] : {std::pair{2.0, 2.0}, {4.0, 2.0}, {4.0, 4.0}, {2.0, 4.0}})
        hole.append(AcGePoint2d(x + 3400000, y + 500000));
    ASSERT_EQ(hatch->appendLoop(AcDbHatch::kExternal, outer, AcGeDoubleArray()), Acad::eOk);
    ASSERT_EQ(hatch->appendLoop(AcDbHatch::kDefault, hole, AcGeDoubleArray()), Acad::eOk);
    EXPECT_EQ(hatch->appendLoop(AcDbHatch::kDefault, AcGePoint2dArray(), AcGeDoubleArray()), Acad::eInvalidInput);
    double area = 0;
    hatch->getArea(area);
    EXPECT_NEAR(area, 96, 1e-6);
    AcDbObjectId id = drawing.Add(hatch);
    // The loops survive a definition-list round trip.
    resbuf* list = ListOf(id);
    ASSERT_EQ(acdbEntMod(list), RTNORM);
    acutRelRb(list);
    AcDbHatch* h = nullptr;
    ASSERT_EQ(acdbOpenObject(h, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(h->numLoops(), 2);
    h->getArea(area);
    EXPECT_NEAR(area, 96, 1e-6);
    EXPECT_TRUE(h->isSolidFill());
    h->close();

    AcDbCircle circle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 2);
    AcDbLine open(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    AcDbVoidPtrArray curves, regions;
    curves.append(&circle);
    curves.append(&open);
    ASSERT_EQ(AcDbRegion::createFromCurves(curves, regions), Acad::eOk);
    ASSERT_EQ(regions.length(), 1);  // the open line makes none
    auto* region = static_cast<AcDbRegion*>(regions[0]);
    region->getArea(area);
    double perimeter = 0;
    region->getPerimeter(perimeter);
    EXPECT_NEAR(area, 4 * kPi, 1e-9);
    EXPECT_NEAR(perimeter, 4 * kPi, 1e-9);
    delete region;
}

TEST(CadEntityClasses, BlockReferenceAttributesAndSubEntityProperties)
{
    TestDrawing drawing;
    AcDbBlockTable* blocks = nullptr;
    drawing.db()->getBlockTable(blocks, AcDb::kForWrite);
    auto* block = new AcDbBlockTableRecord;
    block->setName("TK");
    AcDbObjectId blockId;
    blocks->add(blockId, block);
    block->close();
    blocks->close();
    auto* ref = new AcDbBlockReference(AcGePoint3d(1, 1, 0), blockId);
    auto* a1 = new AcDbAttribute(AcGePoint3d(0, 0, 0), "501", "zdh");
    EXPECT_STREQ(a1->tagConst(), "ZDH");  // tags are upper case
    EXPECT_EQ(a1->setTag("has space"), Acad::eInvalidInput);
    ref->appendAttribute(a1);
    ref->appendAttribute(new AcDbAttribute(AcGePoint3d(0, 2, 0), "宗地", "QLR"));
    AcDbObjectId refId = drawing.Add(ref);
    AcDbBlockReference* r = nullptr;
    ASSERT_EQ(acdbOpenObject(r, refId, AcDb::kForWrite), Acad::eOk);
    std::string tags;
    AcDbObjectIterator* it = r->attributeIterator();
    for (it->start(); !it->done(); it->step()) {
        AcDbAttribute* attribute = nullptr;
        ASSERT_EQ(acdbOpenObject(attribute, it->objectId(), AcDb::kForRead), Acad::eOk);
        tags += std::string(attribute->tagConst()) + "=" + attribute->textStringConst() + ";";
        attribute->close();
    }
    delete it;
    EXPECT_EQ(tags, "ZDH=501;QLR=宗地;");
    // Colour to the sub-entities too, as the host does with doSubents.
    ASSERT_EQ(r->setColorIndex(1), Acad::eOk);
    AcDbSequenceEnd* end = nullptr;
    ASSERT_EQ(r->openSequenceEnd(end, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(end->colorIndex(), 1);
    end->close();
    r->close();
    ads_name name, next;
    acdbGetAdsName(name, refId);
    ASSERT_EQ(acdbEntNext(name, next), RTNORM);
    resbuf* list = acdbEntGet(next);
    EXPECT_STREQ(Find(list, 0)->resval.rstring, "ATTRIB");
    EXPECT_STREQ(Find(list, 2)->resval.rstring, "ZDH");
    EXPECT_EQ(Find(list, 62)->resval.rint, 1);
    // Text fields change through the list; an unknown style is refused.
    std::free(Find(list, 1)->resval.rstring);
    Find(list, 1)->resval.rstring = acutNewString("502");
    ASSERT_EQ(acdbEntMod(list), RTNORM);
    std::free(Find(list, 7)->resval.rstring);
    Find(list, 7)->resval.rstring = acutNewString("NO_STYLE");
    EXPECT_EQ(acdbEntMod(list), RTERROR);
    acutRelRb(list);
    list = acdbEntGet(next);
    EXPECT_STREQ(Find(list, 1)->resval.rstring, "502");
    EXPECT_STREQ(Find(list, 7)->resval.rstring, "Standard");
    acutRelRb(list);
}

TEST(CadEntityClasses, SplinesEllipsesAnd3dPolylines)
{
    TestDrawing drawing;
    AcGePoint3dArray cps;
    for (auto [x, y] : {std::pair{0.0, 0.0}, {1.0, 2.0}, {3.0, 2.0}, {4.0, 0.0}})
        cps.append(AcGePoint3d(x, y, 0));
    AcDbObjectId sid = drawing.Add(new AcDbSpline(3, false, false, false, cps, AcGeDoubleArray(), AcGeDoubleArray()));
    resbuf* list = ListOf(sid);
    ASSERT_EQ(acdbEntMod(list), RTNORM);  // knots and control points come back as they went
    acutRelRb(list);
    AcDbSpline* spline = nullptr;
    ASSERT_EQ(acdbOpenObject(spline, sid, AcDb::kForRead), Acad::eOk);
    AcGePoint3d mid, end;
    spline->getPointAtParam(0.5, mid);
    EXPECT_NEAR(mid.x, 2, 1e-12);
    EXPECT_NEAR(mid.y, 1.5, 1e-12);  // cubic Bezier: (0 + 3*2 + 3*2 + 0) / 8
    spline->getEndPoint(end);
    EXPECT_NEAR(end.x, 4, 1e-9);
    double param = 0;
    EXPECT_EQ(spline->getParamAtPoint(mid, param), Acad::eOk);
    spline->close();

    AcDbEllipse arc(AcGePoint3d(10, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(0, 3, 0), 0.5, 0, kPi);
    EXPECT_FALSE(arc.isClosed());
    AcDbExtents ext;
    ASSERT_EQ(arc.getGeomExtents(ext), Acad::eOk);
    EXPECT_NEAR(ext.minPoint().x, 8.5, 1e-3);  // the minor axis points to -x here
    EXPECT_NEAR(ext.maxPoint().x, 10, 1e-9);
    EXPECT_EQ(AcDbEllipse().set(AcGePoint3d(), AcGeVector3d::kZAxis, AcGeVector3d(1, 0, 0), 1.5), Acad::eInvalidInput);

    AcGePoint3dArray pts;
    pts.append(AcGePoint3d(0, 0, 0));
    pts.append(AcGePoint3d(3, 4, 12));
    pts.append(AcGePoint3d(3, 4, 0));
    AcDbObjectId pid = drawing.Add(new AcDb3dPolyline(AcDb::k3dSimplePoly, pts, true));
    AcDb3dPolyline* p3d = nullptr;
    ASSERT_EQ(acdbOpenObject(p3d, pid, AcDb::kForRead), Acad::eOk);
    double endParam = 0, length = 0;
    p3d->getEndParam(endParam);
    p3d->getDistAtParam(endParam, length);
    EXPECT_NEAR(length, 13 + 12 + 5, 1e-12);
    p3d->close();
    list = ListOf(pid);
    EXPECT_EQ(Find(list, 70)->resval.rint, 9);  // 3D, closed
    acutRelRb(list);
}

TEST(CadEntityClasses, CirclesAndArcsSplitIntoArcsAndOffsetOutwards)
{
    AcDbCircle circle(AcGePoint3d(3400000, 500000, 0), AcGeVector3d::kZAxis, 10);
    AcGeDoubleArray params;
    params.append(kPi / 2);
    params.append(kPi);
    AcDbVoidPtrArray pieces;
    ASSERT_EQ(circle.getSplitCurves(params, pieces), Acad::eOk);
    ASSERT_EQ(pieces.length(), 2);
    auto* quarter = AcDbArc::cast(static_cast<AcDbCurve*>(pieces[0]));
    auto* rest = AcDbArc::cast(static_cast<AcDbCurve*>(pieces[1]));
    ASSERT_NE(quarter, nullptr);
    ASSERT_NE(rest, nullptr);
    EXPECT_NEAR(quarter->startAngle(), kPi / 2, 1e-12);
    EXPECT_NEAR(quarter->endAngle(), kPi, 1e-12);
    EXPECT_NEAR(rest->startAngle(), kPi, 1e-12);
    EXPECT_NEAR(rest->endAngle(), kPi / 2, 1e-12);
    for (void* p : pieces)
        delete static_cast<AcDbCurve*>(p);
    pieces.removeAll();
    ASSERT_EQ(circle.getOffsetCurves(2, pieces), Acad::eOk);
    auto* bigger = AcDbCircle::cast(static_cast<AcDbCurve*>(pieces[0]));
    ASSERT_NE(bigger, nullptr);
    EXPECT_NEAR(bigger->radius(), 12, 1e-9);
    delete bigger;
    pieces.removeAll();
    EXPECT_EQ(circle.getOffsetCurves(-10, pieces), Acad::eDegenerateGeometry);

    // Two circles cross twice; a tangent line touches once.
    AcDbCircle other(AcGePoint3d(3400010, 500000, 0), AcGeVector3d::kZAxis, 10);
    AcGePoint3dArray hits;
    circle.intersectWith(&other, AcDb::kOnBothOperands, hits);
    ASSERT_EQ(hits.length(), 2);
    EXPECT_NEAR(hits[0].x, 3400005, 1e-8);
    EXPECT_NEAR(std::abs(hits[0].y - 500000), std::sqrt(75.0), 1e-8);
    AcDbLine tangent(AcGePoint3d(3399990, 500010, 0), AcGePoint3d(3400010, 500010, 0));
    hits.removeAll();
    circle.intersectWith(&tangent, AcDb::kOnBothOperands, hits);
    ASSERT_EQ(hits.length(), 1);
    EXPECT_NEAR(hits[0].x, 3400000, 1e-3);

    AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0));
    AcGePoint3d p;
    double param = 0;
    ASSERT_EQ(line.getPointAtDist(4, p), Acad::eOk);
    EXPECT_EQ(p.x, 4);
    EXPECT_EQ(line.getParamAtDist(11, param), Acad::eInvalidInput);
    ASSERT_EQ(line.getClosestPointTo(AcGePoint3d(15, 3, 0), p, true), Acad::eOk);
    EXPECT_EQ(p.x, 15);
    ASSERT_EQ(line.getClosestPointTo(AcGePoint3d(15, 3, 0), p), Acad::eOk);
    EXPECT_EQ(p.x, 10);
}

}  // namespace
