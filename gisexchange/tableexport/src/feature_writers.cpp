#include "gisexchange/feature_writers.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <cstdlib>
#include <string>
#include <unordered_map>

#include "drawingutil/closed_curve_points.h"
#include "drawingutil/colors.h"
#include "drawingutil/curve_kinds.h"
#include "drawingutil/curve_measures.h"
#include "drawingutil/distances.h"
#include "drawingutil/entity_positions.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/groups.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/message_pump.h"
#include "drawingutil/point_in_curve.h"
#include "drawingutil/point_rings.h"
#include "drawingutil/polygon_selection.h"
#include "drawingutil/polyline_vertices.h"
#include "drawingutil/selection_ids.h"
#include "drawingutil/vertex_order.h"
#include "drawingutil/view_window.h"
#include "drawingutil/zoom.h"
#include "gisexchange/entity_boxes.h"
#include "gisexchange/browser_bridge.h"
#include "gisexchange/exchange_table.h"
#include "gisexchange/feature_records.h"
#include "gisexchange/member_cutting.h"
#include "gisexchange/parcel_check.h"
#include "gisexchange/region_builder.h"
#include "gisexchange/shared_lines.h"
#include "gisexchange/param_blocks.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_object_iterator.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_text.h"
#include "platform/cad/db_vertex.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/selection.h"
#include "platform/gis/mapdsp60.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"

