// The points on "GD" get, batch by batch, the codes a walk over every parcel and every point of
// the drawing would give them, on generated towns coded district by district.
#include <gtest/gtest.h>

#include <map>

#include "cadastral/boundary_line_coding.h"
#include "coding_scene.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/polygon_selection.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/selection.h"

namespace {

using namespace cadastral;

std::vector<AcDbObjectId> SelectAll(const char* type, const char* layer) {
    std::vector<AcDbObjectId> ids;
    drawingutil::Chain filter(acutBuildList(RTDXF0, type, 8, layer, RTNONE));
    ads_name set{};
    if (acedSSGet("X", nullptr, nullptr, filter.get(), set) != RTNORM)
        return ids;
    Adesk::Int32 n = 0;
    acedSSLength(set, &n);
    for (Adesk::Int32 i = 0; i < n; ++i) {
        ads_name member{};
        AcDbObjectId id;
        if (acedSSName(set, i, member) == RTNORM && acdbGetObjectId(id, member) == Acad::eOk)
            ids.push_back(id);
    }
    acedSSFree(set);
    return ids;
}

// Every parcel in drawing order, every side along it, every uncoded point near it.
void WalkEveryParcel(BoundaryLineCoder& coder) {
    const std::vector<AcDbObjectId> points = SelectAll("POINT", "GD");
    for (AcDbObjectId parcelId : SelectAll("POLYLINE", "JZD")) {
        EntityName parcel;
        acdbGetAdsName(parcel.value, parcelId);
        std::string code;
        GetEntityCode(parcel, code);
        AcGePoint2dArray ring;
        if (code != "300000" || !GetCurvePoints(parcel, ring, 0) || ring.length() < 2)
            continue;
        ring.append(ring[0]);
        for (int k = 0; k + 1 < ring.length(); ++k) {
            AcGePoint2d middle((ring[k].x + ring[k + 1].x) / 2, (ring[k].y + ring[k + 1].y) / 2);
            ParcelSegment own, neighbour;
            AcDbObjectId neighbourParcel;
            if (!coder.FindSharedSegment(parcel, middle, own, neighbour, neighbourParcel) ||
                own.vertex.isNull())
                continue;
            std::string lineCode;
            ReadEntityXData(own.vertex, "JZXDM", lineCode, kXDataString, 0, false, false);
            if (lineCode.empty())
                continue;
            for (AcDbObjectId pointId : points) {
                drawingutil::Opened<AcDbPoint> point(pointId, AcDb::kForRead);
                if (!point)
                    continue;
                AcGePoint3d at = point->position();
                point.close();
                std::string had;
                ReadEntityXData(pointId, "JZXDM", had, kXDataString, 0, false, false);
                if (had.empty() && PointNearSegment(at, ring[k], ring[k + 1])) {
                    ads_name name{};
                    acdbGetAdsName(name, pointId);
                    SetXData(name, "JZXDM", kXDataString, lineCode.c_str());
                }
            }
        }
    }
}

class LinePointsWalkTest : public CodingSceneTest {};

TEST_F(LinePointsWalkTest, BatchWalkGivesTheCodesOfAWalkOverEverything) {
    for (std::uint64_t seed : {3u, 17u}) {
        makedrawing::Options options;
        options.parcels = 36;
        options.seed = seed;
        options.lightweightParcels = 0.3;
        options.linePoints = 0.6;
        makedrawing::TownPlan plan = makedrawing::PlanTown(options, {"141100"});
        // Points by corners, near two sides of each parcel meeting there.
        for (std::size_t i = 0; i < plan.parcels.size(); i += 2) {
            const makedrawing::Point2& corner = plan.parcels[i].ring[1];
            plan.linePoints.push_back({corner.x - 0.03, corner.y + 0.04});
        }
        std::map<std::string, std::string> codes[2];
        for (int plain = 0; plain < 2; ++plain) {
            ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
            makedrawing::DrawTown(plan);
            acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
            BoundaryPointIndex index;
            BoundaryLineCoder coder(&index);
            int district = 0;
            for (AcDbObjectId districtId : SelectAll("LWPOLYLINE", "DJZQ")) {
                AcGePoint2dArray ring;
                ASSERT_TRUE(GetCurvePoints(Name(districtId), ring, 0));
                ads_name inside{};
                ASSERT_TRUE(SelectByPolygon(ring, inside, "CP", 1.0, 1));
                std::int32_t counter = 0;
                const std::string prefix = "P" + std::to_string(++district);
                Adesk::Int32 n = 0;
                acedSSLength(inside, &n);
                for (Adesk::Int32 i = 0; i < n; ++i) {
                    ads_name member{};
                    std::string type, code;
                    acedSSName(inside, i, member);
                    GetEntityCode(member, code);
                    if (code == "300000" && GetEntityTypeName(member, type) &&
                        type.find("POLYLINE") != std::string::npos)
                        coder.CodeParcel(member, prefix, "", counter);
                }
                acedSSFree(inside);
                if (plain == 0)
                    coder.CodeLinePoints();
                else
                    WalkEveryParcel(coder);
            }
            for (AcDbObjectId point : SelectAll("POINT", "GD"))
                codes[plain][point.handle().text()] = Value(point, "JZXDM");
        }
        ASSERT_EQ(codes[0].size(), codes[1].size());
        int coded = 0;
        for (const auto& [handle, code] : codes[1])
            coded += !code.empty();
        EXPECT_GT(coded, static_cast<int>(codes[1].size()) * 3 / 4) << "seed " << seed;
        EXPECT_EQ(codes[0], codes[1]) << "seed " << seed;
    }
}

}  // namespace
