#include "cadastral/parcel_boundary.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "cadastral/attribute_data.h"
#include "cadastral/entity_selection.h"
#include "cadastral/feature_picking.h"
#include "drawingutil/curve_kinds.h"
#include "drawingutil/drawing_scale.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/layers.h"
#include "drawingutil/point_rings.h"
#include "drawingutil/polygon_selection.h"
#include "drawingutil/polyline_vertices.h"
#include "drawingutil/vertex_order.h"
#include "geometry/duplicate_points.h"
#include "geometry/host_progress.h"
#include "geometry/point_in_polygon.h"
#include "geometry/topology_builder.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/selection.h"
#include "platform/text/gbk.h"

namespace cadastral {
namespace {

using drawingutil::Opened;

// A vertex counts as the canonical start when it lies this close to a boundary point.
constexpr double kStartTolerance = 0.01;
// Grid cells of the point index, in drawing units: far larger than the tolerance, small enough
// that a cell holds a handful of points.
constexpr double kCell = 1.0;

bool Same(const AcGePoint2d& a, const AcGePoint2d& b) { return a.distanceTo(b) < kPointTolerance; }

std::uint64_t CellKey(std::int64_t cx, std::int64_t cy) {
    return (static_cast<std::uint64_t>(cx) << 32) ^ static_cast<std::uint64_t>(cy & 0xffffffff);
}

// A selection set freed when it goes.
class Selection {
public:
    ads_name name{};
    bool made = false;
    ~Selection() {
        if (made)
            acedSSFree(name);
    }
    Adesk::Int32 Length() const {
        Adesk::Int32 n = 0;
        if (made)
            acedSSLength(name, &n);
        return n;
    }
};

bool ReadPoints(const ads_name curve, AcGePoint2dArray& points) {
    points.setLogicalLength(0);
    return GetCurvePoints(curve, points, 0);
}

AcGePoint2dArray ToArray(const geometry::PointList& list) {
    AcGePoint2dArray out;
    for (const geometry::Point2d& p : list)
        out.append(AcGePoint2d(p.x, p.y));
    return out;
}

geometry::PointList ToList(const AcGePoint2dArray& points) {
    geometry::PointList list;
    list.reserve(static_cast<std::size_t>(points.length()));
    for (int k = 0; k < points.length(); ++k) {
        const AcGePoint2d& p = points[k];
        list.push_back({p.x, p.y});
    }
    return list;
}

// The points without repeats, as the topology engine drops them.
AcGePoint2dArray DistinctPoints(const AcGePoint2dArray& points) {
    geometry::PointList list = ToList(points);
    geometry::RemoveDuplicatePoints(list);
    return ToArray(list);
}

void AddUnlessPresent(AcGePoint2dArray& chain, const AcGePoint2d& p) {
    if (!IsPointInList(chain, p))
        chain.append(p);
}

// For each vertex in order the first boundary point on it or, only when there is none, the first
// point of the second class on it.
void PointsOnVertices(const AcGePoint2dArray& vertices, const BoundaryPointIndex& index,
                      AcGePoint2dArray& secondClassPoints, AcGePoint2dArray& boundaryPoints,
                      AcDbObjectIdArray& secondClassIds, AcDbObjectIdArray& boundaryIds) {
    for (int j = 0; j < vertices.length(); ++j) {
        const AcGePoint2d& vertex = vertices[j];
        AcGePoint2d centre;
        AcDbObjectId id;
        if (index.FindBoundaryPoint(vertex, centre, id)) {
            boundaryPoints.append(centre);
            boundaryIds.append(id);
        } else if (index.FindSecondClassPoint(vertex, centre, id)) {
            secondClassPoints.append(centre);
            secondClassIds.append(id);
        }
    }
}

// The first vertex within the start tolerance of one of the boundary points, or -1.
int FirstVertexNear(const AcGePoint2dArray& vertices, const AcGePoint2dArray& boundary) {
    for (int i = 0; i < vertices.length(); ++i)
        for (int j = 0; j < boundary.length(); ++j)
            if (vertices[i].distanceTo(boundary[j]) < kStartTolerance)
                return i;
    return -1;
}

// Step 2 of the canonical order: the parcel turned to start at its first boundary vertex.
bool TurnToFirstBoundaryVertex(const ads_name parcel, const BoundaryPointIndex& index) {
    int start = FindFirstBoundaryVertex(parcel, &index);
    return start >= 0 && RotatePolylineStart(parcel, start, false);
}

}  // namespace

BoundaryPointIndex::Grid::Grid(std::vector<Point> points) : points_(std::move(points)) {
    cells_.reserve(points_.size());
    for (std::size_t rank = 0; rank < points_.size(); ++rank) {
        const AcGePoint2d& centre = points_[rank].centre;
        auto cx = static_cast<std::int64_t>(std::floor(centre.x / kCell));
        auto cy = static_cast<std::int64_t>(std::floor(centre.y / kCell));
        cells_.push_back({CellKey(cx, cy), static_cast<std::uint32_t>(rank)});
    }
    std::sort(cells_.begin(), cells_.end(), [](const Entry& a, const Entry& b) {
        return a.cell != b.cell ? a.cell < b.cell : a.rank < b.rank;
    });
    std::size_t size = 1;
    while (size < 2 * cells_.size())
        size *= 2;
    slots_.assign(size, Slot{});
    for (std::size_t begin = 0; begin < cells_.size();) {
        std::size_t end = begin + 1;
        while (end < cells_.size() && cells_[end].cell == cells_[begin].cell)
            ++end;
        slots_[SlotOf(cells_[begin].cell)] = {cells_[begin].cell, static_cast<std::uint32_t>(begin),
                                              static_cast<std::uint32_t>(end)};
        begin = end;
    }
}

// The cell's slot, or the empty one where it would go.
std::size_t BoundaryPointIndex::Grid::SlotOf(std::uint64_t cell) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = static_cast<std::size_t>((cell * 0x9E3779B97F4A7C15ull) >> 32) & mask;
    while (slots_[slot].begin != slots_[slot].end && slots_[slot].cell != cell)
        slot = (slot + 1) & mask;
    return slot;
}

