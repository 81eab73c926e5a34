// Parcels and boundary points drawn into the working drawing of a toolkit test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/layers.h"
#include "drawingutil/polyline_vertices.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_polyline.h"
#include "toolkit_fixture.h"

struct EntityName {
    ads_name value{};
    operator const std::int64_t*() const { return value; }
    operator std::int64_t*() { return value; }
};

class ParcelSceneTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    }

    static AcDbObjectId Add(AcDbEntity* entity, const char* layer, const char* code) {
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        AcDbBlockTableRecord* space = nullptr;
        AcDbObjectId id;
        EXPECT_EQ(acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(EnsureLayer(entity, layer), Acad::eOk);
        EXPECT_EQ(space->appendAcDbEntity(id, entity), Acad::eOk);
        entity->close();
        space->close();
        if (code != nullptr) SetEntityCode(Name(id), code);
        return id;
    }
    static EntityName Name(AcDbObjectId id) {
        EntityName name;
        EXPECT_EQ(acdbGetAdsName(name.value, id), Acad::eOk);
        return name;
    }
    // An old-style parcel (or a lightweight one) through the points, closed.
    static AcDbObjectId Parcel(const std::vector<AcGePoint2d>& points, bool lightweight = false,
                               const char* code = "300000") {
        if (lightweight) {
            auto* poly = new AcDbPolyline;
            for (std::size_t i = 0; i < points.size(); ++i) poly->addVertexAt(static_cast<unsigned>(i), points[i]);
            poly->setClosed(true);
            return Add(poly, "JZD", code);
        }
        AcGePoint3dArray pts;
        for (const AcGePoint2d& p : points) pts.append(AcGePoint3d(p.x, p.y, 0));
        return Add(new AcDb2dPolyline(AcDb::k2dSimplePoly, pts, 0, true), "JZD", code);
    }
    static AcDbObjectId BoundaryPoint(double x, double y) {
        return Add(new AcDbCircle(AcGePoint3d(x, y, 0), AcGeVector3d::kZAxis, 0.25), "JZP", "301000");
    }
    static AcDbObjectId SecondClassPoint(double x, double y) {
        return Add(new AcDbCircle(AcGePoint3d(x, y, 0), AcGeVector3d::kZAxis, 0.25), "GD", "301100");
    }
    static AcGePoint2dArray Points(AcDbObjectId id) {
        AcGePoint2dArray points;
        EXPECT_TRUE(GetCurvePoints(Name(id), points, 0));
        return points;
    }
    static AcGePoint2dArray List(std::initializer_list<AcGePoint2d> points) {
        AcGePoint2dArray list;
        for (const AcGePoint2d& p : points) list.append(p);
        return list;
    }
};