namespace gisexchange {
namespace {

using drawingutil::Opened;
using platform::text::Format;

constexpr double kDegreesPerRadian = 57.29577951308232;
// An entry of an area's line list whose line was never written.
constexpr LONG kMissingLine = std::numeric_limits<LONG>::min();

AcDbObjectId IdOf(const ads_name entity)
{
    AcDbObjectId id;
    drawingutil::IdOfName(entity, id);
    return id;
}

bool NameOf(AcDbObjectId id, ads_name name) { return acdbGetAdsName(name, id) == Acad::eOk; }

std::string CodeOf(const ads_name entity)
{
    std::string code;
    GetEntityCode(entity, code);
    return code;
}

const ExchangeRow* RowOf(const std::string& code)
{
    const int index = FindTableIndex(code.c_str());
    return index < 0 ? nullptr : &ExchangeRows()[static_cast<std::size_t>(index)];
}

LineParams MakeLineParams(const ExchangeRow* row, bool edge)
{
    LineParams b;
    if (row == nullptr) {
        b.Put16(0, 1);
        b.Put32(4, 1);
        if (edge) {
            b.Put32(21, 1);
            b.Put32(31, 1);
        }
        return b;
    }
    b.Put16(0, static_cast<std::uint16_t>(row->i1));
    b.bytes[2] = static_cast<BYTE>(row->i9);
    b.bytes[3] = 1;
    b.Put32(4, static_cast<std::uint32_t>(row->i6));
    b.PutFloat(8, row->i5);
    b.PutFloat(13, row->i3);
    b.PutFloat(17, row->i4);
    b.Put32(21, static_cast<std::uint32_t>(row->i7));
    b.Put16(25, static_cast<std::uint16_t>(row->i8));
    return b;
}

AreaParams MakeAreaParams(const ExchangeRow* row)
{
    AreaParams b;
    if (row == nullptr) {
        b.Put32(0, 9);
        return b;
    }
    b.Put32(0, static_cast<std::uint32_t>(row->i6));
    b.Put16(4, static_cast<std::uint16_t>(row->i7));
    b.PutFloat(6, row->i4);
    b.PutFloat(10, row->i3);
    b.Put32(14, static_cast<std::uint32_t>(row->i9));
    b.Put16(21, static_cast<std::uint16_t>(row->i8));
    return b;
}

LONG WriteLine(GisOutputFile& output, const AcGePoint2dArray& points, const LineParams& params)
{
    if (output.handles.file <= 0 || points.length() < 2)
        return -1;
    std::vector<D_DOT> dots;
    dots.reserve(static_cast<std::size_t>(points.length()));
    for (int i = 0; i < points.length(); ++i) {
        const AcGePoint2d& p = points[i];
        dots.push_back({p.x, p.y});
    }
    const LONG number = GisWriteLine(output.handles.file, dots.data(), static_cast<LONG>(dots.size()), params.bytes, 2);
    return number > 0 ? number : -1;
}

// An elevation point is kept together with its labels: the point and its annotations carry the
// number of one group.
void GroupElevationPoint(const ads_name entity, const std::string& type, const std::string& code)
{
    AcDbObjectId group;
    if (type == "INSERT" && code == "202101")
        CreateEntityGroup(entity, group);
}

LONG WriteAnnotation(GisOutputFile& output, const AcDbText* text, const AcGePoint3d& position)
{
    PointParams b;
    b.PutFloat(2, static_cast<float>(text->height()));
    b.PutFloat(6, static_cast<float>(text->height() * text->widthFactor()));
    b.PutFloat(14, static_cast<float>(text->rotation() * kDegreesPerRadian));
    Opened<AcDbTextStyleTableRecord> style(text->textStyle(), AcDb::kForRead);
    const char* font = nullptr;
    if (style && style->fileName(font) == Acad::eOk && font != nullptr)
        b.Put16(18, static_cast<std::uint16_t>(LookupPrefixValue(font)));
    int red = 0, green = 0, blue = 0;
    if (ColorIndexToRgb(text->colorIndex(), red, green, blue) != 0)
        b.Put32(44, static_cast<std::uint32_t>(LookupNamedValue(Format("%d,%d,%d", red, green, blue))));
    const std::string string = text->textStringConst();
    const std::size_t length = platform::text::GbkFitLength(string, 32767);
    const std::string kept = string.substr(0, length);
    const D_DOT at{position.x, position.y};
    const LONG number = GisWritePoint(output.handles.file, &at, kept.c_str(), static_cast<short>(length), b.bytes, 0);
    return number > 0 ? number : -1;
}

// The line number of a parcel side from its mark: the side's line, backwards for a negative mark;
// missing when the side has none or its line was not written.
LONG SideLine(const SegmentLines& segmentLines, long mark)
{
    const auto found = segmentLines.lineOfSegment.find(mark < 0 ? -mark : mark);
    if (found == segmentLines.lineOfSegment.end() || found->second <= 0)
        return kMissingLine;
    return mark < 0 ? -found->second : found->second;
}

void AppendSides(const SegmentLines& segmentLines, const std::vector<AcDbObjectId>& vertices, std::vector<LONG>& list)
{
    for (AcDbObjectId vertex : vertices) {
        ads_name name{};
        long mark = 0;
        if (NameOf(vertex, name))
            GetXDataLong(name, "MBBSM", mark);
        list.push_back(SideLine(segmentLines, mark));
    }
}

// Builds the area unless an entry of its list lacks a line; the area takes a number either way.
void BuildArea(TableExporter& exporter, GisOutputFile& output, const ads_name entity, const std::vector<LONG>& rings,
               const AreaParams& params, const std::string& code)
{
    TableExportState& state = ExportState();
    std::vector<LONG> list;
    list.push_back(static_cast<LONG>(rings.size()));
    bool whole = !rings.empty();
    for (LONG entry : rings) {
        whole = whole && entry != kMissingLine;
        list.push_back(entry);
    }
    const long id = ++state.nextFeatureId;
    LONG number = 0;
    if (whole && output.handles.file > 0)
        number = GisBuildArea(output.handles.file, list.data(), static_cast<LONG>(list.size()), params.bytes);
    if (number > 0) {
        WriteFeatureRecord(output, entity, *output.tmpl, number, GIS_KIND_AREA, id, exporter, code, 0);
        return;
    }
    SendEntityToBrowser(kExportReportTitle,
                        Format("发现一个面，该实体编码为<%s>，其边界线没有全部写入，该面未能转换", code.c_str()).c_str(),
                        entity);
}

std::vector<AcDbObjectId> Members(const ads_name selection)
{
    std::vector<AcDbObjectId> ids;
    drawingutil::AppendMemberIds(selection, ids);
    return ids;
}

// Points along a curve to test for lying inside a boundary: up to four of its vertices spread
// over it, and its last point when it is open.
AcGePoint2dArray SamplePoints(const ads_name entity, bool closed)
{
    AcGePoint2dArray vertices, samples;
    if (!GetCurvePoints(entity, vertices, 0) || vertices.isEmpty())
        return samples;
    const int n = vertices.length();
    const int steps = std::min(n, 4);
    for (int k = 0; k < steps; ++k)
        samples.append(vertices[k * n / steps]);
    if (!closed)
        samples.append(vertices.last());
    return samples;
}

bool IsMemberCode(const std::string& code)
{
    return code.rfind("31", 0) == 0 || code.rfind("32", 0) == 0 || code == "141910";
}

}  // namespace

LONG ExportPointFeature(GisOutputFile& output, const ads_name entity, const AttributeTemplate&)
{
    if (output.handles.file <= 0)
        return -1;
    const std::string type = EntityTypeName(entity);
    const std::string code = CodeOf(entity);
    AcGePoint3d at;
    double rotation = 0;
    if (type == "INSERT") {
        Opened<AcDbBlockReference> reference(entity, AcDb::kForRead);
        if (!reference)
            return -1;
        at = reference->position();
        rotation = reference->rotation();
    } else {
        AcGePoint3d low, high;
        if (!EntityExtents(entity, low, high, 0))
            return -1;
        at = AcGePoint3d((low.x + high.x) / 2, (low.y + high.y) / 2, 0);
    }
    GroupElevationPoint(entity, type, code);
    PointParams b;
    b.bytes[0] = 1;
    b.bytes[1] = 1;
    if (const ExchangeRow* row = RowOf(code)) {
        b.Put32(2, static_cast<std::uint32_t>(row->i1));
        b.PutFloat(6, row->i4);
        b.PutFloat(10, row->i3);
        b.Put32(44, static_cast<std::uint32_t>(row->i6));
        b.Put16(52, static_cast<std::uint16_t>(row->i8));
    } else {
        b.Put32(2, 144);
        b.PutFloat(6, 1.0f);
        b.PutFloat(10, 1.0f);
        b.Put32(22, 6);
        b.Put32(44, 3);
        b.Put16(52, 58);
    }
    b.PutFloat(14, static_cast<float>(rotation * kDegreesPerRadian));
    const D_DOT position{at.x, at.y};
    const LONG number = GisWritePoint(output.handles.file, &position, "", 0, b.bytes, 0);
    return number > 0 ? number : -1;
}

LONG ExportTextFeature(GisOutputFile& output, const ads_name entity, const AttributeTemplate&)
{
    if (output.handles.file <= 0)
        return -1;
    const std::string type = EntityTypeName(entity);
    if (type == "TEXT") {
        Opened<AcDbText> text(entity, AcDb::kForRead);
        return text ? WriteAnnotation(output, text.get(), text->position()) : -1;
    }
    const std::string code = CodeOf(entity);
    if (type != "INSERT" || code != "202101")
        return -1;
    GroupElevationPoint(entity, type, code);
    Opened<AcDbBlockReference> reference(entity, AcDb::kForRead);
    if (!reference)
        return -1;
    std::unique_ptr<AcDbObjectIterator> attributes(reference->attributeIterator());
    LONG last = -1;
    for (attributes->start(); !attributes->done(); attributes->step()) {
        Opened<AcDbAttribute> attribute(attributes->objectId(), AcDb::kForRead);
        if (!attribute)
            continue;
        char* tag = attribute->tag();
        const bool height = tag != nullptr && platform::text::GbkToUpper(tag) == "HEIGHT";
        std::free(tag);
        if (height)
            last = WriteAnnotation(output, attribute.get(), attribute->position());
    }
    return last;
}

LONG ExportCurveFeature(GisOutputFile& output, const ads_name entity, const AttributeTemplate&)
{
    if (output.handles.file <= 0)
        return -1;
    AcGePoint2dArray points;
    const bool approximated = ApproximateCurveArcs(entity, points, ExportSettings().arcStepDegrees);
    if (!approximated && !GetCurvePoints(entity, points, 0))
        return -1;
    if (points.isEmpty())
        return -1;
    // The arc approximation already ends a closed curve on its first point; a circle's points and
    // the plain vertex list do not.
    const int kind = GetCurveKind(entity, 1);
    if ((kind >= kCurveClosedOffset && !approximated) || kind == kCurveCircle)
        points.append(points.first());
    const std::string code = CodeOf(entity);
    const ExchangeRow* row = RowOf(code);
    LineParams b = MakeLineParams(row, false);
    if (code == "144301" && CountXDataItems(entity, "MIRET") == 2) {
        std::string text;
        if (ReadEntityXData(IdOf(entity), "MIRET", text, 3, 1, true, false)) {
            if (!text.empty() && text[0] == '-')
                ReversePoint2dArray(points);
            b.PutFloat(17, static_cast<float>(std::fabs(std::atof(text.c_str())) * 20.0));
        }
    }
    if (row != nullptr && row->reverse == 1)
        ReversePoint2dArray(points);
    return WriteLine(output, points, b);
}

LONG ExportSegmentFeature(GisOutputFile& output, const AcGePoint2d& start, const AcGePoint2d& end)
{
    AcGePoint2dArray points;
    points.append(start);
    points.append(end);
    return WriteLine(output, points, MakeLineParams(RowOf("303000"), false));
}

bool CollectBoundaryVertices(ads_name entity, std::vector<AcDbObjectId>& ids)
{
    ids.clear();
    if (GetCurveKind(entity, 0) == kCurveLightweight && !ConvertTo2dPolyline(entity))
        return false;
    Opened<AcDb2dPolyline> polyline(entity, AcDb::kForRead);
    if (!polyline)
        return false;
    AcGePoint2dArray points;
    std::unique_ptr<AcDbObjectIterator> vertices(polyline->vertexIterator());
    for (vertices->start(); !vertices->done(); vertices->step()) {
        Opened<AcDb2dVertex> vertex(vertices->objectId(), AcDb::kForRead);
        if (!vertex)
            continue;
        const AcDb::Vertex2dType type = vertex->vertexType();
        if (type != AcDb::k2dVertex && type != AcDb::k2dSplineCtlVertex)
            continue;
        ids.push_back(vertices->objectId());
        points.append(AcGePoint2d(vertex->position().x, vertex->position().y));
    }
    if (!ids.empty() && IsRingClockwise(points))
        std::rotate(ids.begin(), ids.begin() + 1, ids.end());
    return true;
}

bool ClearBoundaryMarks(NeighbourSides* sides)
{
    // Parcels are polylines: only those are read, lightweight and old-style, named rather than
    // matched by a wildcard.
    drawingutil::Chain polylines(acutBuildList(RTDXF0, "LWPOLYLINE,POLYLINE", RTNONE));
    ads_name all{};
    if (acedSSGet("X", nullptr, nullptr, polylines.get(), all) != RTNORM)
        return false;
    bool complete = true;
    for (AcDbObjectId id : Members(all)) {
        ads_name entity{};
        std::vector<AcDbObjectId> vertices;
        if (!NameOf(id, entity) || !CheckParcelPolyline(entity, 0))
            continue;
        if (!CollectBoundaryVertices(entity, vertices)) {
            complete = false;
            continue;
        }
        for (AcDbObjectId vertex : vertices) {
            ads_name name{};
            if (NameOf(vertex, name) && CountXDataItems(name, "MBBSM") > 0)
                ClearXData(name, "MBBSM");
        }
        AcGePoint2dArray points;
        if (sides != nullptr && complete) {
            if (GetCurvePoints(entity, points, 0))
                sides->Add(IdOf(entity), points, vertices);
            else
                complete = false;
        }
    }
    acedSSFree(all);
    if (sides != nullptr)
        sides->Finish();
    return complete;
}

namespace {

// How near the ends of a neighbour's side must come to those of the side marked.
constexpr double kSameEnd = 0.01;

// The vertex among the neighbour's that starts the side from start to end, and the mark it takes
// (the number, negative when the neighbour runs the side backwards). False when it has no such side.
bool FindSharedSide(const AcGePoint2d* points, std::size_t pointCount, const AcDbObjectId* vertices,
                    std::size_t vertexCount, const AcGePoint2d& start, const AcGePoint2d& end, long number,
                    AcDbObjectId& vertex, long& mark)
{
    const std::size_t n = std::min(vertexCount, pointCount);
    for (std::size_t i = 0; i < n; ++i) {
        const AcGePoint2d& a = points[i];
        const AcGePoint2d& b = points[(i + 1) % pointCount];
        mark = 0;
        if (Distance2d(a, start) < kSameEnd && Distance2d(b, end) < kSameEnd)
            mark = number;
        else if (Distance2d(a, end) < kSameEnd && Distance2d(b, start) < kSameEnd)
            mark = -number;
        if (mark == 0)
            continue;
        vertex = vertices[i];
        return true;
    }
    return false;
}

// FindSharedSide on the neighbour as the drawing has it.
bool FindSharedSide(ads_name other, const AcGePoint2d& start, const AcGePoint2d& end, long number,
                    AcDbObjectId& vertex, long& mark)
{
    std::vector<AcDbObjectId> vertices;
    AcGePoint2dArray points;
    if (!CheckParcelPolyline(other, 0) || !CollectBoundaryVertices(other, vertices) ||
        !GetCurvePoints(other, points, 0))
        return false;
    return FindSharedSide(points.asArrayPtr(), static_cast<std::size_t>(points.length()), vertices.data(),
                          vertices.size(), start, end, number, vertex, mark);
}

// The parcels other than the one marked with a side from start to end, as they were filed by their
// sides, each with the vertex that starts the side and its mark: only these can be marked, and when
// there are none no selection around the side finds one. Which of them the crossing window takes
// is the host's to say. (Marking sides changes no parcel's shape.)
std::vector<std::pair<AcDbObjectId, std::pair<AcDbObjectId, long>>> OthersWithSide(const NeighbourSides& sides,
                                                                                   const AcGePoint2d& start,
                                                                                   const AcGePoint2d& end,
                                                                                   AcDbObjectId self, long number)
{
    std::vector<std::pair<AcDbObjectId, std::pair<AcDbObjectId, long>>> found;
    const AcGePoint2d middle((start.x + end.x) / 2, (start.y + end.y) / 2);
    for (const NeighbourSides::Filed& filed : sides.NearFiled(middle, 2 * kSameEnd)) {
        AcDbObjectId vertex;
        long mark = 0;
        if (filed.parcel != self && FindSharedSide(filed.points, filed.pointCount, filed.vertices, filed.vertexCount,
                                                   start, end, number, vertex, mark))
            found.push_back({filed.parcel, {vertex, mark}});
    }
    return found;
}

}  // namespace

void MarkNeighbourSegment(const AcGePoint2d& start, const AcGePoint2d& end, const ads_name parcel, long number,
                          const NeighbourSides* sides)
{
    const AcGePoint2d middle((start.x + end.x) / 2, (start.y + end.y) / 2);
    const double d = std::sqrt(0.5);
    const AcGePoint2d low(middle.x - d, middle.y - d), high(middle.x + d, middle.y + d);
    AcGePoint2dArray corners;
    corners.append(low);
    corners.append(high);
    // The host selects among what it shows.
    EnsurePointsVisible(corners, 0);
    const AcDbObjectId self = IdOf(parcel);
    std::vector<std::pair<AcDbObjectId, std::pair<AcDbObjectId, long>>> candidates;
    if (sides != nullptr) {
        candidates = OthersWithSide(*sides, start, end, self, number);
        if (candidates.empty())
            return;
    }
    ads_point c1 = {low.x, low.y, 0}, c2 = {high.x, high.y, 0};
    ads_name near{};
    // Only polylines are parcels; with the parcels filed, the host need weigh nothing else.
    drawingutil::Chain polylines(sides != nullptr ? acutBuildList(RTDXF0, "LWPOLYLINE,POLYLINE", RTNONE) : nullptr);
    if (acedSSGet("C", c1, c2, polylines.get(), near) != RTNORM)
        return;
    std::vector<std::pair<AcDbObjectId, long>> marks;
    for (AcDbObjectId id : Members(near)) {
        if (id == self)
            continue;
        if (sides != nullptr) {
            for (const auto& [parcel, mark] : candidates)
                if (parcel == id)
                    marks.push_back(mark);
            continue;
        }
        ads_name other{};
        AcDbObjectId vertex;
        long mark = 0;
        if (NameOf(id, other) && FindSharedSide(other, start, end, number, vertex, mark))
            marks.emplace_back(vertex, mark);
    }
    acedSSFree(near);
    for (const auto& [vertex, mark] : marks) {
        ads_name name{};
        if (NameOf(vertex, name))
            SetXDataLong(name, "MBBSM", mark);
    }
}

void SelectAreaMembers(const ads_name boundary, const AcGePoint2dArray& points, const char* mode,
                       std::vector<AcDbObjectId>& result, const char* closedCode, const resbuf* filter)
{
    double area = 0;
    if (!GetCurveArea(boundary, area) || area <= 0.001)
        return;
    ads_name selection{};
    bool selected = false;
    if (std::string(mode) == "WP") {
        selected = SelectByPolygon(points, selection, "WP", 0, 0, filter);
    } else {
        AcGePoint3d low, high;
        if (GetPointsExtents(points, low, high, 0)) {
            ads_point c1 = {low.x, low.y, 0}, c2 = {high.x, high.y, 0};
            selected = acedSSGet("W", c1, c2, filter, selection) == RTNORM;
        }
    }
    if (!selected)
        return;
    const AcDbObjectId self = IdOf(boundary);
    const drawingutil::ClosedCurvePoints inBoundary(boundary);
    for (AcDbObjectId id : Members(selection)) {
        ads_name entity{};
        if (id == self || !NameOf(id, entity))
            continue;
        const std::string code = CodeOf(entity);
        if (!IsMemberCode(code) || (closedCode != nullptr && code != closedCode))
            continue;
        const std::string type = EntityTypeName(entity);
        if (type == "INSERT") {
            if (closedCode != nullptr)
                continue;
            AcGePoint3d at;
            if (code == "312000" && GetBlockPosition(entity, at) && inBoundary.Test(AcGePoint2d(at.x, at.y)) == 1)
                result.push_back(id);
            continue;
        }
        const int kind = GetCurveKind(entity, 1);
        const bool closed = kind >= kCurveClosedOffset;
        if (!closed && (closedCode != nullptr || !(kind >= kCurveLightweight || kind == kCurveLine)))
            continue;
        const AcGePoint2dArray samples = SamplePoints(entity, closed);
        bool inside = !samples.isEmpty();
        for (int i = 0; i < samples.length(); ++i) {
            const AcGePoint2d& p = samples[i];
            inside = inside && inBoundary.Test(p) >= 0;
        }
        if (inside)
            result.push_back(id);
    }
    acedSSFree(selection);
}

const EntityBoxes* EntitiesOfCode(TableExporter& exporter, const std::string& code)
{
    std::shared_ptr<const EntityBoxes>& boxes = exporter.lookups.boxesByCode[code];
    if (!boxes) {
        const auto& byCode = ExportState().entitiesByCode;
        const auto found = byCode.find(code);
        boxes = std::make_shared<const EntityBoxes>(found == byCode.end() ? std::vector<AcDbObjectId>() : found->second);
    }
    return boxes.get();
}

bool CodeMayLieWithin(TableExporter& exporter, const std::string& code, const AcGePoint2dArray& ring)
{
    // Without a collection pass nothing is known.
    if (ExportState().entitiesByCode.empty())
        return true;
    PlainBox reach = BoxOfPoints(ring);
    reach.Expand(kSelectionReach);
    return EntitiesOfCode(exporter, code)->MayTakeOtherWithin(reach, AcDbObjectId());
}

void CollectIslands(const ads_name entity, const char* code, std::vector<AcDbObjectId>& ids,
                    const EntityBoxes* entitiesOfCode)
{
    ids.clear();
    // A boundary selects none of the other entities of the code where each of their boxes stands
    // clearly apart from the boundary's box or reaches clearly out of it.
    auto mayHoldOthers = [entitiesOfCode](const AcGePoint2dArray& ring, AcDbObjectId self) {
        if (entitiesOfCode == nullptr)
            return true;
        PlainBox reach = BoxOfPoints(ring);
        reach.Expand(kSelectionReach);
        return entitiesOfCode->MayTakeOtherWithin(reach, self);
    };
    AcGePoint2dArray points;
    if (!GetCurvePoints(entity, points, 0) || !mayHoldOthers(points, IdOf(entity)))
        return;
    const bool parcel = CodeOf(entity).rfind("30000", 0) == 0;
    // Islands are closed polylines of the code: the host need weigh nothing else. (A parcel's
    // window polygon is asked of the host as it is; what a boundary selection would add when it
    // finds nothing is linear and point features, never an island.)
    const drawingutil::Chain polylines(acutBuildList(RTDXF0, "LWPOLYLINE,POLYLINE", RTNONE));
    auto inside = [&](const ads_name boundary, const AcGePoint2dArray& ring, std::vector<AcDbObjectId>& found) {
        if (parcel) {
            ads_name selection{};
            if (ring.length() >= 3 && SelectByPolygon(ring, selection, "WP", 0, 0, polylines.get())) {
                found = Members(selection);
                acedSSFree(selection);
            }
        } else {
            // Only closed curves of the code count below: the rest are not tested against the
            // boundary at all, which for a large area is most of what lies inside it.
            SelectAreaMembers(boundary, ring, "WP", found, code, polylines.get());
        }
    };
    std::vector<AcDbObjectId> found, candidates;
    inside(entity, points, found);
    for (AcDbObjectId id : found) {
        ads_name candidate{};
        if (NameOf(id, candidate) && GetCurveKind(candidate, 1) >= kCurveClosedOffset && CodeOf(candidate) == code)
            candidates.push_back(id);
    }
    const SortedIdSet set = BuildSortedIdSet(candidates);
    std::vector<AcDbObjectId> nested;
    for (AcDbObjectId id : candidates) {
        ads_name candidate{};
        AcGePoint2dArray ring;
        std::vector<AcDbObjectId> within;
        if (!NameOf(id, candidate) || !GetCurvePoints(candidate, ring, 0) || !mayHoldOthers(ring, id))
            continue;
        inside(candidate, ring, within);
        for (AcDbObjectId w : within) {
            int at = 0;
            if (w != id && FindSortedId(set, w, at))
                nested.push_back(w);
        }
    }
    const SortedIdSet inner = BuildSortedIdSet(nested);
    for (AcDbObjectId id : candidates) {
        int at = 0;
        if (!FindSortedId(inner, id, at))
            ids.push_back(id);
    }
}

void ExportBoundarySegments(TableExporter& exporter, const AreaGroup& group, GisOutputFile* sides,
                            GisOutputFile* parcels, SegmentLines& segmentLines)
{
    TableExportState& state = ExportState();
    // A parcel left out of the sides could be one the host's selection finds: the host is then
    // asked for every side.
    NeighbourSides neighbours;
    const NeighbourSides* known = ClearBoundaryMarks(&neighbours) ? &neighbours : nullptr;
    int position = 0;
    for (const ExportEntry& entry : group.entries) {
        acedSetStatusBarProgressMeterPos(position++);
        ads_name parcel{};
        if (!NameOf(entry.id, parcel))
            continue;
        std::string code = CodeOf(parcel);
        if (code != "300000")
            continue;
        std::vector<AcDbObjectId> vertices;
        AcGePoint2dArray points;
        if (!CollectBoundaryVertices(parcel, vertices) || !GetCurvePoints(parcel, points, 0) || points.isEmpty())
            continue;
        AcDbObjectId groupId;
        const long groupNumber = FindEntityGroup(parcel, groupId) ? GroupNumber(groupId) : 0;
        const int n = std::min(static_cast<int>(vertices.size()), points.length());
        for (int j = 0; j < n; ++j) {
            ads_name vertex{};
            if (!NameOf(vertices[static_cast<std::size_t>(j)], vertex))
                continue;
            long mark = 0;
            if (GetXDataLong(vertex, "MBBSM", mark) && mark != 0)
                continue;
            const AcGePoint2d& a = points[j];
            const AcGePoint2d& b = points[(j + 1) % points.length()];
            const long number = ++state.nextFeatureId;
            SetXDataLong(vertex, "MBBSM", number);
            MarkNeighbourSegment(a, b, parcel, number, known);
            if (sides != nullptr) {
                const LONG line = ExportSegmentFeature(*sides, a, b);
                sides->segmentLength = Distance2d(a, b);
                if (line > 0)
                    WriteFeatureRecord(*sides, vertex, *sides->tmpl, line, GIS_KIND_LINE, number, exporter, "303000",
                                       groupNumber);
            }
            if (parcels != nullptr) {
                const LONG line = ExportSegmentFeature(*parcels, a, b);
                segmentLines.segments.push_back(number);
                segmentLines.lines.push_back(line);
                segmentLines.lineOfSegment[number] = line;
            }
        }
    }
}

void ExportParcelAreas(TableExporter& exporter, const AreaGroup& group, GisOutputFile& parcels,
                       const SegmentLines& segmentLines)
{
    const AreaParams params = MakeAreaParams(RowOf("300000"));
    const EntityBoxes* parcelsOfCode = EntitiesOfCode(exporter, "300000");
    int position = 0;
    for (const ExportEntry& entry : group.entries) {
        acedSetStatusBarProgressMeterPos(position++);
        ads_name parcel{};
        if (!NameOf(entry.id, parcel))
            continue;
        std::vector<AcDbObjectId> vertices;
        std::vector<LONG> rings;
        if (CollectBoundaryVertices(parcel, vertices))
            AppendSides(segmentLines, vertices, rings);
        std::vector<AcDbObjectId> islands;
        CollectIslands(parcel, "300000", islands, parcelsOfCode);
        for (AcDbObjectId island : islands) {
            ads_name name{};
            if (!NameOf(island, name) || !CollectBoundaryVertices(name, vertices))
                continue;
            rings.push_back(0);
            AppendSides(segmentLines, vertices, rings);
        }
        BuildArea(exporter, parcels, parcel, rings, params, "300000");
        PumpMessages();
    }
}

void ExportAssembledAreas(TableExporter& exporter, const AreaGroup& group, GisOutputFile& output)
{
    TableExportState& state = ExportState();
    const bool houses = group.name == "FW";
    std::vector<AcDbObjectId> members;
    for (const ExportEntry& entry : group.entries)
        members.push_back(entry.id);
    if (houses)
        members.insert(members.end(), state.islands.begin(), state.islands.end());
    const SortedIdSet set = BuildSortedIdSet(members);

    SharedLineSet lines;
    lines.keepContributors = true;
    const std::vector<std::vector<int>> refs = CutMembersIntoSharedLines(set, lines, [](const ads_name entity) {
        const std::string code = CodeOf(entity);
        const ExchangeRow* row = RowOf(code);
        // The boundary is turned in the drawing itself, so each arc must stay on its side.
        if (code != "300000" && row != nullptr && row->reverse == 1)
            ReversePolylineVertices(entity);
    });

    // Every distinct stretch once, with the graphic parameters of its first owner's edge code.
    std::unordered_map<int, LONG> lineOfNumber;
    for (std::size_t i = 0; i < lines.lines.size(); ++i) {
        std::string code;
        ads_name owner{};
        if (i < lines.contributors.size() && !lines.contributors[i].empty() && NameOf(lines.contributors[i][0], owner))
            code = CodeOf(owner) + "x";
        lineOfNumber[lines.numbers[i]] = WriteLine(output, lines.lines[i], MakeLineParams(RowOf(code), true));
    }
    auto mapped = [&](int ref) -> LONG {
        const auto found = lineOfNumber.find(ref < 0 ? -ref : ref);
        if (found == lineOfNumber.end() || found->second <= 0)
            return kMissingLine;
        return ref < 0 ? -found->second : found->second;
    };

    int position = 0;
    for (std::size_t k = 0; k < set.size(); ++k) {
        acedSetStatusBarProgressMeterPos(position++);
        ads_name entity{};
        if (!NameOf(set[k], entity))
            continue;
        const std::string code = CodeOf(entity);
        if (code == "141910")
            continue;
        AreaParams params = MakeAreaParams(RowOf(code));
        if (code == "310000") {
            std::string landClass;
            GetXDataAsText(entity, "DLBM", 0, landClass);
            auto& colors = exporter.lookups.landClassColors;
            auto found = colors.find(landClass);
            if (found == colors.end()) {
                int red = 0, green = 0, blue = 0;
                const bool known = LookupExchangeCode("dilei", landClass.c_str(), red, green, blue);
                found = colors.emplace(landClass, known ? GisColorNumber(red, green, blue) : -1).first;
            }
            if (found->second >= 0)
                params.Put32(0, static_cast<std::uint32_t>(found->second));
        }
        std::vector<LONG> rings;
        for (int ref : refs[k])
            rings.push_back(mapped(ref));
        std::vector<AcDbObjectId> islands;
        const std::string islandCode = houses ? "141910" : code;
        CollectIslands(entity, islandCode.c_str(), islands, EntitiesOfCode(exporter, islandCode));
        for (AcDbObjectId island : islands) {
            int at = 0;
            if (!FindSortedId(set, island, at) || refs[static_cast<std::size_t>(at)].empty())
                continue;
            rings.push_back(0);
            for (int ref : refs[static_cast<std::size_t>(at)])
                rings.push_back(mapped(ref));
        }
        BuildArea(exporter, output, entity, rings, params, code);
        PumpMessages();
    }
}

}  // namespace gisexchange