const BoundaryPointIndex::Point* BoundaryPointIndex::Grid::Find(const AcGePoint2d& at) const {
    if (cells_.empty() || !std::isfinite(at.x) || !std::isfinite(at.y))
        return nullptr;
    const Point* best = nullptr;
    std::uint32_t bestRank = 0;
    auto x0 = static_cast<std::int64_t>(std::floor((at.x - kPointTolerance) / kCell));
    auto x1 = static_cast<std::int64_t>(std::floor((at.x + kPointTolerance) / kCell));
    auto y0 = static_cast<std::int64_t>(std::floor((at.y - kPointTolerance) / kCell));
    auto y1 = static_cast<std::int64_t>(std::floor((at.y + kPointTolerance) / kCell));
    for (std::int64_t cx = x0; cx <= x1; ++cx)
        for (std::int64_t cy = y0; cy <= y1; ++cy) {
            const Slot& slot = slots_[SlotOf(CellKey(cx, cy))];
            // A cell's points come in drawing order: the first one near enough is its best.
            for (std::uint32_t i = slot.begin; i < slot.end; ++i) {
                const Entry& entry = cells_[i];
                const Point& p = points_[entry.rank];
                if (p.centre.distanceTo(at) > kPointTolerance)
                    continue;
                if (best == nullptr || entry.rank < bestRank) {
                    best = &p;
                    bestRank = entry.rank;
                }
                break;
            }
        }
    return best;
}

