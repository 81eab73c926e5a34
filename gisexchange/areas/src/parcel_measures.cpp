#include "gisexchange/parcel_measures.h"

#include <cmath>
#include <set>
#include <string>

#include "drawingutil/curve_kinds.h"
#include "drawingutil/curve_measures.h"
#include "drawingutil/drawing_scale.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/host_settings.h"
#include "drawingutil/polygon_selection.h"
#include "drawingutil/polyline_vertices.h"
#include "gisexchange/boundary_cutting.h"
#include "gisexchange/region_builder.h"
#include "gisexchange/ring_point_locator.h"
#include "gisexchange/shared_lines.h"
#include "platform/cad/selection.h"

namespace gisexchange {

namespace {

// The parcel's own selections are drawn in this far from its boundary, so that what touches the
// boundary is looked at as crossing it.
constexpr double kParcelInset = 1.0;

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }
bool IsParcelCode(const std::string& code) { return StartsWith(code, "30000") || StartsWith(code, "33000"); }

// A selection set of polylines freed when it goes; empty when the selection found nothing. Every
// curve measured is a closed polyline: the host need not look at the rest.
class Selection {
public:
    Selection(const AcGePoint2dArray& points, const char* mode, double offset)
    {
        drawingutil::Chain polylines(acutBuildList(RTDXF0, "LWPOLYLINE,POLYLINE", RTNONE));
        made_ = SelectByPolygon(points, name_, mode, offset, 0, polylines.get());
    }
    ~Selection()
    {
        if (made_)
            acedSSFree(name_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

    Adesk::Int32 Count() const
    {
        Adesk::Int32 count = 0;
        if (made_)
            acedSSLength(name_, &count);
        return count;
    }
    bool Entity(Adesk::Int32 i, ads_name entity) const { return made_ && acedSSName(name_, i, entity) == RTNORM; }
    bool Has(const ads_name entity) const { return made_ && acedSSMemb(entity, name_) == RTNORM; }

private:
    ads_name name_{};
    bool made_ = false;
};

// The user's object snap and pick style, back on every way out.
class SelectionSettings {
public:
    SelectionSettings() : osnap_(SetOsnapMode(0)), pickStyle_(DisablePickStyle()) {}
    ~SelectionSettings()
    {
        RestorePickStyle(pickStyle_);
        RestoreOsnapMode(osnap_);
    }
    SelectionSettings(const SelectionSettings&) = delete;
    SelectionSettings& operator=(const SelectionSettings&) = delete;

private:
    int osnap_;
    int pickStyle_;
};

bool IsClosedCurve(const ads_name entity) { return GetCurveKind(entity, 1) >= kCurveClosedOffset; }

struct HouseSums {
    double footprint = 0;
    double floorArea = 0;
};

// Whether a window polygon along the ring may take a courtyard, by the context's answer.
bool MayHoldCourtyards(const ParcelCheckContext* context, const AcGePoint2dArray& ring)
{
    return context == nullptr || !context->mayHoldCourtyards || context->mayHoldCourtyards(ring);
}

void AddHouse(HouseSums& sums, const ads_name house, const ParcelCheckContext& context)
{
    double area = HouseNetArea(house, &context);
    sums.footprint += area;
    sums.floorArea += HouseFloors(house) * area;
}

// The houses wholly inside an inner parcel, and the inner parcels it holds in turn.
HouseSums MeasureInner(const ads_name inner, std::set<AcDbObjectId>& holds, const ParcelCheckContext& context)
{
    HouseSums sums;
    AcGePoint2dArray points;
    GetCurvePoints(inner, points, 0);
    Selection window(points, "WP", kParcelInset);
    for (Adesk::Int32 i = 0; i < window.Count(); ++i) {
        ads_name entity{};
        if (!window.Entity(i, entity) || !IsClosedCurve(entity))
            continue;
        std::string code;
        GetEntityCode(entity, code);
        AcDbObjectId id;
        if (StartsWith(code, "1411"))
            AddHouse(sums, entity, context);
        else if (StartsWith(code, "30000") && drawingutil::IdOfName(entity, id))
            holds.insert(id);
    }
    return sums;
}

// The point a piece is judged by: the middle of a two-point piece, else its middle vertex.
AcGePoint2d PiecePoint(const AcGePoint2dArray& piece)
{
    if (piece.length() == 2)
        return {(piece[0].x + piece[1].x) / 2, (piece[0].y + piece[1].y) / 2};
    return piece[piece.length() / 2];
}

}  // namespace

ParcelCheckContext::ParcelCheckContext()
{
    double scale = 0;
    GetDrawingScale(scale);
    tolerance = scale * 0.001;
}

double HouseNetArea(const ads_name house, const ParcelCheckContext* context)
{
    double area = 0;
    if (!GetCurveArea(house, area))
        return 0;
    AcGePoint2dArray points;
    GetCurvePoints(house, points, 0);
    if (!MayHoldCourtyards(context, points))
        return area;
    Selection window(points, "WP", 0);
    for (Adesk::Int32 i = 0; i < window.Count(); ++i) {
        ads_name entity{};
        std::string code;
        double courtyard = 0;
        if (!window.Entity(i, entity))
            continue;
        GetEntityCode(entity, code);
        if (code == "145000" && IsClosedCurve(entity) && GetCurveArea(entity, courtyard))
            area -= courtyard;
    }
    return area;
}

int HouseFloors(const ads_name house)
{
    std::string text;
    if (!GetXDataAsText(house, "MIRET", kXDataReal, text))
        return 1;
    double floors = std::trunc(std::atof(text.c_str()) + 0.0001);
    return floors > 1 && floors < 1e6 ? static_cast<int>(floors) : 1;
}

double OverlapArea(const ads_name a, const ads_name b)
{
    // Both outlines are filed in one line set, so that a stretch they share is one line: then a
    // house along its parcel's side still closes its ring.
    BoundaryCurveRecord first = LoadBoundaryCurve(a, false);
    BoundaryCurveRecord second = LoadBoundaryCurve(b, false);
    MarkCurveIntersections(first, b);
    MarkCurveIntersections(second, a);
    SharedLineSet set;
    SplitCurveAtBreaks(first, set, 0);
    SplitCurveAtBreaks(second, set, 0);

    AcGePoint2dArray ringA, ringB;
    GetCurvePoints(a, ringA, 0);
    GetCurvePoints(b, ringB, 0);
    RingPointLocator inA(ringA), inB(ringB);
    std::set<int> kept;
    auto keep = [&](const BoundaryCurveRecord& record, const RingPointLocator& other) {
        for (int ref : record.lineRefs) {
            int index = std::abs(ref) - 1;
            if (ref == 0 || index >= static_cast<int>(set.lines.size()))
                continue;
            const AcGePoint2dArray& piece = set.lines[static_cast<std::size_t>(index)];
            if (piece.length() >= 2 && LocatePoint(other, PiecePoint(piece)) <= 0)
                kept.insert(index);
        }
    };
    keep(first, inB);
    keep(second, inA);

    RegionBuilder builder;
    for (int index : kept) {
        AcGePoint2dArray piece = set.lines[static_cast<std::size_t>(index)];
        AddPiece(builder, piece);
    }
    AssembleRegions(builder);
    double area = 0;
    for (const AcGePoint2dArray& ring : builder.rings)
        area += RingArea(ring);
    return area;
}

namespace {

// Takes out of the house's part inside the parcel what each of its courtyards (closed "145000"
// curves inside the ring) shares with the parcel, one after another.
void TakeOutCourtyards(double& inside, const AcGePoint2dArray& housePoints, const ads_name parcel,
                       const ParcelCheckContext& context)
{
    if (!MayHoldCourtyards(&context, housePoints))
        return;
    Selection courtyards(housePoints, "WP", 0);
    for (Adesk::Int32 k = 0; k < courtyards.Count(); ++k) {
        ads_name courtyard{};
        std::string courtyardCode;
        if (!courtyards.Entity(k, courtyard))
            continue;
        GetEntityCode(courtyard, courtyardCode);
        if (courtyardCode == "145000" && IsClosedCurve(courtyard))
            inside -= OverlapArea(courtyard, parcel);
    }
}

}  // namespace

bool MeasureParcel(ParcelCheckContext& context, const ads_name parcel, AcGePoint2dArray& points)
{
    context.parcelCode.clear();
    context.netArea = context.footprint = context.floorArea = 0;
    context.floorAreaRatio = context.coverageRatio = 0;
    context.innerParcels.clear();

    AcDbObjectId parcelId;
    if (!drawingutil::IdOfName(parcel, parcelId))
        return false;
    GetEntityCode(parcel, context.parcelCode);
    if (!IsParcelCode(context.parcelCode))
        return false;
    double area = 0;
    if (!IsClosedCurve(parcel) || !GetCurveArea(parcel, area))
        return false;
    context.netArea = area;
    points.removeAll();
    GetCurvePoints(parcel, points, 0);

    SelectionSettings settings;
    Selection window(points, "WP", kParcelInset);
    struct Inner {
        AcDbObjectId id;
        double area = 0;
        HouseSums houses;
    };
    std::vector<Inner> inners;
    std::set<AcDbObjectId> nested;
    for (Adesk::Int32 i = 0; i < window.Count(); ++i) {
        ads_name entity{};
        AcDbObjectId id;
        if (!window.Entity(i, entity) || !drawingutil::IdOfName(entity, id) || id == parcelId ||
            !IsClosedCurve(entity))
            continue;
        std::string code;
        GetEntityCode(entity, code);
        if (StartsWith(code, "1411")) {
            double houseArea = HouseNetArea(entity, &context);
            context.footprint += houseArea;
            context.floorArea += HouseFloors(entity) * houseArea;
        } else if (StartsWith(code, "30000")) {
            Inner inner;
            inner.id = id;
            GetCurveArea(entity, inner.area);
            inner.houses = MeasureInner(entity, nested, context);
            inners.push_back(inner);
        }
    }
    // An inner parcel inside another is taken out with the one that holds it.
    for (const Inner& inner : inners) {
        if (nested.count(inner.id) != 0)
            continue;
        context.netArea -= inner.area;
        context.footprint -= inner.houses.footprint;
        context.floorArea -= inner.houses.floorArea;
        context.innerParcels.push_back(inner.id);
    }

    // Houses across the boundary count by their part inside, courtyards' parts inside taken out.
    Selection crossing(points, "CP", kParcelInset);
    for (Adesk::Int32 i = 0; i < crossing.Count(); ++i) {
        ads_name house{};
        if (!crossing.Entity(i, house) || window.Has(house) || !IsClosedCurve(house))
            continue;
        std::string code;
        GetEntityCode(house, code);
        if (!StartsWith(code, "1411"))
            continue;
        int floors = HouseFloors(house);
        double inside = OverlapArea(house, parcel);
        AcGePoint2dArray housePoints;
        GetCurvePoints(house, housePoints, 0);
        TakeOutCourtyards(inside, housePoints, parcel, context);
        context.footprint += inside;
        context.floorArea += floors * inside;
    }

    if (!(context.netArea > 0))
        return false;
    context.coverageRatio = context.footprint / context.netArea;
    context.floorAreaRatio = context.floorArea / context.netArea;
    return true;
}

}  // namespace gisexchange
