#include "makedrawing/town_drawing.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <utility>

#include "drawingutil/coded_entities.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/groups.h"
#include "drawingutil/text_entities.h"
#include "makedrawing/random.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_database.h"
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
std::vector<AcDbObjectId> DrawParcelNote(const Parcel& parcel)
{
    const Point2& at = parcel.notePosition;
    return {Text({at.x, at.y + 0.4 * kNoteHeight}, parcel.number.substr(6, 4), "BC", "302002", "JZD"),
            CreateCodedLine(AcGePoint3d(at.x - 2.0, at.y, 0), AcGePoint3d(at.x + 2.0, at.y, 0), "302001", nullptr,
                            "JZD"),
            Text({at.x, at.y - 0.4 * kNoteHeight}, parcel.landClass, "TC", "302003", "JZD")};
}

void Group(const std::vector<AcDbObjectId>& members)
{
    ads_name first;
    AcDbObjectId groupId;
    if (members.empty() || acdbGetAdsName(first, members[0]) != Acad::eOk || !CreateEntityGroup(first, groupId))
        return;
    AcDbGroup* group = nullptr;
    if (acdbOpenObject(group, groupId, AcDb::kForWrite) != Acad::eOk)
        return;
    for (std::size_t i = 1; i < members.size(); ++i)
        if (!members[i].isNull())
            group->append(members[i]);
    group->close();
}

// What the surveyed attributes add and which of their faults go in.
struct Survey {
    const Options& options;
    Random random;
    bool on() const { return options.attributes; }
};

void DrawHouses(const Parcel& parcel, std::vector<DrawnFault>& faults, Survey* survey = nullptr)
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
        std::vector<AcDbObjectId> members = {id, Text(centre, house.structureWord, "M", house.code + "-1", "JMD")};
        if (house.floors > 1)
            members.push_back(Text({centre.x + 2 * kNoteHeight, centre.y}, floors, "M", house.code + "-2", "JMD"));
        if (survey != nullptr && survey->on())
            Group(members);
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

