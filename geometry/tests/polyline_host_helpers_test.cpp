#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "geometry/point_list_offset.h"
#include "geometry/polyline_closed_flag.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_polyline.h"

namespace geometry {
namespace {

bool NameOf(AcDbDatabase& db, AcDbEntity* entity, ads_name name) {
    AcDbBlockTableRecord* ms = nullptr;
    acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite);
    AcDbObjectId id;
    ms->appendAcDbEntity(id, entity);
    ms->close();
    entity->close();
    return acdbGetAdsName(name, id) == Acad::eOk;
}

TEST(PolylineHostHelpers, ClosedFlag) {
    auto db = std::make_unique<AcDbDatabase>();
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    auto* closed = new AcDbPolyline;
    closed->addVertexAt(0, AcGePoint2d(0, 0));
    closed->addVertexAt(1, AcGePoint2d(1, 0));
    closed->addVertexAt(2, AcGePoint2d(1, 1));
    closed->setClosed(true);
    auto* open = new AcDbPolyline;
    open->addVertexAt(0, AcGePoint2d(0, 0));
    open->addVertexAt(1, AcGePoint2d(1, 0));
    ads_name closedName, openName, circleName;
    ASSERT_TRUE(NameOf(*db, closed, closedName));
    ASSERT_TRUE(NameOf(*db, open, openName));
    ASSERT_TRUE(NameOf(*db, new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 0, 1), 1), circleName));
    EXPECT_TRUE(IsPolylineClosed(closedName));
    EXPECT_FALSE(IsPolylineClosed(openName));
    EXPECT_FALSE(IsPolylineClosed(circleName));  // no group 70
    const ads_name nothing = {0, 0};
    EXPECT_FALSE(IsPolylineClosed(nothing));
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

TEST(PolylineHostHelpers, OffsetPointListMovesEitherRingInwards) {
    const PointList square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const PointList inner{{1, 1}, {9, 1}, {9, 9}, {1, 9}};
    auto sameCorners = [](PointList got, PointList want) {
        auto less = [](const Point2d& a, const Point2d& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); };
        std::sort(got.begin(), got.end(), less);
        std::sort(want.begin(), want.end(), less);
        if (got.size() != want.size()) return false;
        for (std::size_t i = 0; i < got.size(); ++i)
            if (std::abs(got[i].x - want[i].x) > 1e-9 || std::abs(got[i].y - want[i].y) > 1e-9) return false;
        return true;
    };

    PointList ring = square;
    ASSERT_TRUE(OffsetPointList(ring, 1, 0.001, true));
    EXPECT_TRUE(sameCorners(ring, inner));
    ring.assign(square.rbegin(), square.rend());  // clockwise: the same sign, the same side
    ASSERT_TRUE(OffsetPointList(ring, 1, 0.001, true));
    EXPECT_TRUE(sameCorners(ring, inner));

    ring = square;
    EXPECT_TRUE(OffsetPointList(ring, 0, 0.001, true));
    EXPECT_EQ(ring, square);
    PointList two{{0, 0}, {1, 0}};
    EXPECT_FALSE(OffsetPointList(two, 1, 0.001, true));
    EXPECT_EQ(two.size(), 2u);
}

}  // namespace
}  // namespace geometry