BoundaryPointIndex::BoundaryPointIndex() {
    // One walk of the drawing finds the circles of both layers; each joins the grid of its layer,
    // in drawing order.
    Selection selection;
    selection.made = SelectByFilter(selection.name, "*CIRCLE*,GD;*CIRCLE*,JZP", "", false);
    const Adesk::Int32 n = selection.Length();
    std::string found;
    std::vector<Point> boundary, secondClass;
    for (Adesk::Int32 i = 0; i < n; ++i) {
        ads_name entity;
        if (acedSSName(selection.name, i, entity) != RTNORM)
            continue;
        std::vector<Point>* points = nullptr;
        const char* code = nullptr;
        {
            Opened<AcDbEntity> circle(entity, AcDb::kForRead);
            if (!circle)
                continue;
            const std::string layer = LayerNameOf(circle.get());
            if (platform::text::GbkEqualNoCase(layer, "GD")) {
                points = &secondClass;
                code = kSecondClassPointCode;
            } else if (platform::text::GbkEqualNoCase(layer, "JZP")) {
                points = &boundary;
                code = kBoundaryPointCode;
            } else {
                continue;
            }
        }
        GetEntityCode(entity, found);
        Point point;
        if (found != code || !GetBoundaryPointCenter(entity, point.centre))
            continue;
        if (acdbGetObjectId(point.id, entity) != Acad::eOk || point.id.isNull())
            continue;
        points->push_back(point);
    }
    boundary_ = Grid(std::move(boundary));
    secondClass_ = Grid(std::move(secondClass));
}

bool BoundaryPointIndex::FindBoundaryPoint(const AcGePoint2d& at, AcGePoint2d& centre, AcDbObjectId& id) const {
    const Point* p = boundary_.Find(at);
    if (p == nullptr)
        return false;
    centre = p->centre;
    id = p->id;
    return true;
}

bool BoundaryPointIndex::FindSecondClassPoint(const AcGePoint2d& at, AcGePoint2d& centre, AcDbObjectId& id) const {
    const Point* p = secondClass_.Find(at);
    if (p == nullptr)
        return false;
    centre = p->centre;
    id = p->id;
    return true;
}

void FindBoundaryPointsOnCurve(const ads_name curve, AcGePoint2dArray& secondClassPoints,
                               AcGePoint2dArray& boundaryPoints, AcDbObjectIdArray& secondClassIds,
                               AcDbObjectIdArray& boundaryIds, const BoundaryPointIndex* index) {
    std::string code;
    GetEntityCode(curve, code);
    if (code != kParcelCode)
        return;
    secondClassPoints.setLogicalLength(0);
    boundaryPoints.setLogicalLength(0);
    secondClassIds.setLogicalLength(0);
    boundaryIds.setLogicalLength(0);
    AcGePoint2dArray vertices;
    if (!ReadPoints(curve, vertices))
        return;
    std::optional<BoundaryPointIndex> own;
    if (index == nullptr)
        index = &own.emplace();
    PointsOnVertices(vertices, *index, secondClassPoints, boundaryPoints, secondClassIds, boundaryIds);
}

int FindFirstBoundaryVertex(const ads_name curve, const BoundaryPointIndex* index) {
    AcGePoint2dArray vertices;
    if (!ReadPoints(curve, vertices) || GetCurveKind(curve, 1) < kCurveClosedOffset)
        return -1;
    AcGePoint2dArray second, boundary;
    AcDbObjectIdArray secondIds, boundaryIds;
    FindBoundaryPointsOnCurve(curve, second, boundary, secondIds, boundaryIds, index);
    if (boundary.isEmpty())
        return -1;
    return FirstVertexNear(vertices, boundary);
}

bool RotatePolylineStart(const ads_name curve, int start, bool reverse) {
    if (start == 0 && !reverse)
        return true;
    AcGePoint2dArray points;
    if (!ReadPoints(curve, points) || points.length() < 2 || start < 0 || start >= points.length())
        return false;
    return ReorderPolylineVertices(curve, start, reverse);
}

void CollectBoundaryLines(const ads_name parcel, std::vector<AcGePoint2dArray>& chains,
                          const BoundaryPointIndex* index) {
    chains.clear();
    AcGePoint2dArray raw;
    if (!ReadPoints(parcel, raw) || DistinctPoints(raw).length() < 3)
        return;
    std::optional<BoundaryPointIndex> own;
    if (index == nullptr)
        index = &own.emplace();
    if (!TurnToFirstBoundaryVertex(parcel, *index))
        return;
    // The chains follow the parcel as it now runs, so that each line comes out whole.
    if (!ReadPoints(parcel, raw))
        return;
    AcGePoint2dArray second, boundary;
    AcDbObjectIdArray secondIds, boundaryIds;
    FindBoundaryPointsOnCurve(parcel, second, boundary, secondIds, boundaryIds, index);
    BoundaryLinesOf(raw, boundary, chains);
}