void DrawPoints(const TownPlan& plan, std::vector<DrawnFault>& faults, Survey& survey, PointPlaces& places)
{
    const FaultRates& rates = survey.options.rates;
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
        if (point.turning)
            continue;
        if (survey.on()) {
            if (rates.emptyFields > 0 && survey.random.Chance(rates.emptyFields))
                Record(faults, {FaultKind::EmptyField}, id);
            else
                Attribute(id, "JBLX", "3");
        }
        if (rates.doubledPoints > 0 && survey.random.Chance(rates.doubledPoints)) {
            AcDbObjectId twin = CreateCodedCircle(AcGePoint3d(point.at.x + 0.002, point.at.y, 0), kPointRadius,
                                                  "301000", nullptr, "JZP");
            AppendCodeItem(twin, "J", kXDataString);
            AppendCodeItem(twin, std::to_string(point.number), kXDataLong);
            if (survey.on())
                Attribute(twin, "JBLX", "3");
            Record(faults, {FaultKind::DoubledPoint}, twin, HandleOf(id));
        }
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

double RingArea(const std::vector<Point2>& ring)
{
    double twice = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const Point2& a = ring[i];
        const Point2& b = ring[(i + 1) % ring.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return std::fabs(twice) / 2;
}

// The parcel's ring with a vertex put in the middle of its first straight side long enough,
// and the index of the new vertex; -1 when no side will do.
int InsertBareVertex(std::vector<Point2>& ring, std::vector<double>& bulges)
{
    for (std::size_t e = 0; e < ring.size(); ++e) {
        const Point2& a = ring[e];
        const Point2& b = ring[(e + 1) % ring.size()];
        if (bulges[e] != 0.0 || std::hypot(b.x - a.x, b.y - a.y) < 4.0)
            continue;
        const auto at = static_cast<std::ptrdiff_t>(e + 1);
        ring.insert(ring.begin() + at, Point2{(a.x + b.x) / 2, (a.y + b.y) / 2});
        bulges.insert(bulges.begin() + at, 0.0);
        return static_cast<int>(at);
    }
    return -1;
}

// The surveyed attributes of a parcel: its owner and land class, the line kinds on the vertices
// of an old-style outline, and its notes grouped with it: number, fraction line, land class,
// owner, area, and one note per boundary line (from each vertex on a boundary point, not twice
// for a doubled one).
void SurveyParcel(const TownPlan& plan, const Parcel& parcel, AcDbObjectId id, std::vector<AcDbObjectId> notes,
                  Survey& survey, std::vector<DrawnFault>& faults)
{
    const FaultRates& rates = survey.options.rates;
    Attribute(id, "ZDDM", plan.areaCode + parcel.number);
    if (rates.emptyFields > 0 && survey.random.Chance(rates.emptyFields)) {
        WriteEntityXData(id, "QLR", "", kXDataString, 0, false, true, false);
        Record(faults, {FaultKind::EmptyField}, id);
    }
    if (!parcel.lightweight) {
        AcDb2dPolyline* outline = nullptr;
        if (acdbOpenObject(outline, id, AcDb::kForRead) == Acad::eOk) {
            AcDbObjectIdArray vertices;
            std::unique_ptr<AcDbObjectIterator> it(outline->vertexIterator());
            for (; it && !it->done(); it->step())
                vertices.append(it->objectId());
            outline->close();
            for (AcDbObjectId vertex : vertices) {
                Attribute(vertex, "JZXLB", "1");
                Attribute(vertex, "JZXWZ", "2");
            }
        }
    }
    const Point2& at = parcel.notePosition;
    notes.push_back(Text({at.x, at.y - 1.6 * kNoteHeight}, parcel.owner, "TC", "302004", "JZD"));
    char area[32];
    std::snprintf(area, sizeof(area), "%.2f", RingArea(parcel.ring));
    notes.push_back(Text({at.x, at.y - 2.8 * kNoteHeight}, area, "TC", "302005", "JZD"));
    int previous = -2;
    for (std::size_t v = 0; v < parcel.ring.size(); ++v) {
        const int node = parcel.nodes[v];
        const bool boundary = node >= 0 && !plan.points[static_cast<std::size_t>(node)].turning;
        if (!boundary || node == previous)
            continue;
        previous = node;
        const Point2& a = parcel.ring[v];
        const Point2& b = parcel.ring[(v + 1) % parcel.ring.size()];
        char length[32];
        std::snprintf(length, sizeof(length), "%.2f", std::hypot(b.x - a.x, b.y - a.y));
        const AcDbObjectId note = Text({(a.x + b.x) / 2, (a.y + b.y) / 2}, length, "M", "302010", "JZD");
        // The note names the point its line starts from, as the edge-length annotation does.
        char x[32], y[32];
        std::snprintf(x, sizeof(x), "%.6f", a.x);
        std::snprintf(y, sizeof(y), "%.6f", a.y);
        Attribute(note, "JZX_ZJ_X", x, kXDataReal);
        Attribute(note, "JZX_ZJ_Y", y, kXDataReal);
        notes.push_back(note);
    }
    if (rates.missingNotes > 0 && survey.random.Chance(rates.missingNotes)) {
        // The owner, the area or the last line note.
        const std::size_t drop = std::vector<std::size_t>{3, 4, notes.size() - 1}[survey.random.Int(0, 2)];
        AcDbEntity* note = nullptr;
        if (acdbOpenObject(note, notes[drop], AcDb::kForWrite) == Acad::eOk) {
            note->erase();
            note->close();
        }
        notes.erase(notes.begin() + static_cast<std::ptrdiff_t>(drop));
        Record(faults, {FaultKind::MissingNote}, id);
    }
    notes.insert(notes.begin(), id);
    Group(notes);
}

}  // namespace

std::vector<DrawnFault> DrawTown(const TownPlan& plan)
{
    return DrawTown(plan, Options());
}

std::vector<DrawnFault> DrawTown(const TownPlan& plan, const Options& options)
{
    Survey survey{options, Random(options.seed * 0x2545F4914F6CDD1Dull + 29)};
    const FaultRates& rates = options.rates;
    std::vector<DrawnFault> faults;
    const std::vector<AcDbObjectId> patches = DrawDistricts(plan);
    DrawExtraPatches(plan, patches, faults);
    std::vector<AcDbObjectId> parcels;
    for (const auto& parcel : plan.parcels) {
        // Old-style polylines, as the boundary-line codes live on their vertices; older drawings
        // have lightweight ones too.
        std::vector<Point2> ring = parcel.ring;
        std::vector<double> bulges = parcel.bulges;
        const bool bare = rates.bareVertices > 0 && survey.random.Chance(rates.bareVertices) &&
                          InsertBareVertex(ring, bulges) >= 0;
        AcDbObjectId id = Outline(ring, &bulges, true, "300000",
                                  parcel.lightweight ? kLightweightPolyline : kSimple2dPolyline, "JZD");
        parcels.push_back(id);
        AppendCodeItem(id, parcel.number, kXDataString);
        Attribute(id, "QHDM", plan.areaCode);
        Attribute(id, "QLR", parcel.owner);
        Attribute(id, "DLBM", parcel.landClass);
        if (parcel.ringNumber > 0)
            Attribute(id, "HH", std::to_string(parcel.ringNumber), kXDataLong);
        Record(faults, parcel.faults, id);
        if (bare)
            Record(faults, {FaultKind::BareVertex}, id);
        std::vector<AcDbObjectId> notes = DrawParcelNote(parcel);
        if (survey.on())
            SurveyParcel(plan, parcel, id, notes, survey, faults);
        DrawHouses(parcel, faults, &survey);
    }
    PointPlaces places;
    DrawPoints(plan, faults, survey, places);
    for (const auto& at : plan.linePoints)
        drawingutil::FinishCodedEntity(new AcDbPoint(AcGePoint3d(at.x, at.y, 0)), nullptr, "GD", nullptr);
    if (options.parcelGroups)
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
