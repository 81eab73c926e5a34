#include "cadastral/boundary_line_coding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "cadastral/paired_xdata.h"
#include "drawingutil/drawing_scale.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/outline_checks.h"
#include "drawingutil/point_rings.h"
#include "drawingutil/polyline_vertices.h"
#include "drawingutil/selection_ids.h"
#include "drawingutil/view_window.h"
#include "geometry/cell_grid.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/db_point.h"
#include "platform/cad/db_vertex.h"
#include "platform/cad/selection.h"

namespace cadastral {
namespace {

// A line's number: 7 digits, zeros in front ("%07ld").
std::string LineNumber(std::int32_t counter) {
    char text[24];
    const int length = std::snprintf(text, sizeof text, "%07ld", static_cast<long>(counter));
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

using drawingutil::Chain;
using drawingutil::IdOfName;
using drawingutil::Opened;

constexpr const char* kLineCodeApp = "JZXDM";
constexpr const char* kLineNumberApp = "JZXH";
// A vertex is at a point within this distance; a vertex starts a segment within the second.
constexpr double kVertexTolerance = 0.0001;
constexpr double kSegmentStartTolerance = 0.01;
// A point lies on a segment when the detour through it is this short; the search stops there.
constexpr double kOnSegment = 1e-10;
// Two segments coincide when both pairs of ends are this close.
constexpr double kSameSegment = 0.001;
// A point on "GD" belongs to a segment this close.
constexpr double kLinePointReach = 0.1;
// Side of the cells of the points on "GD".
constexpr double kCell = 2.0;
// Side of the cells of the outline grid, in windows around a segment's middle.
constexpr double kCellsPerWindow = 128.0;

bool IsFrameVertex(AcDb::Vertex2dType type) {
    return type == AcDb::k2dVertex || type == AcDb::k2dSplineCtlVertex;
}

std::uint64_t CellKey(long long cx, long long cy) {
    return (static_cast<std::uint64_t>(cx) << 32) ^ (static_cast<std::uint64_t>(cy) & 0xffffffffULL);
}
long long CellOf(double v) {
    return geometry::CellIndex(v, kCell);
}

// The rows of cells of column cx that may hold a point within reach of the segment: those
// beside the part of the segment over the column, widened by the reach (and a little more, for
// the rounding of the cells' bounds).
std::pair<long long, long long> RowsNearSegment(const AcGePoint2d& a, const AcGePoint2d& b, long long cx) {
    const double reach = kLinePointReach * (1 + 1e-6) + 1e-9 * std::max({std::fabs(a.x), std::fabs(a.y), 1.0});
    const double dx = b.x - a.x, dy = b.y - a.y;
    double t0 = 0, t1 = 1;
    if (dx != 0) {
        t0 = std::clamp((static_cast<double>(cx) * kCell - reach - a.x) / dx, 0.0, 1.0);
        t1 = std::clamp((static_cast<double>(cx + 1) * kCell + reach - a.x) / dx, 0.0, 1.0);
    }
    const double ya = a.y + t0 * dy, yb = a.y + t1 * dy;
    return {CellOf(std::min(ya, yb) - reach), CellOf(std::max(ya, yb) + reach)};
}

std::string ReadCode(AcDbObjectId id) {
    std::string code;
    if (!ReadEntityXData(id, kLineCodeApp, code, kXDataString, 0, false, false))
        code.clear();
    return code;
}

void WriteLineCode(AcDbObjectId vertex, const std::string& code, std::int32_t number) {
    ads_name name{};
    if (acdbGetAdsName(name, vertex) != Acad::eOk)
        return;
    SetXDataPair(name, kLineCodeApp, kXDataString, code.c_str(), kLineNumberApp, kXDataLong,
                 std::to_string(number).c_str());
}

double SegmentDistance(const AcGePoint2d& p, const AcGePoint2d& a, const AcGePoint2d& b) {
    double dx = b.x - a.x, dy = b.y - a.y;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return p.distanceTo(AcGePoint2d(a.x + t * dx, a.y + t * dy));
}

}  // namespace

void ClearVertexCodes() {
    ads_name entity{}, next{};
    if (acdbEntNext(nullptr, entity) != RTNORM)
        return;
    for (;;) {
        std::string type;
        if (GetEntityTypeName(entity, type) && type == "VERTEX")
            ClearXData(entity, kLineCodeApp);
        if (acdbEntNext(entity, next) != RTNORM)
            break;
        ads_name_set(next, entity);
    }
}

bool FindVertexAtPoint(AcDbObjectId parcel, const AcGePoint2d& point, AcDbObjectId& vertex) {
    vertex = AcDbObjectId();
    Opened<AcDb2dPolyline> poly(parcel, AcDb::kForRead);
    if (!poly)
        return false;
    std::unique_ptr<AcDbObjectIterator> it(poly->vertexIterator());
    for (it->start(); !it->done(); it->step()) {
        Opened<AcDb2dVertex> v(it->objectId(), AcDb::kForRead);
        if (!v || !IsFrameVertex(v->vertexType()))
            continue;
        if (AcGePoint2d(v->position().x, v->position().y).distanceTo(point) < kVertexTolerance) {
            vertex = it->objectId();
            return true;
        }
    }
    return false;
}

bool ReadOutlineFrame(ads_name polyline, OutlineFrame& frame) {
    frame = OutlineFrame();
    if (!GetCurvePoints(polyline, frame.points, 0) || frame.points.length() < 2)
        return false;
    const int n = frame.points.length();
    // Counter-clockwise from the same first point.
    frame.reversed = IsRingClockwise(frame.points);
    for (int i = 0; i < n; ++i)
        frame.ring.append(frame.points[frame.reversed ? (n - i) % n : i]);
    frame.ring.append(frame.ring[0]);
    if (!ConvertTo2dPolyline(polyline))
        return false;
    Opened<AcDb2dPolyline> poly(polyline, AcDb::kForRead);
    if (!poly)
        return false;
    std::unique_ptr<AcDbObjectIterator> it(poly->vertexIterator());
    for (it->start(); !it->done(); it->step()) {
        Opened<AcDb2dVertex> v(it->objectId(), AcDb::kForRead);
        if (v && IsFrameVertex(v->vertexType()))
            frame.vertices.push_back({it->objectId(), AcGePoint2d(v->position().x, v->position().y)});
    }
    return true;
}

bool FindSegmentInFrame(const OutlineFrame& frame, const AcGePoint2d& point, ParcelSegment& segment) {
    const AcGePoint2dArray& ring = frame.ring;
    const int n = frame.points.length();
    int best = -1;
    double bestMeasure = 0;
    for (int i = 0; i < n; ++i) {
        double measure =
            ring[i].distanceTo(point) + point.distanceTo(ring[i + 1]) - ring[i].distanceTo(ring[i + 1]);
        if (best < 0 || measure < bestMeasure) {
            best = i;
            bestMeasure = measure;
        }
        if (measure < kOnSegment)
            break;
    }
    for (const auto& [id, at] : frame.vertices) {
        if (at.distanceTo(ring[best]) < kSegmentStartTolerance) {
            segment.vertex = id;
            segment.start = ring[best];
            segment.end = ring[best + 1];
            segment.ownIndex = frame.reversed ? (n - best - 1) % n : best;
            return true;
        }
    }
    return false;
}

AcDbObjectId FindVertexInFrame(const OutlineFrame& frame, const AcGePoint2d& point) {
    for (const auto& [id, at] : frame.vertices)
        if (at.distanceTo(point) < kVertexTolerance)
            return id;
    return AcDbObjectId();
}

bool FindSegmentAtPoint(ads_name polyline, const AcGePoint2d& point, ParcelSegment& segment) {
    OutlineFrame frame;
    return ReadOutlineFrame(polyline, frame) && FindSegmentInFrame(frame, point, segment);
}

bool PointNearSegment(const AcGePoint3d& point, const AcGePoint2d& start, const AcGePoint2d& end) {
    return SegmentDistance(AcGePoint2d(point.x, point.y), start, end) < kLinePointReach;
}

BoundaryLineCoder::BoundaryLineCoder(const BoundaryPointIndex* index) : index_(index) {
    double scale = 500;
    GetDrawingScale(scale);
    window_ = scale * 0.001 * 0.5;
}

BoundaryLineCoder::ViewKept::ViewKept(BoundaryLineCoder& coder) : coder_(coder) {
    View& view = coder_.view_;
    view.seen = GetViewWindow(view.low, view.high);
    view.kept = true;
}

void BoundaryLineCoder::SelectAround(const AcGePoint2d& point, AcDbObjectId parcel,
                                     std::vector<AcDbObjectId>& found) {
    found.clear();
    const AcGePoint2d low(point.x - window_, point.y - window_), high(point.x + window_, point.y + window_);
    if (!outlines_)
        outlines_ = std::make_unique<OutlineGrid>(kCellsPerWindow * window_);
    AcGePoint3d viewLow, viewHigh;
    bool seen = view_.kept ? view_.seen : GetViewWindow(viewLow, viewHigh);
    if (view_.kept) {
        viewLow = view_.low;
        viewHigh = view_.high;
    }
    if (seen && outlines_->Crossing(low, high, AcGePoint2d(viewLow.x, viewLow.y), AcGePoint2d(viewHigh.x, viewHigh.y),
                                    parcel, found))
        return;
    ads_point corner1 = {low.x, low.y, 0}, corner2 = {high.x, high.y, 0};
    drawingutil::AppendSelectedIds("C", corner1, corner2, nullptr, found);
}

bool BoundaryLineCoder::FindSharedSegment(ads_name parcel, const AcGePoint2d& point, ParcelSegment& own,
                                          ParcelSegment& neighbour, AcDbObjectId& neighbourParcel) {
    neighbour = ParcelSegment();
    neighbourParcel = AcDbObjectId();
    OutlineFrame frame;
    if (!ReadOutlineFrame(parcel, frame) || !FindSegmentInFrame(frame, point, own))
        return false;
    AcDbObjectId parcelId;
    IdOfName(parcel, parcelId);
    FindNeighbour(parcelId, point, own, neighbour, neighbourParcel);
    return true;
}

void BoundaryLineCoder::FindNeighbour(AcDbObjectId parcel, const AcGePoint2d& point, const ParcelSegment& own,
                                      ParcelSegment& neighbour, AcDbObjectId& neighbourParcel) {
    neighbour = ParcelSegment();
    neighbourParcel = AcDbObjectId();
    std::vector<AcDbObjectId> found;
    SelectAround(point, parcel, found);
    for (AcDbObjectId id : found) {
        ads_name member{};
        if (id == parcel || acdbGetAdsName(member, id) != Acad::eOk)
            continue;
        const Neighbour& outline = NeighbourNamed(member);
        ParcelSegment other;
        if (!outline.framed || !FindSegmentInFrame(outline.frame, point, other))
            continue;
        bool same = (other.start.distanceTo(own.start) < kSameSegment &&
                     other.end.distanceTo(own.end) < kSameSegment) ||
                    (other.end.distanceTo(own.start) < kSameSegment &&
                     other.start.distanceTo(own.end) < kSameSegment);
        if (same) {
            neighbour = other;
            neighbourParcel = id;
            break;
        }
    }
}

const BoundaryLineCoder::Neighbour& BoundaryLineCoder::NeighbourNamed(ads_name name) {
    auto [at, added] = neighbours_.try_emplace({name[0], name[1]});
    Neighbour& outline = at->second;
    if (added)
        outline.boundary = CheckBoundaryPolyline(name, 0);
    if (outline.boundary && !outline.framed)
        outline.framed = ReadOutlineFrame(name, outline.frame);
    return outline;
}

void BoundaryLineCoder::CodeParcel(ads_name parcel, const std::string& linePrefix,
                                   const std::string& segmentPrefix, std::int32_t& counter) {
    // Coding turns the parcel's start: what its neighbours read of it is read again.
    neighbours_.erase({parcel[0], parcel[1]});
    // A lightweight parcel is coded like one that a neighbour has already converted.
    if (!ConvertTo2dPolyline(parcel))
        return;
    AcDbObjectId parcelId;
    if (!IdOfName(parcel, parcelId))
        return;
    std::vector<AcGePoint2dArray> lines;
    CollectBoundaryLines(parcel, lines, index_);
    AcDbObjectIdArray vertexIds;
    AcGePoint2dArray points;
    AcGeDoubleArray lengths;
    if (!CollectParcelBoundary(parcelId, vertexIds, points, lengths, 0, index_))
        return;
    // Every vertex must carry a boundary point or a point of the second class.
    if (static_cast<int>(lines.size()) != points.length())
        return;
    // The outline is read once: coding its lines changes no vertex of it. Without it no segment
    // could be found.
    OutlineFrame frame;
    if (!ReadOutlineFrame(parcel, frame))
        return;
    // Nor does coding move the view, which every window around a segment is seen through.
    ViewKept view(*this);
    for (const AcGePoint2dArray& line : lines) {
        bool numbered = false;
        for (int j = 0; j + 1 < line.length(); ++j) {
            if (FindVertexInFrame(frame, line[j]).isNull())
                continue;
            AcGePoint2d middle((line[j].x + line[j + 1].x) / 2, (line[j].y + line[j + 1].y) / 2);
            ParcelSegment own, neighbour;
            AcDbObjectId neighbourParcel;
            if (!FindSegmentInFrame(frame, middle, own))
                continue;
            FindNeighbour(parcelId, middle, own, neighbour, neighbourParcel);
            if (own.vertex.isNull() || !ReadCode(own.vertex).empty())
                continue;
            // One number per line: the first segment still uncoded takes it, the rest share it.
            if (!numbered) {
                ++counter;
                numbered = true;
            }
            std::string code = linePrefix + segmentPrefix + LineNumber(counter);
            WriteLineCode(own.vertex, code, counter);
            Record(parcelId, own);
            if (!neighbour.vertex.isNull()) {
                WriteLineCode(neighbour.vertex, code, counter);
                Record(neighbourParcel, neighbour);
            }
        }
    }
}

void BoundaryLineCoder::Record(AcDbObjectId parcel, const ParcelSegment& segment) {
    pending_.push_back({parcel, segment.ownIndex, segment.start, segment.end, segment.vertex, 0});
}

void BoundaryLineCoder::ReadLinePoints() {
    pointsRead_ = true;
    Chain filter(acutBuildList(RTDXF0, "POINT", 8, "GD", RTNONE));
    std::vector<AcDbObjectId> ids;
    drawingutil::AppendSelectedIds("X", nullptr, nullptr, filter.get(), ids);
    for (AcDbObjectId id : ids) {
        Opened<AcDbPoint> point(id, AcDb::kForRead);
        if (!point)
            continue;
        AcGePoint3d at = point->position();
        cells_[CellKey(CellOf(at.x), CellOf(at.y))].push_back(points_.size());
        points_.push_back({id, at, false});
    }
}

void BoundaryLineCoder::ReadDrawingOrder() {
    drawingOrderRead_ = true;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbBlockTable* table = nullptr;
    if (db == nullptr || db->getBlockTable(table, AcDb::kForRead) != Acad::eOk)
        return;
    AcDbBlockTableRecord* space = nullptr;
    const Acad::ErrorStatus es = table->getAt(ACDB_MODEL_SPACE, space, AcDb::kForRead);
    table->close();
    if (es != Acad::eOk)
        return;
    AcDbBlockTableRecordIterator* it = nullptr;
    if (space->newIterator(it) == Acad::eOk) {
        std::size_t rank = 0;
        for (it->start(); !it->done(); it->step()) {
            AcDbObjectId id;
            if (it->getEntityId(id) == Acad::eOk)
                drawingOrder_.emplace_back(id, rank++);
        }
        delete it;
    }
    space->close();
    // Ids only name the entities here: any consistent order finds them.
    std::sort(drawingOrder_.begin(), drawingOrder_.end());
}

std::size_t BoundaryLineCoder::DrawingRank(AcDbObjectId parcel) const {
    const auto it = std::lower_bound(drawingOrder_.begin(), drawingOrder_.end(), std::make_pair(parcel, std::size_t{0}));
    return it != drawingOrder_.end() && it->first == parcel ? it->second : drawingOrder_.size();
}

void BoundaryLineCoder::CodeLinePoints() {
    if (!pointsRead_)
        ReadLinePoints();
    // Cleared rather than freed: the next district records into the same room.
    if (points_.empty()) {
        pending_.clear();
        return;
    }
    if (!drawingOrderRead_)
        ReadDrawingOrder();
    // The order a walk over every parcel in drawing order, and along each parcel, would take.
    for (CodedSegment& segment : pending_)
        segment.rank = DrawingRank(segment.parcel);
    std::stable_sort(pending_.begin(), pending_.end(), [](const CodedSegment& a, const CodedSegment& b) {
        return a.rank != b.rank ? a.rank < b.rank : a.ownIndex < b.ownIndex;
    });
    for (const CodedSegment& segment : pending_) {
        std::string code;  // read when a point needs it: a later neighbour may have rewritten it
        bool codeRead = false;
        // Whether the point takes the segment's code; false once the segment has none to give.
        auto take = [&](LinePoint& point) {
            if (point.coded || !PointNearSegment(point.position, segment.start, segment.end))
                return true;
            if (!codeRead) {
                code = ReadCode(segment.vertex);
                codeRead = true;
            }
            if (code.empty())
                return false;
            if (!ReadCode(point.id).empty()) {
                point.coded = true;
                return true;
            }
            ads_name name{};
            if (acdbGetAdsName(name, point.id) == Acad::eOk) {
                SetXData(name, kLineCodeApp, kXDataString, code.c_str());
                point.coded = true;
            }
            return true;
        };
        const long long x0 = CellOf(std::min(segment.start.x, segment.end.x) - kLinePointReach);
        const long long x1 = CellOf(std::max(segment.start.x, segment.end.x) + kLinePointReach);
        const long long y0 = CellOf(std::min(segment.start.y, segment.end.y) - kLinePointReach);
        const long long y1 = CellOf(std::max(segment.start.y, segment.end.y) + kLinePointReach);
        // A segment across more cells than there are points (a vertex far off, a coordinate that is
        // no number) looks at every point instead: each is tested the same way, in fewer steps.
        if (3 * (x1 - x0) + (y1 - y0) > static_cast<long long>(points_.size())) {
            for (LinePoint& point : points_)
                if (!take(point))
                    break;
            continue;
        }
        for (long long cx = x0; cx <= x1; ++cx) {
            const auto [r0, r1] = RowsNearSegment(segment.start, segment.end, cx);
            for (long long cy = r0; cy <= r1; ++cy) {
                auto cell = cells_.find(CellKey(cx, cy));
                if (cell == cells_.end())
                    continue;
                for (std::size_t k : cell->second)
                    if (!take(points_[k]))
                        break;
            }
        }
    }
    pending_.clear();
}

}  // namespace cadastral