void BoundaryLinesOf(const AcGePoint2dArray& outline, const AcGePoint2dArray& boundary,
                     std::vector<AcGePoint2dArray>& chains) {
    chains.clear();
    if (boundary.length() < 2)
        return;
    const AcGePoint2dArray points = DistinctPoints(outline);
    if (points.isEmpty())
        return;
    const AcGePoint2d& p0 = points[0];
    AcGePoint2dArray marked;
    marked.append(p0);
    for (int i = 1; i < points.length(); ++i) {
        marked.append(points[i]);
        if (IsPointInList(boundary, points[i]))
            marked.append(points[i]);
    }
    marked.append(p0);
    AcGePoint2dArray chain;
    chain.append(p0);
    AcGePoint2d previous = p0;
    for (int k = 1; k < marked.length(); ++k) {
        const AcGePoint2d& g = marked[k];
        if (Same(g, previous)) {
            if (chain.length() >= 2)
                chains.push_back(chain);
            chain.setLogicalLength(0);
            AddUnlessPresent(chain, g);
        } else {
            AddUnlessPresent(chain, g);
            previous = g;
        }
        if (Same(g, p0)) {
            AddUnlessPresent(chain, g);
            chains.push_back(chain);
            break;
        }
    }
}

bool CollectParcelBoundary(AcDbObjectId parcel, AcDbObjectIdArray& vertexIds, AcGePoint2dArray& points,
                           AcGeDoubleArray& lengths, int orientation, const BoundaryPointIndex* index) {
    ads_name name;
    if (acdbGetAdsName(name, parcel) != Acad::eOk)
        return false;
    std::optional<BoundaryPointIndex> own;
    if (index == nullptr)
        index = &own.emplace();
    if (!TurnToFirstBoundaryVertex(name, *index))
        return false;
    AcGePoint2dArray second, boundary;
    AcDbObjectIdArray secondIds, boundaryIds;
    FindBoundaryPointsOnCurve(name, second, boundary, secondIds, boundaryIds, index);
    return CollectTurnedParcelBoundary(parcel, second, vertexIds, points, lengths, orientation);
}

bool CollectTurnedParcelBoundary(AcDbObjectId parcel, const AcGePoint2dArray& second, AcDbObjectIdArray& vertexIds,
                                 AcGePoint2dArray& points, AcGeDoubleArray& lengths, int orientation) {
    vertexIds.setLogicalLength(0);
    points.setLogicalLength(0);
    lengths.setLogicalLength(0);

    // Every frame vertex of the outline, and which of them are kept.
    AcGePoint2dArray outline;
    std::vector<int> kept;
    {
        Opened<AcDb2dPolyline> poly(parcel, AcDb::kForRead);
        if (poly) {
            std::unique_ptr<AcDbObjectIterator> it(poly->vertexIterator());
            for (it->start(); !it->done(); it->step()) {
                Opened<AcDb2dVertex> vertex(it->objectId(), AcDb::kForRead);
                if (!vertex)
                    continue;
                AcDb::Vertex2dType type = vertex->vertexType();
                if (type != AcDb::k2dVertex && type != AcDb::k2dSplineCtlVertex)
                    continue;
                AcGePoint2d at(vertex->position().x, vertex->position().y);
                if (!IsPointInList(second, at)) {
                    kept.push_back(outline.length());
                    vertexIds.append(it->objectId());
                    points.append(at);
                }
                outline.append(at);
            }
        }
    }
    if (kept.empty())
        return false;
    vertexIds.append(vertexIds[0]);
    vertexIds.removeAt(0);
    const bool clockwise = IsRingClockwise(points);
    const bool reversed = (orientation == 0 && clockwise) || (orientation == 1 && !clockwise);
    if (reversed) {
        auto turn = [](auto& list) {
            list.reverse();
            auto last = list[list.length() - 1];
            list.removeAt(list.length() - 1);
            list.insertAt(0, last);
        };
        turn(vertexIds);
        turn(points);
        std::reverse(kept.begin(), kept.end());
        std::rotate(kept.rbegin(), kept.rbegin() + 1, kept.rend());
    }
    // Distances along the outline from its first vertex, so that each line is a difference.
    const int n = outline.length();
    std::vector<double> along(static_cast<std::size_t>(n) + 1, 0.0);
    for (int i = 0; i < n; ++i)
        along[static_cast<std::size_t>(i) + 1] = along[static_cast<std::size_t>(i)] + outline[i].distanceTo(outline[(i + 1) % n]);
    const double round = along[static_cast<std::size_t>(n)];
    // Forward from vertex a to vertex b in the outline's own order, wrapping once.
    auto forward = [&](int a, int b) {
        double d = along[static_cast<std::size_t>(b)] - along[static_cast<std::size_t>(a)];
        return b >= a ? d : d + round;
    };
    const int m = static_cast<int>(kept.size());
    for (int i = 0; i < m; ++i) {
        int a = kept[static_cast<std::size_t>(i)];
        int b = kept[static_cast<std::size_t>((i + 1) % m)];
        // Each line runs between the two points as they are returned.
        lengths.append(reversed ? forward(b, a) : forward(a, b));
    }
    return true;
}

