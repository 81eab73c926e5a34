#include "makedrawing/town_drawing.h"

#include <cstdio>
#include <map>
#include <utility>

#include "drawingutil/coded_entities.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/groups.h"
#include "drawingutil/text_entities.h"
#include "platform/cad/db_database.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_point.h"
#include "plane.h"

namespace makedrawing {

namespace {

// Sizes in drawing units (metres) of a 1:500 map.
constexpr double kPointRadius = 0.25;
constexpr double kLabelHeight = 1.5;
constexpr double kNoteHeight = 1.5;

const char* const kMiret = "miret";

std::string HandleOf(AcDbObjectId id)
{
    return id.isNull() ? std::string() : id.handle().text();
}

void Attribute(AcDbObjectId id, const char* application, const std::string& value, int kind = kXDataString)
{
    WriteEntityXData(id, application, value.c_str(), kind, 0, false, false, false);
}

// Appends an item to the feature-code data, after the code.
void AppendCodeItem(AcDbObjectId id, const std::string& value, int kind)
{
    WriteEntityXData(id, kMiret, value.c_str(), kind, -1, false, false, false);
}

AcDbObjectId Outline(const std::vector<Point2>& ring, const std::vector<double>* bulges, bool closed,
                     const char* code, int type, const char* layer)
{
    AcGePoint2dArray points;
    for (const auto& p : ring)
        points.append(AcGePoint2d(p.x, p.y));
    AcGeDoubleArray arcs;
    if (bulges != nullptr)
        for (double b : *bulges)
            arcs.append(b);
    return CreateCodedPolyline(points, 0.0, closed ? 1 : 0, code, 0.0, type, layer, bulges != nullptr ? &arcs : nullptr);
}

AcDbObjectId Text(const Point2& at, const std::string& text, const char* justification, const std::string& code,
                  const char* layer)
{
    return CreateText(AcGePoint3d(at.x, at.y, 0), text.c_str(), justification, code.c_str(), kNoteHeight, layer, 0.0,
                      0.0, nullptr);
}

void Record(std::vector<DrawnFault>& faults, const std::vector<FaultKind>& kinds, AcDbObjectId id,
            const std::string& related = {})
{
    for (FaultKind kind : kinds)
        faults.push_back({kind, HandleOf(id), related});
}

// The block patches' ids, for the patches put over or into them.
std::vector<AcDbObjectId> DrawDistricts(const TownPlan& plan)
{
    for (const auto& district : plan.districts) {
        AcDbObjectId id = Outline(district.ring, nullptr, true, "321000", kLightweightPolyline, "DJZQ");
        Attribute(id, "DJZQBM", district.code);
        Attribute(id, "DJZQMC", district.name);
    }
    std::vector<AcDbObjectId> patches;
    for (const auto& patch : plan.patches)
        patches.push_back(Outline(patch, nullptr, true, "310000", kLightweightPolyline, "DLJ"));
    return patches;
}

// An island that keeps clear of its patch's side is drawn but is no fault.
void DrawExtraPatches(const TownPlan& plan, const std::vector<AcDbObjectId>& blocks, std::vector<DrawnFault>& faults)
{
    for (const auto& extra : plan.extraPatches) {
        AcDbObjectId id = Outline(extra.ring, nullptr, true, "310000", kLightweightPolyline, "DLJ");
        if (extra.kind == FaultKind::OverlappingPatch || extra.touches)
            Record(faults, {extra.kind}, id, HandleOf(blocks[static_cast<std::size_t>(extra.block)]));
    }
}

// The parcel's fraction note: basic parcel number over the land class.
void DrawParcelNote(const Parcel& parcel)
{
    const Point2& at = parcel.notePosition;
    Text({at.x, at.y + 0.4 * kNoteHeight}, parcel.number.substr(6, 4), "BC", "302002", "JZD");
    CreateCodedLine(AcGePoint3d(at.x - 2.0, at.y, 0), AcGePoint3d(at.x + 2.0, at.y, 0), "302001", nullptr, "JZD");
    Text({at.x, at.y - 0.4 * kNoteHeight}, parcel.landClass, "TC", "302003", "JZD");
}

void DrawHouses(const Parcel& parcel, std::vector<DrawnFault>& faults)
{
    std::vector<AcDbObjectId> drawn;
    for (const auto& house : parcel.houses) {
        AcDbObjectId id = Outline(house.ring, nullptr, house.closed, house.code.c_str(), kLightweightPolyline, "JMD");
        drawn.push_back(id);
        Attribute(id, "FWJG", house.structure);
        char floors[16];
        std::snprintf(floors, sizeof(floors), "%d", house.floors);
        AppendCodeItem(id, floors, kXDataReal);
        Point2 centre = Centroid(house.ring);
        Text(centre, house.structureWord, "M", house.code + "-1", "JMD");
        if (house.floors > 1)
            Text({centre.x + 2 * kNoteHeight, centre.y}, floors, "M", house.code + "-2", "JMD");
        std::string covered = house.overlaps >= 0 ? HandleOf(drawn[static_cast<std::size_t>(house.overlaps)]) : "";
        Record(faults, house.faults, id, covered);
    }
}

// A boundary point and its label, as drawn.
struct DrawnPoint {
    AcDbObjectId point, label;
};

// Places match exactly: parcels and points are planned from the same coordinates.
using PointPlaces = std::map<std::pair<double, double>, std::vector<DrawnPoint>>;

void DrawPoints(const TownPlan& plan, std::vector<DrawnFault>& faults, PointPlaces& places)
{
    std::vector<AcDbObjectId> byNumber;
    for (const auto& point : plan.points) {
        AcGePoint3d centre(point.at.x, point.at.y, 0);
        const char* prefix = point.turning ? "G" : "J";
        AcDbObjectId id = point.turning ? CreateCodedCircle(centre, kPointRadius, "301100", nullptr, "GD")
                                        : CreateCodedCircle(centre, kPointRadius, "301000", nullptr, "JZP");
        AppendCodeItem(id, prefix, kXDataString);
        AppendCodeItem(id, std::to_string(point.number), kXDataLong);
        DrawnPoint drawn{id, {}};
        if (point.labelled) {
            std::string label = prefix + std::to_string(point.number);
            drawn.label = CreateText(AcGePoint3d(point.at.x + 0.5, point.at.y + 0.5, 0), label.c_str(), "", "301001",
                                     kLabelHeight, "JZP", 0.0, 0.0, nullptr);
        }
        places[{point.at.x, point.at.y}].push_back(drawn);
        std::string repeated;
        if (!point.turning) {
            auto n = static_cast<std::size_t>(point.number);
            if (byNumber.size() <= n)
                byNumber.resize(n + 1);
            if (!byNumber[n].isNull())
                repeated = HandleOf(byNumber[n]);
            else
                byNumber[n] = id;
        }
        Record(faults, point.faults, id, repeated);
    }
}

// The parcel first, then each vertex's boundary points and labels, in ring order; a point at two
// vertices of one ring joins once.
void GroupParcel(AcDbObjectId parcel, const std::vector<Point2>& ring, const PointPlaces& places)
{
    ads_name name{};
    AcDbObjectId groupId;
    if (acdbGetAdsName(name, parcel) != Acad::eOk || !CreateEntityGroup(name, groupId))
        return;
    AcDbGroup* group = nullptr;
    if (acdbOpenObject(group, groupId, AcDb::kForWrite) != Acad::eOk)
        return;
    for (const Point2& vertex : ring) {
        const auto found = places.find({vertex.x, vertex.y});
        if (found == places.end())
            continue;
        for (const DrawnPoint& point : found->second)
            for (AcDbObjectId id : {point.point, point.label})
                if (!id.isNull() && !group->has(id))
                    group->append(id);
    }
    group->close();
}

}  // namespace

std::vector<DrawnFault> DrawTown(const TownPlan& plan, bool parcelGroups)
{
    std::vector<DrawnFault> faults;
    const std::vector<AcDbObjectId> patches = DrawDistricts(plan);
    DrawExtraPatches(plan, patches, faults);
    std::vector<AcDbObjectId> parcels;
    for (const auto& parcel : plan.parcels) {
        // Old-style polylines, as the boundary-line codes live on their vertices; older drawings
        // have lightweight ones too.
        AcDbObjectId id = Outline(parcel.ring, &parcel.bulges, true, "300000",
                                  parcel.lightweight ? kLightweightPolyline : kSimple2dPolyline, "JZD");
        parcels.push_back(id);
        AppendCodeItem(id, parcel.number, kXDataString);
        Attribute(id, "QHDM", plan.areaCode);
        Attribute(id, "QLR", parcel.owner);
        Attribute(id, "DLBM", parcel.landClass);
        Record(faults, parcel.faults, id);
        DrawParcelNote(parcel);
        DrawHouses(parcel, faults);
    }
    PointPlaces places;
    DrawPoints(plan, faults, places);
    for (const auto& at : plan.linePoints)
        drawingutil::FinishCodedEntity(new AcDbPoint(AcGePoint3d(at.x, at.y, 0)), nullptr, "GD", nullptr);
    if (parcelGroups)
        for (std::size_t i = 0; i < parcels.size(); ++i)
            GroupParcel(parcels[i], plan.parcels[i].ring, places);
    for (const auto& decoy : plan.decoys)
        Outline(decoy.line, nullptr, false, decoy.code.c_str(), kLightweightPolyline, "JMD");
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    db->setExtmin(AcGePoint3d(plan.low.x, plan.low.y, 0));
    db->setExtmax(AcGePoint3d(plan.high.x, plan.high.y, 0));
    // A 1:500 map: the toolkit reads its scale rather than asking for it.
    db->setUserr1(500);
    return faults;
}

}  // namespace makedrawing
