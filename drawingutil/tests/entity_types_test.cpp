#include <gtest/gtest.h>

#include <string>

#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_arc.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_dimension.h"
#include "platform/cad/db_ellipse.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_point.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_spline.h"
#include "platform/cad/db_text.h"

#include "drawing_fixture.h"
#include "drawingutil/entity_types.h"

namespace {

class EntityTypesTest : public DrawingTest {};

TEST_F(EntityTypesTest, ClassKindsByExactClassName)
{
    AcGePoint3d o(0, 0, 0), x(10, 0, 0);
    AcGePoint3dArray pts;
    pts.append(o);
    pts.append(x);
    pts.append(AcGePoint3d(10, 10, 0));
    AcGeDoubleArray knots;
    for (double k : {0.0, 0.0, 0.0, 1.0, 1.0, 1.0})
        knots.append(k);
    auto* lw = new AcDbPolyline;
    lw->addVertexAt(0, AcGePoint2d(0, 0));
    lw->addVertexAt(1, AcGePoint2d(1, 0));

    struct Case {
        AcDbEntity* entity;
        int kind;
        const char* dxf;
    };
    const Case cases[] = {
        {new AcDbPoint, 1, "POINT"},
        {new AcDbLine(o, x), 3, "LINE"},
        {lw, 4, "LWPOLYLINE"},
        {new AcDb2dPolyline(AcDb::k2dSimplePoly, pts), 5, "POLYLINE"},
        {new AcDb3dPolyline(AcDb::k3dSimplePoly, pts), 6, "POLYLINE"},
        {new AcDbText(o, "文字", AcDbObjectId::kNull, 2.0), 7, "TEXT"},
        {new AcDbEllipse(o, AcGeVector3d(0, 0, 1), AcGeVector3d(5, 0, 0), 0.5), 8, "ELLIPSE"},
        {new AcDbCircle(o, AcGeVector3d(0, 0, 1), 2.0), 9, "CIRCLE"},
        {new AcDbArc(o, 2.0, 0, 1.0), 10, "ARC"},
        {new AcDbAlignedDimension(o, x, AcGePoint3d(0, 5, 0)), 11, "DIMENSION"},
        {new AcDbRotatedDimension(0, o, x, AcGePoint3d(0, 5, 0)), -1, "DIMENSION"},
        {new AcDbSpline(2, false, false, false, pts, knots, AcGeDoubleArray{}), -1, "SPLINE"},
    };
    for (const Case& c : cases) {
        AcDbObjectId id = Add(c.entity);
        SCOPED_TRACE(c.dxf);
        EXPECT_EQ(ClassifyEntityClass(NameOf(id)), c.kind);
        std::string type;
        EXPECT_TRUE(GetEntityTypeName(NameOf(id), type));
        EXPECT_EQ(type, c.dxf);
    }

    ads_name missing = {0, 0};
    std::string type = "stale";
    EXPECT_EQ(ClassifyEntityClass(missing), -1);
    EXPECT_FALSE(GetEntityTypeName(missing, type));
    EXPECT_EQ(type, "");
    EXPECT_FALSE(IsCurve(missing));
}

TEST_F(EntityTypesTest, CastsAndCurveTestFollowDerivation)
{
    AcDbObjectId line = Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    AcDbObjectId text = Add(new AcDbText(AcGePoint3d(0, 0, 0), "a", AcDbObjectId::kNull, 1.0));
    EXPECT_TRUE(IsCurve(NameOf(line)));
    EXPECT_FALSE(IsCurve(NameOf(text)));

    AcDbObject* object = nullptr;
    ASSERT_EQ(acdbOpenAcDbObject(object, line, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(AsLine(object), object);
    EXPECT_EQ(AsEntity(object), object);
    EXPECT_EQ(AsCircle(object), nullptr);
    EXPECT_EQ(AsEntityText(object), nullptr);
    EXPECT_TRUE(IsKindOfClass(object, AcDbCurve::desc()));
    object->close();
    EXPECT_EQ(AsPolyline(nullptr), nullptr);

    // Only a block reference opens as one, and nothing else is left open.
    AcDbObjectId insert = Add(new AcDbBlockReference(AcGePoint3d(2, 3, 0), AcDbObjectId::kNull));
    AcDbBlockReference* reference = nullptr;
    ASSERT_EQ(OpenBlockReference(reference, insert, AcDb::kForRead), Acad::eOk);
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(reference->position(), AcGePoint3d(2, 3, 0));
    reference->close();
    EXPECT_EQ(OpenBlockReference(reference, line, AcDb::kForWrite), Acad::eNotThatKindOfClass);
    EXPECT_EQ(reference, nullptr);
    ASSERT_EQ(acdbOpenAcDbObject(object, line, AcDb::kForWrite), Acad::eOk) << "the line was closed again";
    object->close();
    EXPECT_NE(OpenBlockReference(reference, AcDbObjectId::kNull, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(reference, nullptr);
    EXPECT_FALSE(IsKindOfClass(nullptr, AcDbEntity::desc()));
}

}  // namespace