bool ReadTurnedParcel(AcDbObjectId parcel, const BoundaryPointIndex& index, TurnedParcel& turned) {
    turned.lines.clear();
    turned.outline.setLogicalLength(0);
    turned.secondClassPoints.setLogicalLength(0);
    ads_name name;
    AcGePoint2dArray raw;
    if (acdbGetAdsName(name, parcel) != Acad::eOk || !ReadPoints(name, raw))
        return false;
    // The turn TurnToFirstBoundaryVertex makes, from the points read: a closed parcel starting at
    // its first boundary vertex.
    std::string code;
    GetEntityCode(name, code);
    if (code != kParcelCode || GetCurveKind(name, 1) < kCurveClosedOffset)
        return false;
    AcGePoint2dArray boundary;
    AcDbObjectIdArray secondIds, boundaryIds;
    PointsOnVertices(raw, index, turned.secondClassPoints, boundary, secondIds, boundaryIds);
    const int start = FirstVertexNear(raw, boundary);
    if (start < 0)
        return false;
    // With fewer than 3 distinct points there are no lines, and the outline stays as read before
    // the turn.
    const bool lined = DistinctPoints(raw).length() >= 3;
    turned.outline = raw;
    if (start != 0) {
        if (!RotatePolylineStart(name, start, false))
            return false;
        AcGePoint2dArray moved;
        const bool read = ReadPoints(name, moved);
        if (!read && lined)
            return false;
        turned.secondClassPoints.setLogicalLength(0);
        boundary.setLogicalLength(0);
        secondIds.setLogicalLength(0);
        boundaryIds.setLogicalLength(0);
        if (read)
            PointsOnVertices(moved, index, turned.secondClassPoints, boundary, secondIds, boundaryIds);
        if (lined)
            turned.outline = moved;
    }
    if (lined)
        BoundaryLinesOf(turned.outline, boundary, turned.lines);
    return true;
}

bool FindBoundaryLineFromPoint(const AcGePoint2d& point, const ads_name parcel, AcGePoint2dArray& chain,
                               const BoundaryPointIndex* index) {
    std::vector<AcGePoint2dArray> chains;
    CollectBoundaryLines(parcel, chains, index);
    for (const AcGePoint2dArray& candidate : chains) {
        if (candidate.length() >= 2 && Same(candidate[0], point)) {
            chain = candidate;
            return true;
        }
    }
    return false;
}

