#include "cadastral/edge_lengths.h"

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "cadastral/attribute_data.h"
#include "cadastral/entity_selection.h"
#include "cadastral/parcel_boundary.h"
#include "cadastral/settings.h"
#include "cadastral/toolkit_text.h"
#include "drawingutil/drawing_scale.h"
#include "drawingutil/curve_kinds.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/groups.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/layers.h"
#include "drawingutil/point_rings.h"
#include "drawingutil/polyline_vertices.h"
#include "drawingutil/selection_set.h"
#include "drawingutil/vertex_order.h"
#include "platform/cad/ads_units.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/db_group.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"

namespace cadastral {
namespace {

constexpr double kPi = std::numbers::pi;
// A boundary point sits on a vertex this close to it.
constexpr double kOnVertex = 0.0001;
constexpr int kUnmatched = -100;

std::string& LayerName() {
    static std::string layer = "JZD";
    return layer;
}

// The angle brought into [0, 2pi) and turned half round where the text would read upside down.
double Upright(double angle) {
    double r = std::fmod(angle, 2 * kPi);
    if (r < 0) r += 2 * kPi;
    if (r > kPi / 2 && r < 3 * kPi / 2) r -= kPi;
    if (r < 0) r += 2 * kPi;
    if (r >= 2 * kPi) r = 0;
    return r;
}

std::string LengthText(double length) {
    if (std::fabs(length) <= 1e-7) return " ";
    char text[64] = {};
    acdbRToS(length, 2, Settings().dj_distdot, text);
    return text;
}

bool IsParcel(const ads_name entity) {
    std::string code;
    GetEntityCode(entity, code);
    return code == kParcelCode;
}

void EraseEntity(AcDbObjectId id) {
    drawingutil::Opened<AcDbEntity> entity(id, AcDb::kForWrite);
    if (entity) entity->erase();
}

void WriteReal(AcDbObjectId id, const char* application, double value) {
    resbuf item{};
    item.restype = RTREAL;
    item.resval.rreal = value;
    AddEntityXData(id, application, item, false, 0);
}

// Writes the boundary point a length text just made stands for, one application per coordinate.
// Such a text has neither, so both go on in one change of its data; the two applications are
// registered with the first text and stay registered for the rest of the writer's run.
class BoundaryPointWriter {
public:
    void Write(AcDbObjectId id, const AcGePoint2d& point) {
        {
            drawingutil::Opened<AcDbObject> text(id, AcDb::kForWrite);
            if (text) {
                if (!registered_) {
                    acdbRegApp(kEdgeLengthXApp);
                    acdbRegApp(kEdgeLengthYApp);
                    registered_ = true;
                }
                const drawingutil::Chain data(acutBuildList(1001, kEdgeLengthXApp, 1040, point.x, 1001,
                                                            kEdgeLengthYApp, 1040, point.y, 0));
                if (data && text->setXData(data.get()) == Acad::eOk) return;
            }
        }
        WriteReal(id, kEdgeLengthXApp, point.x);
        WriteReal(id, kEdgeLengthYApp, point.y);
    }

private:
    bool registered_ = false;
};

// The drawing's scale and whether the parcel's code was read already, where the caller knows
// them for every parcel of a run.
struct KnownForRun {
    double scale = 0.0;
    bool parcel = false;
};

// The boundary points on the vertices, in their order, as FindBoundaryPointsOnCurve gives them
// for a curve already known to be a parcel.
AcGePoint2dArray BoundaryPointsOnVertices(const AcGePoint2dArray& vertices, const BoundaryPointIndex& index) {
    AcGePoint2dArray points;
    for (int j = 0; j < vertices.length(); ++j) {
        const AcGePoint2d& vertex = vertices[j];
        AcGePoint2d centre;
        AcDbObjectId id;
        if (index.FindBoundaryPoint(vertex, centre, id)) points.append(centre);
    }
    return points;
}

// The first vertex within 0.01 of one of the boundary points, or -1, as FindFirstBoundaryVertex
// gives it for a closed parcel.
int FirstBoundaryVertex(const AcGePoint2dArray& vertices, const AcGePoint2dArray& boundary) {
    constexpr double kStartTolerance = 0.01;
    for (int i = 0; i < vertices.length(); ++i)
        for (int j = 0; j < boundary.length(); ++j)
            if (vertices[i].distanceTo(boundary[j]) < kStartTolerance) return i;
    return -1;
}

// The parcel's vertices, and the vertex it is turned to start at: its first boundary vertex,
// read through the run's index (the parcel's code was read already) or from the drawing.
int ReadParcelStart(const ads_name parcel, const BoundaryPointIndex* index, bool knownParcel,
                    AcGePoint2dArray& vertices) {
    if (!(knownParcel && index != nullptr)) {
        const int start = FindFirstBoundaryVertex(parcel, index);
        if (start < 0 || !GetCurvePoints(parcel, vertices, 0)) return -1;
        return start;
    }
    if (!GetCurvePoints(parcel, vertices, 0) || GetCurveKind(parcel, 1) < kCurveClosedOffset) return -1;
    const AcGePoint2dArray boundary = BoundaryPointsOnVertices(vertices, *index);
    return boundary.isEmpty() ? -1 : FirstBoundaryVertex(vertices, boundary);
}

void DrawParcelEdgeLengthsIndexed(const ads_name parcel, double scale, AcDbGroup* group, AcDbObjectIdArray& ids,
                                  const char* layer, const BoundaryPointIndex* index, const KnownForRun& known,
                                  BoundaryPointWriter& writer) {
    double s = known.scale;
    if (!(s > 0.0)) {
        s = 500.0;
        GetDrawingScale(s);
    }
    const int direct = Settings().dj_jzddirect;
    AcGePoint2dArray vertices;
    const int start = ReadParcelStart(parcel, index, known.parcel, vertices);
    if (start < 0 || vertices.length() < 3) return;
    // Clockwise for 0, counter-clockwise otherwise; the texts then fall outside the parcel.
    const bool reverse = IsRingClockwise(vertices) != (direct == 0);
    // Turned as RotatePolylineStart turns it, whose checks the start (one of at least 3 vertices
    // just read) passes; a parcel that starts and runs right already is left alone.
    const bool turned = start != 0 || reverse;
    if (turned && !ReorderPolylineVertices(parcel, start, reverse)) return;
    const double height = 2.0 * s / 1000.0;
    if (!known.parcel && !IsParcel(parcel)) return;

    // The outline as turned; an old-style polyline's vertices are added to what the list holds.
    if (turned) {
        vertices.setLogicalLength(0);
        if (!GetCurvePoints(parcel, vertices, 0) || vertices.isEmpty()) return;
    }
    AcGePoint2dArray points;
    if (known.parcel && index != nullptr) {
        points = BoundaryPointsOnVertices(vertices, *index);
    } else {
        AcGePoint2dArray secondClass;
        AcDbObjectIdArray secondClassIds, pointIds;
        FindBoundaryPointsOnCurve(parcel, secondClass, points, secondClassIds, pointIds, index);
    }
    if (points.isEmpty()) return;
    points.append(points[0]);
    vertices.append(vertices[0]);

    for (const BoundaryLineText& line : PlanBoundaryLineTexts(points, vertices)) {
        const int edge = line.edge;
        const int k = line.point;
        const double length = line.length * scale / s;
        const AcGePoint2d& a = vertices[edge];
        const AcGePoint2d& b = vertices[edge + 1];
        const double alpha = direct == 0 ? std::atan2(a.y - b.y, a.x - b.x) : std::atan2(b.y - a.y, b.x - a.x);
        const double side = alpha - kPi / 2;
        const AcGePoint3d position((a.x + b.x) / 2 + 1.5 * height * std::cos(side),
                                   (a.y + b.y) / 2 + 1.5 * height * std::sin(side), 0.0);
        const AcDbObjectId text =
            CreateText(position, LengthText(length).c_str(), "M", kEdgeLengthCode, height, Upright(alpha - kPi), -1.0);
        if (text.isNull()) continue;
        ids.append(text);
        PlaceText(text, layer, nullptr);
        writer.Write(text, points[k]);
        if (group != nullptr) group->append(text);
    }
}

// The members of a whole-drawing selection by the filter whose code is the one given, in the
// selection's order; the codes are read once and no second set is built.
void SelectWithCode(const char* filter, const char* code, AcDbObjectIdArray& ids) {
    drawingutil::SelectionSet selection;
    if (!SelectByFilter(selection.Fill(), filter, "", false)) selection.Drop();
    std::string found;
    for (int i = 0; i < selection.Length(); ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (!selection.At(i, entity, id)) continue;
        GetEntityCode(entity, found);
        if (found == code) ids.append(id);
    }
}

// The parcels the user chose, or every parcel of the drawing after its length texts on "JZD"
// went; the latter are selected by their code, which is not read again.
void CollectParcels(int mode, AcDbObjectIdArray& parcels) {
    if (mode == 1) {
        AcDbObjectIdArray texts;
        SelectWithCode("TEXT,JZD", kEdgeLengthCode, texts);
        for (int i = 0; i < texts.length(); ++i) EraseEntity(texts[i]);
        SelectWithCode("*POLYLINE*,JZD", kParcelCode, parcels);
        return;
    }
    drawingutil::SelectionSet selection;
    if (!SelectByFilter(selection.Fill(), "*POLYLINE*,JZD", "", true)) selection.Drop();
    for (int i = 0; i < selection.Length(); ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (selection.At(i, entity, id) && IsParcel(entity)) parcels.append(id);
    }
}

}  // namespace

std::vector<BoundaryLineText> PlanBoundaryLineTexts(const AcGePoint2dArray& points, const AcGePoint2dArray& vertices) {
    std::vector<int> at(static_cast<std::size_t>(points.length()), kUnmatched);
    std::vector<bool> taken(static_cast<std::size_t>(vertices.length()), false);
    for (int k = 0; k < points.length(); ++k) {
        for (int v = 0; v < vertices.length(); ++v) {
            if (!taken[v] && points[k].distanceTo(vertices[v]) <= kOnVertex) {
                taken[v] = true;
                at[k] = v;
                break;
            }
        }
    }
    std::vector<BoundaryLineText> texts;
    for (int k = 0; k + 1 < points.length(); ++k) {
        const int i0 = at[k], i1 = at[k + 1];
        if (i0 == kUnmatched || i1 == kUnmatched) break;
        const int d = i1 - i0;
        if (d <= 0) continue;
        BoundaryLineText line{k, i0, 0.0};
        if (d == 1) {
            line.length = points[k].distanceTo(points[k + 1]);
        } else {
            for (int v = i0; v < i1; ++v) line.length += vertices[v].distanceTo(vertices[v + 1]);
            line.edge = d % 2 == 0 ? i0 + d / 2 - 1 : i0 + (d - 1) / 2;
        }
        texts.push_back(line);
    }
    return texts;
}

const std::string& EdgeLengthLayer() { return LayerName(); }

void SetEdgeLengthLayer(const char* layer) { LayerName() = drawingutil::TextOrEmpty(layer); }

void EraseGroupEdgeLengths(AcDbGroup* group) {
    if (group == nullptr) return;
    AcDbObjectIdArray members;
    group->allEntityIds(members);
    std::string code;
    for (int m = 0; m < members.length(); ++m) {
        const AcDbObjectId member = members[m];
        ads_name name;
        if (acdbGetAdsName(name, member) != Acad::eOk) continue;
        GetEntityCode(name, code);
        if (code != kEdgeLengthCode) continue;
        group->remove(member);
        EraseEntity(member);
    }
}

void DrawParcelEdgeLengths(const ads_name parcel, double scale, AcDbGroup* group, AcDbObjectIdArray& ids,
                           const char* layer) {
    BoundaryPointWriter writer;
    DrawParcelEdgeLengthsIndexed(parcel, scale, group, ids, layer, nullptr, {}, writer);
}

void AnnotateRingEdgeLengths(const AcGePoint2dArray& ring, double h, const char* code, AcDbGroup* group) {
    int n = ring.length();
    // A ring that repeats its first point at the end has no edge there.
    if (n > 1 && ring[0].distanceTo(ring[n - 1]) <= 1e-10) --n;
    if (n < 2) return;
    AcGePoint2dArray open;
    for (int i = 0; i < n; ++i) open.append(ring[i]);
    const double sideAngle = IsRingClockwise(open) ? -kPi / 2 : kPi / 2;
    // The layer is made before the texts that go onto it.
    EnsureLayerRecord(acdbHostApplicationServices()->workingDatabase(), EdgeLengthLayer().c_str());
    for (int i = 0; i < n; ++i) {
        const AcGePoint2d& a = open[i == 0 ? n - 1 : i - 1];
        const AcGePoint2d& b = open[i];
        const double angle = std::atan2(b.y - a.y, b.x - a.x);
        const double side = angle - sideAngle;
        const AcGePoint3d position((a.x + b.x) / 2 + 2 * h * std::cos(side), (a.y + b.y) / 2 + 2 * h * std::sin(side),
                                   0.0);
        const AcDbObjectId text = CreateText(position, LengthText(a.distanceTo(b)).c_str(), "M", code, 2 * h,
                                             Upright(angle), -1.0);
        if (!text.isNull()) PlaceText(text, EdgeLengthLayer().c_str(), group);
    }
}

void drawzdlen() {
    int mode = 1;
    const int status = acedGetInt("\n选择标注方式：(1)标注所有所有权宗地  (2)指定标注宗地", &mode);
    if (status == RTCAN) return;
    if (status != RTNORM || (mode != 1 && mode != 2)) mode = 1;
    double scale = 500.0;
    GetDrawingScale(scale);
    AcDbObjectIdArray parcels;
    CollectParcels(mode, parcels);
    if (parcels.isEmpty()) {
        acutPrintf("\n当前图上没有宗地");
        return;
    }
    const BoundaryPointIndex index;
    const KnownForRun known{scale, true};
    BoundaryPointWriter writer;
    for (int j = 0; j < parcels.length(); ++j) {
        AcDbObjectId id = parcels[j];
        SetEdgeLengthLayer("ZJ");
        ads_name parcel;
        if (acdbGetAdsName(parcel, id) != Acad::eOk) continue;
        AcDbObjectId groupId;
        if (!CreateEntityGroup(parcel, groupId)) continue;
        AcDbGroup* group = nullptr;
        if (OpenGroup(group, groupId, AcDb::kForWrite) != Acad::eOk || group == nullptr) continue;
        // Texts a merge wrote on another layer go too, so that one set is left.
        EraseGroupEdgeLengths(group);
        AcDbObjectIdArray written;
        DrawParcelEdgeLengthsIndexed(parcel, scale, group, written, "JZD", &index, known, writer);
        group->close();
    }
}

}  // namespace cadastral
