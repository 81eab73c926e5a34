// A generated town with straight street sides, cut against the neighbours the host selects around
// each parcel (the export's cut files the same lines) and measured parcel by parcel, against GEOS: the shared lines must cover the noded parcel boundaries exactly once, each
// parcel's signed lines must run around it, and each footprint must be the houses' area inside.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "area_drawing.h"
#include "drawingutil/curve_kinds.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/polyline_vertices.h"
#include "geos_reference.h"
#include "gisexchange/boundary_cutting.h"
#include "gisexchange/parcel_measures.h"
#include "gisexchange/shared_lines.h"
#include "gisexchange/sorted_ids.h"
#include "platform/cad/system_variables.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

using namespace gisexchange;

struct Outline {
    AcDbObjectId id;
    AcGePoint2dArray ring;
};

class TownAreas : public AreaDrawingTest {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder_.path().empty());
        const std::string town = folder_.path() + "/town.dxf";
        const std::string make = "'" MAKEDRAWING_PROGRAM "' --seed 36 --parcels 80 --straight-sides"
                                 " --houses-across-boundaries 0.3 --codes '" DERO_SOURCE_DIR
                                 "/samples/support/index.ini' --out '" + town + "' --report '" +
                                 folder_.path() + "/faults.json'";
        ASSERT_EQ(std::system(make.c_str()), 0);
        report_ = dero::testing::ReadFile(folder_.path() + "/faults.json");
        ASSERT_EQ(acdbHostApplicationServices()->workingDatabase()->readDwgFile(town.c_str()), Acad::eOk);
        resbuf scale{};
        scale.restype = RTREAL;
        scale.resval.rreal = 500;
        acedSetVar("USERR1", &scale);

        ads_name all{};
        ASSERT_EQ(acedSSGet("X", nullptr, nullptr, nullptr, all), RTNORM);
        for (AcDbObjectId id : Members(all)) {
            std::string code;
            GetEntityCode(NameOf(id), code);
            bool closed = GetCurveKind(NameOf(id), 1) >= kCurveClosedOffset;
            Outline outline{id, {}};
            GetCurvePoints(NameOf(id), outline.ring, 0);
            if (code == "300000" && closed)
                parcels_.push_back(outline);
            else if (code.rfind("1411", 0) == 0 && closed)
                houses_.push_back(outline);
        }
    }

    dero::testing::TempFolder folder_{"town_areas"};
    std::string report_;
    std::vector<Outline> parcels_;
    std::vector<Outline> houses_;
};

double Length(const AcGePoint2dArray& line, bool closed)
{
    double length = 0;
    for (int i = 1; i < line.length(); ++i)
        length += line[i - 1].distanceTo(line[i]);
    if (closed && line.length() > 1)
        length += line.last().distanceTo(line.first());
    return length;
}

TEST_F(TownAreas, SharedLinesCoverTheNodedBoundariesOnce)
{
    ASSERT_EQ(parcels_.size(), 80u);
    std::vector<AcDbObjectId> ids;
    std::vector<AcGePoint2dArray> rings;
    for (const Outline& parcel : parcels_) {
        ids.push_back(parcel.id);
        rings.push_back(parcel.ring);
    }
    const SortedIdSet category = BuildSortedIdSet(ids);
    SharedLineSet set;
    set.keepContributors = true;
    std::vector<std::vector<int>> refs;
    for (const Outline& parcel : parcels_) {
        BoundaryCurveRecord record = LoadBoundaryCurve(NameOf(parcel.id), false);
        ads_name near{};
        if (record.vertices.length() >= 3 && SelectBoundaryCurves(NameOf(parcel.id), near)) {
            for (AcDbObjectId other : Members(near)) {
                int index = 0;
                if (FindSortedId(category, other, index))
                    MarkCurveIntersections(record, NameOf(other));
            }
        }
        SplitCurveAtBreaks(record, set, 0);
        refs.push_back(record.lineRefs);
    }

    // Nothing stored twice, nothing missing: the same length as GEOS's dissolved boundaries, and
    // each covering the other.
    double ours = 0;
    for (const AcGePoint2dArray& line : set.lines)
        ours += Length(line, false);
    double expected = reference::GeosDissolvedLength(rings, true);
    EXPECT_NEAR(ours, expected, 1e-6 * expected);
    EXPECT_LT(reference::GeosUncoveredLength(rings, true, set.lines, false), 1e-6);
    EXPECT_LT(reference::GeosUncoveredLength(set.lines, false, rings, true), 1e-6);
    std::size_t shared = 0;
    for (const auto& contributors : set.contributors)
        shared += contributors.size() == 2 ? 1 : 0;
    EXPECT_GT(shared, parcels_.size()) << "neighbours share their sides";

    // Each parcel's signed lines run around its ring, end to start.
    for (std::size_t p = 0; p < parcels_.size(); ++p) {
        ASSERT_FALSE(refs[p].empty());
        AcGePoint2dArray walked;
        for (int ref : refs[p]) {
            ASSERT_NE(ref, 0);
            AcGePoint2dArray line = set.lines[static_cast<std::size_t>(std::abs(ref) - 1)];
            if (ref < 0)
                line.reverse();
            if (!walked.isEmpty()) {
                EXPECT_LT(walked.last().distanceTo(line.first()), 1e-5) << "parcel " << p;
            }
            walked.append(line);
        }
        EXPECT_LT(walked.first().distanceTo(walked.last()), 1e-5) << "parcel " << p;
        EXPECT_NEAR(Length(walked, false), Length(parcels_[p].ring, true), 1e-6) << "parcel " << p;
    }
}

TEST_F(TownAreas, FootprintsCountTheHousesPartsInside)
{
    ASSERT_NE(report_.find("\"house_across_boundary\": "), std::string::npos);
    ASSERT_EQ(report_.find("\"house_across_boundary\": 0,"), std::string::npos) << "the town has crossing houses";
    int crossed = 0;
    for (const Outline& parcel : parcels_) {
        double expected = 0;
        int partly = 0;
        for (const Outline& house : houses_) {
            double inside = reference::GeosIntersectionArea(house.ring, parcel.ring);
            expected += inside;
            if (inside > 1e-9 && inside < reference::GeosIntersectionArea(house.ring, house.ring) - 1e-9)
                ++partly;
        }
        crossed += partly;
        ParcelCheckContext context;
        AcGePoint2dArray points;
        ASSERT_TRUE(MeasureParcel(context, NameOf(parcel.id), points));
        EXPECT_NEAR(context.footprint, expected, 1e-6);
    }
    EXPECT_GT(crossed, 5);
}

}  // namespace
