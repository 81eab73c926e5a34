// A fresh working drawing for the tests of the area geometry, with coded polylines drawn by the
// drawing utility library and a view that shows none of them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "drawingutil/coded_entities.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/host_objects.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_database.h"
#include "platform/cad/selection.h"
#include "platform/cad/view_state.h"

class AreaDrawingTest : public ::testing::Test {
protected:
    AreaDrawingTest() : db_(std::make_unique<AcDbDatabase>())
    {
        previous_ = acdbHostApplicationServices()->workingDatabase();
        acdbHostApplicationServices()->setWorkingDatabase(db_.get());
        // Somewhere far from every test figure: the graphical selections must widen it themselves.
        auto& view = platform::cad::ViewOf();
        view.center = AcGePoint3d(-5000, -5000, 0);
        view.height = 10;
    }
    ~AreaDrawingTest() override
    {
        acdbHostApplicationServices()->setWorkingDatabase(previous_ == db_.get() ? nullptr : previous_);
    }

    struct Name {
        ads_name value{};
        operator const std::int64_t*() const { return value; }
    };
    static Name NameOf(AcDbObjectId id)
    {
        Name name;
        EXPECT_EQ(acdbGetAdsName(name.value, id), Acad::eOk);
        return name;
    }
    static AcGePoint2dArray Points(std::initializer_list<AcGePoint2d> list)
    {
        AcGePoint2dArray points;
        for (const AcGePoint2d& p : list)
            points.append(p);
        return points;
    }
    static AcDbObjectId Polyline(const AcGePoint2dArray& points, bool closed, const char* code,
                                 const char* layer = "JZD", double elevation = 0)
    {
        return CreateCodedPolyline(points, elevation, closed ? 1 : 0, code, 0, kLightweightPolyline, layer);
    }
    static AcDbObjectId Square(double x, double y, double size, const char* code, const char* layer = "JZD")
    {
        return Polyline(Points({{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}}), true, code, layer);
    }
    static std::vector<AcDbObjectId> Members(ads_name ss)
    {
        std::vector<AcDbObjectId> ids;
        Adesk::Int32 n = 0;
        acedSSLength(ss, &n);
        for (Adesk::Int32 i = 0; i < n; ++i) {
            ads_name e;
            AcDbObjectId id;
            acedSSName(ss, i, e);
            acdbGetObjectId(id, e);
            ids.push_back(id);
        }
        acedSSFree(ss);
        return ids;
    }

private:
    std::unique_ptr<AcDbDatabase> db_;
    AcDbDatabase* previous_ = nullptr;
};