bool IsBoundaryJunctionPoint(const ads_name point) {
    AcGePoint2d c;
    if (!GetBoundaryPointCenter(point, c))
        return false;
    double scale = 0;
    GetDrawingScale(scale);
    const double h = scale * 0.001 * 0.7;
    AcGePoint2dArray square;
    square.append(AcGePoint2d(c.x - h, c.y - h));
    square.append(AcGePoint2d(c.x + h, c.y - h));
    square.append(AcGePoint2d(c.x + h, c.y + h));
    square.append(AcGePoint2d(c.x - h, c.y + h));
    Selection selection;
    selection.made = SelectByPolygon(square, selection.name, "CP", 0, 0);
    std::string type;
    std::string code;
    int candidates = 0;
    std::vector<AcGePoint2dArray> found;
    const Adesk::Int32 selected = selection.Length();
    for (Adesk::Int32 i = 0; i < selected; ++i) {
        ads_name entity;
        if (acedSSName(selection.name, i, entity) != RTNORM)
            continue;
        GetEntityTypeName(entity, type);
        Opened<AcDbEntity> opened(entity, AcDb::kForRead);
        bool onLayer = opened && platform::text::GbkEqualNoCase(LayerNameOf(opened.get()), "JZD");
        opened.close();
        if (type != "POLYLINE" || !onLayer)
            continue;
        ++candidates;
        found.emplace_back();
        GetEntityCode(entity, code);
        if (code != kParcelCode || !ReadPoints(entity, found.back()) || !IsPointInList(found.back(), c)) {
            found.pop_back();
            continue;
        }
        if (found.size() > 2)
            return true;
    }
    if (candidates < 2 || found.size() != 2)
        return false;
    AcGePoint2d before[2], after[2];
    for (int k = 0; k < 2; ++k) {
        const AcGePoint2dArray& ring = found[static_cast<std::size_t>(k)];
        const int n = ring.length();
        int at = FindPointIndex(ring, c);
        before[k] = ring[(at + n - 1) % n];
        after[k] = ring[(at + 1) % n];
    }
    bool same = (Same(before[0], before[1]) && Same(after[0], after[1])) ||
                (Same(before[0], after[1]) && Same(after[0], before[1]));
    return !same;
}

void BuildFacesFromSelection(const ads_name selection, const char* code, std::vector<geometry::PointList>& rings,
                             std::vector<geometry::DoubleList>& bulges) {
    rings.clear();
    bulges.clear();
    std::vector<geometry::PointList> inputPoints;
    std::vector<geometry::DoubleList> inputBulges;
    Adesk::Int32 n = 0;
    acedSSLength(selection, &n);
    const std::string wanted = drawingutil::TextOrEmpty(code);
    std::string found;
    for (Adesk::Int32 i = 0; i < n; ++i) {
        ads_name entity;
        if (acedSSName(selection, i, entity) != RTNORM)
            continue;
        if (code != nullptr) {
            GetEntityCode(entity, found);
            if (found != wanted)
                continue;
        }
        AcGePoint2dArray points;
        AcGeDoubleArray arcs;
        if (!ReadPoints(entity, points) || points.length() < 2)
            continue;
        if (!GetCurveBulges(entity, arcs, 0) || arcs.length() != points.length())
            arcs.setLogicalLength(0);
        geometry::PointList ring = ToList(points);
        geometry::DoubleList ringBulges(ring.size(), 0.0);
        for (int k = 0; k < arcs.length(); ++k)
            ringBulges[static_cast<std::size_t>(k)] = arcs[k];
        if (GetCurveKind(entity, 1) >= kCurveClosedOffset && points[0].distanceTo(points[points.length() - 1]) > 1e-10) {
            ring.push_back(ring.front());
            ringBulges.push_back(0.0);
        }
        inputPoints.push_back(std::move(ring));
        inputBulges.push_back(std::move(ringBulges));
    }
    // Many rings take a while to cut: the host shows the meter and stays responsive meanwhile.
    geometry::HostProgress progress;
    geometry::BuildRingFaces(inputPoints, inputBulges, rings, bulges, true, progress);
}

bool FindInteriorPoint(const AcGePoint2dArray& ring, AcGePoint2d& point) {
    geometry::PointList list = ToList(ring);
    geometry::RemoveDuplicatePoints(list);
    if (list.size() < 3)
        return false;
    auto centroid = [&](std::size_t k) {
        return AcGePoint2d((list[0].x + list[1].x + list[k].x) / 3, (list[0].y + list[1].y + list[k].y) / 3);
    };
    if (list.size() == 3) {
        point = centroid(2);
        return true;
    }
    for (std::size_t k = 2; k < list.size(); ++k) {
        AcGePoint2d candidate = centroid(k);
        if (geometry::PointInPolygon(list, candidate.x, candidate.y) == -1) {
            point = candidate;
            return true;
        }
    }
    return false;
}

}  // namespace cadastral
