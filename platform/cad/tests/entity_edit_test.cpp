#include <gtest/gtest.h>

#include <string>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_text.h"
#include "platform/cad/resbuf.h"
#include "test_drawing.h"

namespace {

resbuf* Find(resbuf* rb, int code)
{
    for (; rb != nullptr; rb = rb->rbnext)
        if (rb->restype == code)
            return rb;
    return nullptr;
}

// Moves the first group 10 of an entity's list and writes the list back, as product code moves
// an entity's base point.
int MoveFirstPoint(AcDbObjectId id, double x, double y)
{
    ads_name name;
    acdbGetAdsName(name, id);
    resbuf* list = acdbEntGet(name);
    resbuf* point = Find(list, 10);
    point->resval.rpoint[0] = x;
    point->resval.rpoint[1] = y;
    int rc = acdbEntMod(list);
    acutRelRb(list);
    return rc;
}

TEST(CadEntityEdit, TheFirstPointOfAListIsTheEntitysBasePoint)
{
    TestDrawing drawing;
    auto* lw = new AcDbPolyline;
    lw->addVertexAt(0, AcGePoint2d(0, 0), 0.5, 0.3, 0.3);
    lw->addVertexAt(1, AcGePoint2d(10, 0), 0, 0.3, 0.3);
    AcDbObjectId lwId = drawing.Add(lw);
    ASSERT_EQ(MoveFirstPoint(lwId, 3400000, 500000), RTNORM);
    AcDbPolyline* p = nullptr;
    ASSERT_EQ(acdbOpenObject(p, lwId, AcDb::kForRead), Acad::eOk);
    AcGePoint2d v0, v1;
    double bulge = 0, sw = 0, ew = 0;
    p->getPointAt(0, v0);
    p->getPointAt(1, v1);
    p->getBulgeAt(0, bulge);
    p->getWidthsAt(1, sw, ew);
    EXPECT_EQ(v0.x, 3400000);
    EXPECT_EQ(v1.x, 10);  // only the first vertex moved
    EXPECT_EQ(bulge, 0.5);
    EXPECT_EQ(ew, 0.3);
    p->close();

    // Group 40 first in the list: a lightweight polyline's first start width; a 2D polyline's
    // default width.
    ads_name name;
    acdbGetAdsName(name, lwId);
    resbuf* list = acdbEntGet(name);
    EXPECT_EQ(Find(list, 40)->resval.rreal, 0.3);
    acutRelRb(list);
    AcGePoint3dArray pts;
    pts.append(AcGePoint3d(0, 0, 0));
    pts.append(AcGePoint3d(1, 1, 0));
    AcDbObjectId p2dId = drawing.Add(new AcDb2dPolyline(AcDb::k2dSimplePoly, pts, 5, true, 0.7, 0.7));
    acdbGetAdsName(name, p2dId);
    list = acdbEntGet(name);
    EXPECT_EQ(Find(list, 40)->resval.rreal, 0.7);
    EXPECT_EQ(Find(list, 70)->resval.rint & 1, 1);
    // A 2D polyline's 10 carries its elevation.
    Find(list, 10)->resval.rpoint[2] = 9;
    ASSERT_EQ(acdbEntMod(list), RTNORM);
    acutRelRb(list);
    AcDb2dPolyline* p2d = nullptr;
    ASSERT_EQ(acdbOpenObject(p2d, p2dId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(p2d->elevation(), 9);
    AcGePoint3d start;
    p2d->getStartPoint(start);
    EXPECT_EQ(start.z, 9);
    p2d->close();

    // An aligned text follows its alignment point, not 10.
    auto* text = new AcDbText(AcGePoint3d(0, 0, 0), "AB", AcDbObjectId(), 1);
    text->setHorizontalMode(AcDb::kTextCenter);
    text->setAlignmentPoint(AcGePoint3d(50, 50, 0));
    AcDbObjectId textId = drawing.Add(text);
    ASSERT_EQ(MoveFirstPoint(textId, 0, 0), RTNORM);
    AcDbText* t = nullptr;
    ASSERT_EQ(acdbOpenObject(t, textId, AcDb::kForRead), Acad::eOk);
    EXPECT_NEAR(t->position().x, 50 - 0.6, 1e-12);
    t->close();
    auto* left = new AcDbText(AcGePoint3d(1, 1, 0), "L", AcDbObjectId(), 1);
    AcDbObjectId leftId = drawing.Add(left);
    ASSERT_EQ(MoveFirstPoint(leftId, 7, 8), RTNORM);
    ASSERT_EQ(acdbOpenObject(t, leftId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(t->position().y, 8);
    t->close();
}

TEST(CadEntityEdit, BadListsAreRefusedWithoutChange)
{
    TestDrawing drawing;
    auto* lw = new AcDbPolyline;
    lw->addVertexAt(0, AcGePoint2d(0, 0));
    lw->addVertexAt(1, AcGePoint2d(1, 0));
    AcDbObjectId id = drawing.Add(lw);
    ads_name name;
    acdbGetAdsName(name, id);
    resbuf* list = acdbEntGet(name);
    // Wrong type name, negative width, a string where a name belongs.
    std::free(Find(list, 0)->resval.rstring);
    Find(list, 0)->resval.rstring = acutNewString("LINE");
    EXPECT_EQ(acdbEntMod(list), RTERROR);
    std::free(Find(list, 0)->resval.rstring);
    Find(list, 0)->resval.rstring = acutNewString("lwpolyline");
    Find(list, 41)->resval.rreal = -1;
    EXPECT_EQ(acdbEntMod(list), RTERROR);
    Find(list, 41)->resval.rreal = 0;
    resbuf* owner = Find(list, 330);
    owner->resval.rlname[0] = 424242;  // a name of no drawing
    EXPECT_EQ(acdbEntMod(list), RTERROR);
    acutRelRb(list);
    // Open elsewhere for write: refused, not waited for.
    AcDbPolyline* open = nullptr;
    ASSERT_EQ(acdbOpenObject(open, id, AcDb::kForWrite), Acad::eOk);
    list = acdbEntGet(name);
    EXPECT_EQ(acdbEntMod(list), RTERROR);
    acutRelRb(list);
    open->close();
    EXPECT_EQ(acdbEntMod(nullptr), RTERROR);
    resbuf* noName = acutBuildList(0, "LINE", 0);
    EXPECT_EQ(acdbEntMod(noName), RTERROR);
    acutRelRb(noName);
    // An erased entity cannot be modified, and its list is not given.
    ASSERT_EQ(acdbEntDel(name), RTNORM);
    EXPECT_EQ(acdbEntGet(name), nullptr);
}

}  // namespace
