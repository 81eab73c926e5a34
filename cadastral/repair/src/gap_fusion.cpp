#include "cadastral/gap_fusion.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "browser_client/browser_client.h"
#include "cadastral/attribute_data.h"
#include "cadastral/entity_selection.h"
#include "cadastral/region_selection.h"
#include "cadastral/settings.h"
#include "drawingutil/drawing_scale.h"
#include "drawingutil/entity_positions.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/selection_set.h"
#include "fusable_outlines.h"
#include "snap_targets.h"
#include "geometry/bulge_polyline.h"
#include "geometry/cell_grid.h"
#include "geometry/curve_vertex_editing.h"
#include "geometry/curve_vertex_readers.h"
#include "geometry/gap_distances.h"
#include "geometry/polyline_closed_flag.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/ads_units.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"
#include "platform/text/gbk.h"

namespace cadastral {
namespace {

using geometry::Point2d;

// Gaps at most this long are no gaps: the places already coincide.
constexpr double kCoincident = 1e-10;
constexpr double kArcTolerance = 0.001;
// Half the side of the square searched around each visited vertex, in drawing units. Fixed: the
// merge commands never fuse more than 1 unit.
constexpr double kWindowHalfSide = 1.0;
constexpr double kVisitedFusion = 0.0001;
constexpr double kVisitedSnap = 0.001;

bool UsableDistance(double d) { return std::isfinite(d) && d > 0.0; }

// MergeCandidatesAtCentroid, naming each curve it changed (or tried to) in `moved`.
bool MergeAtCentroid(const std::vector<FusionCandidate>& candidates, std::vector<AcDbObjectId>* moved);

using Selection = drawingutil::SelectionSet;

std::string Decimal(double value, int decimals) {
    char text[64] = {};
    acdbRToS(value, 2, decimals, text);
    return text;
}

void ZoomExtents() { acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE); }

struct FusionRun {
    const resbuf* visitedFilter;
    const char* visitedCodes;
    const resbuf* fusedFilter;
    const char* fusedCodes;
    const char* title;
    bool visitedTakesPart;  // the visited vertex is a candidate itself
    int mode;
    double distance;
    AcDbObjectIdArray& modified;
    int reports = 0;
    std::optional<std::vector<AcDbObjectId>>* visitedIds = nullptr;  // given the polygons visited, when asked
};

// The ids of a selection's members in its order; none when a member cannot be named.
std::optional<std::vector<AcDbObjectId>> MemberIds(const Selection& selection) {
    std::vector<AcDbObjectId> ids;
    for (int i = 0; i < selection.Length(); ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (!selection.At(i, entity, id)) return std::nullopt;
        ids.push_back(id);
    }
    return ids;
}

void ReportFusion(FusionRun& run, const FusionCandidate& candidate, double gap) {
    const HostSettings& s = Settings();
    char text[256];
    std::snprintf(text, sizeof text, "成功融合 X:%s Y:%s 处 %s 空隙", Decimal(candidate.point.x, s.dj_coorddot).c_str(),
                  Decimal(candidate.point.y, s.dj_coorddot).c_str(), Decimal(gap, s.dj_distdot).c_str());
    ads_point point = {candidate.point.x, candidate.point.y, 0.0};
    ReportToBrowserPoint(run.title, text, point);
    ++run.reports;
}

// What a neighbour gives the vertex v: named among the changed polygons, a candidate, and the
// gap reported with it.
struct NeighbourReach {
    bool named = false;
    bool gives = false;
    FusionCandidate candidate;
    double gap = 0.0;
};

// The place of neighbour N (its vertices, bulges and closed flag) nearest to v that fuses with
// it, if any; false when N gives v nothing.
bool ReachNeighbour(const FusionRun& run, AcDbObjectId id, const geometry::PointList& points,
                    const geometry::DoubleList& bulges, bool closed, const Point2d& v, NeighbourReach& reach) {
    reach = NeighbourReach{};
    double gap = 0.0;
    Point2d nearest;
    if (!geometry::DistanceToBulgePolyline(points, bulges, closed, v, kArcTolerance, gap, nearest) ||
        !(gap < run.distance))
        return false;
    double t = 0.0;
    if (!geometry::PointParameterOnPolyline(points, bulges, nearest, closed, kArcTolerance, t)) return false;
    const auto count = static_cast<long long>(points.size());
    long long s = static_cast<long long>(t);
    if (s < 0 || s >= count) return false;
    const long long s1 = s + 1 == count ? 0 : s + 1;
    const double d1 = std::sqrt(geometry::SquaredDistance2d(points[static_cast<std::size_t>(s)], v));
    const double d2 = std::sqrt(geometry::SquaredDistance2d(points[static_cast<std::size_t>(s1)], v));
    FusionCandidate candidate{id, 0.0, {}};
    if (d1 <= run.distance && d1 > kCoincident) {
        candidate = {id, static_cast<double>(s), points[static_cast<std::size_t>(s)]};
        gap = d1;
    } else if (d2 <= run.distance && d2 > kCoincident) {
        candidate = {id, static_cast<double>(s1), points[static_cast<std::size_t>(s1)]};
        gap = d2;
    } else if (run.mode >= 2) {
        reach.named = true;
        reach.candidate.id = id;
        Point2d q;
        if (!geometry::PointAtPolylineParameter(points, bulges, t, closed, kArcTolerance, q)) return true;
        candidate = {id, t, q};
        gap = 0.0;
    } else {
        return false;
    }
    reach.gives = true;
    reach.candidate = candidate;
    reach.gap = gap;
    return true;
}

void TakeNeighbour(FusionRun& run, const NeighbourReach& reach, std::vector<FusionCandidate>& candidates) {
    if (reach.named) run.modified.append(reach.candidate.id);
    if (!reach.gives) return;
    candidates.push_back(reach.candidate);
    if (reach.gap > kCoincident) ReportFusion(run, reach.candidate, reach.gap);
}

// The neighbours the host's crossing window around v selects, in its order. The outlines read for
// the run, when given, give the vertices of those they hold and are read again where the fusion
// moved them.
void VisitVertex(FusionRun& run, AcDbObjectId self, int index, const Point2d& v, FusableOutlines* outlines) {
    const AcGePoint3d low(v.x - kWindowHalfSide, v.y - kWindowHalfSide, 0.0);
    const AcGePoint3d high(v.x + kWindowHalfSide, v.y + kWindowHalfSide, 0.0);
    Selection window;
    if (!SelectByMode(window.Fill(), "c", low, high, run.fusedFilter, run.fusedCodes, false)) {
        window.Drop();
        return;
    }
    const int count = window.Length();
    if (count < (run.visitedTakesPart ? 2 : 1)) return;
    std::vector<FusionCandidate> candidates;
    NeighbourReach reach;
    for (int i = 0; i < count; ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (!window.At(i, entity) || acdbGetObjectId(id, entity) != Acad::eOk) continue;
        if (id == self) {
            if (run.visitedTakesPart) candidates.push_back({id, static_cast<double>(index), v});
            continue;
        }
        const int held = outlines != nullptr ? outlines->Find(id) : -1;
        if (held >= 0) {
            const FusableOutline& outline = outlines->At(held);
            if (outline.readable && ReachNeighbour(run, id, outline.points, outline.bulges, outline.closed, v, reach))
                TakeNeighbour(run, reach, candidates);
            continue;
        }
        geometry::PointList points;
        geometry::DoubleList bulges;
        if (!geometry::ReadEntityVerticesByName(entity, points, bulges) || points.empty()) continue;
        if (ReachNeighbour(run, id, points, bulges, geometry::IsPolylineClosed(entity), v, reach))
            TakeNeighbour(run, reach, candidates);
    }
    window.Free();
    std::vector<AcDbObjectId> moved;
    MergeAtCentroid(candidates, &moved);
    if (outlines != nullptr)
        for (AcDbObjectId id : moved) outlines->Reread(id);
}

// VisitVertex with the neighbours taken from the outlines read for the run, which are read again
// where the fusion moved them. Only an outline passing within the fusion distance of v gives a
// candidate, and such an outline lies well inside the host's window around v: the window takes
// it. With one such neighbour the answer is the window's; with more, the order of the reports and
// changes is the window's, and the host is asked for it.
void VisitVertexIndexed(FusionRun& run, FusableOutlines& outlines, int self, int index, const Point2d& v) {
    std::vector<int> near;
    outlines.Near(v, kWindowHalfSide, near);
    int reached = -1;
    bool selfNear = false;
    NeighbourReach reach;
    for (int position : near) {
        const FusableOutline& outline = outlines.At(position);
        selfNear = selfNear || position == self;
        if (position == self || !outline.readable) continue;
        NeighbourReach found;
        if (!ReachNeighbour(run, outline.id, outline.points, outline.bulges, outline.closed, v, found)) continue;
        if (reached >= 0) {
            VisitVertex(run, outlines.At(self).id, index, v, &outlines);
            return;
        }
        reached = position;
        reach = found;
    }
    // The visited vertex and one neighbour meet at their midpoint whichever comes first.
    std::vector<FusionCandidate> candidates;
    if (run.visitedTakesPart && selfNear) candidates.push_back({outlines.At(self).id, static_cast<double>(index), v});
    if (reached >= 0) TakeNeighbour(run, reach, candidates);
    std::vector<AcDbObjectId> moved;
    MergeAtCentroid(candidates, &moved);
    for (AcDbObjectId id : moved) outlines.Reread(id);
}

void RunFusion(FusionRun& run, const char* visitedFilterText) {
    RereadDecimalSettings();
    Selection polygons;
    if (!SelectByFilter(polygons.Fill(), visitedFilterText, run.visitedCodes, false)) polygons.Drop();
    if (run.visitedIds != nullptr) *run.visitedIds = MemberIds(polygons);
    if (!polygons.Held()) return;
    const int count = polygons.Length();
    if (count == 0) return;
    ZoomExtents();
    ClearBrowserItem(run.title);
    acedSetStatusBarProgressMeter("正在合并空隙...", 0, count);
    // Each place is visited once, whichever polygon reaches it first.
    geometry::PointGrid visited(kVisitedFusion);
    // Within half the window the host's arcs and ours cannot disagree about what crosses it; a
    // wider fusion asks the host around every vertex.
    const bool indexed = run.distance <= 0.5 * kWindowHalfSide;
    FusableOutlines outlines;
    // Where the polygons visited are the ones fused, their selection already names them all.
    const bool sameClass = run.visitedFilter == run.fusedFilter && run.visitedCodes == run.fusedCodes;
    if (indexed) outlines.Load(run.fusedFilter, run.fusedCodes, sameClass ? &polygons : nullptr);
    for (int i = 0; i < count; ++i) {
        acedSetStatusBarProgressMeterPos(i);
        ads_name entity;
        AcDbObjectId id;
        if (!polygons.At(i, entity) || acdbGetObjectId(id, entity) != Acad::eOk) continue;
        geometry::RemoveCloseVertices(entity, run.distance);
        geometry::RemoveDegenerateVertices(entity, 0.01, run.distance, false);
        // A polygon no window would select (on a layer turned off, say) has its vertices visited
        // through the host, which counts what the window holds.
        const int self = indexed ? outlines.Find(id) : -1;
        if (self >= 0) outlines.Reread(id);
        geometry::PointList points;
        if (!geometry::ReadEntityPointsByName(entity, points)) continue;
        for (std::size_t j = 0; j < points.size(); ++j) {
            if (visited.TestAndAdd(points[j])) continue;
            if (self >= 0)
                VisitVertexIndexed(run, outlines, self, static_cast<int>(j), points[j]);
            else
                VisitVertex(run, id, static_cast<int>(j), points[j], indexed ? &outlines : nullptr);
        }
    }
    polygons.Free();
    acedRestoreStatusBar();
    if (run.reports == 0) ReportToBrowserPair(run.title, "检查完毕");
    ShowBrowser();
}

}  // namespace

bool MergeCandidatesAtCentroid(const std::vector<FusionCandidate>& candidates) {
    return MergeAtCentroid(candidates, nullptr);
}

namespace {

bool MergeAtCentroid(const std::vector<FusionCandidate>& candidates, std::vector<AcDbObjectId>* moved) {
    if (candidates.empty()) return false;
    Point2d m;
    for (const FusionCandidate& c : candidates) {
        m.x += c.point.x;
        m.y += c.point.y;
    }
    m.x /= static_cast<double>(candidates.size());
    m.y /= static_cast<double>(candidates.size());
    for (const FusionCandidate& c : candidates) {
        const double whole = std::trunc(c.parameter);
        if (c.parameter - whole < 1e-7) {
            if (geometry::SquaredDistance2d(m, c.point) > 0.0) {
                geometry::MoveCurveVertex(c.id, static_cast<int>(whole), m);
                if (moved != nullptr) moved->push_back(c.id);
            }
            continue;
        }
        const int inserted = geometry::InsertVertexAtPointOnCurve(c.id, c.point);
        if (inserted >= 0) geometry::MoveCurveVertex(c.id, inserted, m);
        if (moved != nullptr) moved->push_back(c.id);
    }
    return true;
}

}  // namespace

void FuseBoundaryPointGaps(const char* filterText, const char* codePatterns, AcDbObjectIdArray& modified, int mode,
                           double distance) {
    std::optional<std::vector<AcDbObjectId>> visited;
    FuseBoundaryPointGaps(filterText, codePatterns, modified, mode, distance, visited);
}

void FuseBoundaryPointGaps(const char* filterText, const char* codePatterns, AcDbObjectIdArray& modified, int mode,
                           double distance, std::optional<std::vector<AcDbObjectId>>& visited) {
    visited.reset();
    if (!UsableDistance(distance)) return;
    drawingutil::Chain filter(BuildEntityFilter(filterText));
    if (!filter) return;
    FusionRun run{filter.get(), codePatterns, filter.get(), codePatterns, kBoundaryFusionTitle, true,
                  mode,         distance,     modified};
    run.visitedIds = &visited;
    RunFusion(run, filterText);
}

void FusePatchDistrictGaps(const char* filterText1, const char* codePatterns1, const char* filterText2,
                           const char* codePatterns2, AcDbObjectIdArray& modified, int mode, double distance) {
    if (!UsableDistance(distance)) return;
    drawingutil::Chain filter1(BuildEntityFilter(filterText1));
    drawingutil::Chain filter2(BuildEntityFilter(filterText2));
    if (!filter1 || !filter2) return;
    FusionRun run{filter1.get(), codePatterns1, filter2.get(), codePatterns2, kPatchDistrictFusionTitle, false,
                  mode,          distance,      modified};
    RunFusion(run, filterText1);
}

void DeleteBoundaryPointAndLabel(const ads_name circle, const resbuf* labelFilter, const char* labelCodePatterns) {
    AcGePoint3d centre;
    std::string label;
    {
        drawingutil::Opened<AcDbEntity> entity(circle, AcDb::kForWrite);
        AcDbCircle* object = AsCircle(entity.get());
        if (object == nullptr) return;
        centre = object->center();
        // The label is the prefix that follows the feature code and the point number after it.
        if (resbuf* data = object->xData("MIRET")) {
            const resbuf* code = data->rbnext;
            const resbuf* prefix = code != nullptr ? code->rbnext : nullptr;
            const resbuf* number = prefix != nullptr ? prefix->rbnext : nullptr;
            if (number != nullptr && prefix->restype == 1000 && (number->restype == 1071 || number->restype == 1070)) {
                const long value = number->restype == 1071 ? static_cast<long>(number->resval.rlong) : number->resval.rint;
                char text[160];
                std::snprintf(text, sizeof text, "%s%ld", prefix->resval.rstring ? prefix->resval.rstring : "", value);
                label = text;
            }
            acutRelRb(data);
        }
        object->erase();
    }
    if (label.empty()) return;
    double scale = 500.0;
    GetDrawingScale(scale);
    const double h = 10.0 * scale * 0.001;
    Selection texts;
    if (!SelectByMode(texts.Fill(), "C", AcGePoint3d(centre.x - h, centre.y - h, 0.0),
                      AcGePoint3d(centre.x + h, centre.y + h, 0.0), labelFilter, labelCodePatterns, false)) {
        texts.Drop();
        return;
    }
    for (int i = 0; i < texts.Length(); ++i) {
        ads_name text;
        if (!texts.At(i, text)) continue;
        std::string value;
        GetTextString(text, value);
        if (platform::text::GbkEqualNoCase(value, label)) {
            acdbEntDel(text);
            return;
        }
    }
}

namespace {

// The point feature a vertex draws to, and where it lies.
struct SnapPick {
    ads_name name = {0, 0};
    AcDbObjectId id;
    AcGePoint3d at;
};

using SnappedPoints = std::set<AcDbObjectId>;

// Among the features a window holds (with their base points, when readable), the nearest to v
// of those not snapped before whose base point lies within the square from low to high, the first
// of equals. A point already snapped marks the corner it was put on, and the window reaches
// circles whose centre lies outside the square: neither is v's to take.
template <typename Member>
bool ChooseSnapPoint(int found, const geometry::Point2d& v, const AcGePoint3d& low, const AcGePoint3d& high,
                     const SnappedPoints& snapped, Member member, SnapPick& pick) {
    double best = 10000.0;
    bool picked = false;
    for (int k = 0; k < found; ++k) {
        SnapPick point;
        if (!member(k, point) || snapped.count(point.id) != 0) continue;
        if (!(point.at.x >= low.x && point.at.x <= high.x && point.at.y >= low.y && point.at.y <= high.y)) continue;
        const double d = std::sqrt(geometry::SquaredDistance2d({point.at.x, point.at.y}, v));
        if (d < best) {
            best = d;
            pick = point;
            picked = true;
        }
    }
    return picked;
}

// ChooseSnapPoint among what the host's crossing window from low to high selects.
bool PickThroughHost(const resbuf* filter, const char* codePatterns, const AcGePoint3d& low, const AcGePoint3d& high,
                     const geometry::Point2d& v, const SnappedPoints& snapped, SnapPick& pick) {
    Selection near;
    if (!SelectByMode(near.Fill(), "c", low, high, filter, codePatterns, false)) {
        near.Drop();
        return false;
    }
    return ChooseSnapPoint(near.Length(), v, low, high, snapped, [&](int k, SnapPick& point) {
        return near.At(k, point.name) && acdbGetObjectId(point.id, point.name) == Acad::eOk &&
               ReadEntityBasePoint(point.name, point.at);
    }, pick);
}

// ChooseSnapPoint among the targets such a window selects; false in `answered` when the host has
// to be asked.
bool PickAmongTargets(const SnapTargets& targets, const AcGePoint3d& low, const AcGePoint3d& high,
                      const geometry::Point2d& v, const SnappedPoints& snapped, SnapPick& pick, bool& answered) {
    std::vector<int> selected;
    answered = targets.Window({low.x, low.y}, {high.x, high.y}, selected);
    if (!answered) return false;
    return ChooseSnapPoint(static_cast<int>(selected.size()), v, low, high, snapped, [&](int k, SnapPick& point) {
        const SnapTarget& target = targets.At(selected[static_cast<std::size_t>(k)]);
        point.id = target.id;
        point.at = target.base;
        return acdbGetAdsName(point.name, target.id) == Acad::eOk;
    }, pick);
}

// The points lying on a corner (within kVisitedSnap of a vertex), the first one of each
// corner, found again by the corner.
class CornerPoints {
public:
    // False when a point already stands on that corner.
    bool Add(const geometry::Point2d& p, const SnapPick& point) {
        if (Locate(p) != nullptr) return false;
        cells_[Key(Cell(p.x), Cell(p.y))].push_back({p, point, false});
        return true;
    }
    // The point of the corner at v, once.
    bool Take(const geometry::Point2d& v, SnapPick& pick) {
        Entry* entry = Locate(v);
        if (entry == nullptr || entry->taken) return false;
        entry->taken = true;
        pick = entry->point;
        return acdbGetAdsName(pick.name, pick.id) == Acad::eOk;
    }

private:
    struct Entry {
        geometry::Point2d at;
        SnapPick point;
        bool taken;
    };
    static std::int64_t Cell(double c) { return geometry::CellIndex(c, kVisitedSnap); }
    static std::uint64_t Key(std::int64_t x, std::int64_t y) { return geometry::CellKey(x, y); }
    Entry* Locate(const geometry::Point2d& p) {
        const std::int64_t cx = Cell(p.x), cy = Cell(p.y);
        for (std::int64_t x = cx - 1; x <= cx + 1; ++x)
            for (std::int64_t y = cy - 1; y <= cy + 1; ++y) {
                const auto cell = cells_.find(Key(x, y));
                if (cell == cells_.end()) continue;
                for (Entry& entry : cell->second)
                    if (geometry::SquaredDistance2d(entry.at, p) <= kVisitedSnap * kVisitedSnap) return &entry;
            }
        return nullptr;
    }
    std::unordered_map<std::uint64_t, std::vector<Entry>> cells_;
};

}  // namespace

bool SnapPointsToLines(const char* pointFilterText, const char* pointCodePatterns, const char* lineFilterText,
                       const char* lineCodePatterns, double distance) {
    if (!UsableDistance(distance)) return false;
    Selection selected;
    if (!SelectByFilter(selected.Fill(), lineFilterText, lineCodePatterns, false)) {
        selected.Drop();
        return false;
    }
    std::vector<AcDbObjectId> lines;
    for (int i = 0; i < selected.Length(); ++i) {
        ads_name entity;
        AcDbObjectId id;
        // A member that cannot be named is passed over, as its vertices could not be read.
        lines.push_back(selected.At(i, entity, id) ? id : AcDbObjectId());
    }
    return SnapPointsToLines(pointFilterText, pointCodePatterns, lines, distance);
}

bool SnapPointsToLines(const char* pointFilterText, const char* pointCodePatterns,
                       const std::vector<AcDbObjectId>& lines, double distance) {
    if (!UsableDistance(distance)) return false;
    const int count = static_cast<int>(lines.size());
    if (count == 0) return false;
    {
        Selection blocks;
        if (SelectByFilter(blocks.Fill(), "insert,jzd", "302020", false)) {
            for (int i = 0; i < blocks.Length(); ++i) {
                ads_name block;
                if (blocks.At(i, block)) acdbEntDel(block);
            }
        } else {
            blocks.Drop();
        }
    }
    drawingutil::Chain pointFilter(BuildEntityFilter(pointFilterText));
    drawingutil::Chain textFilter(BuildEntityFilter("text,jzp"));
    ZoomExtents();
    // The point features, selected once: read, they answer most windows round a vertex without
    // the host; afterwards those left off every vertex go. Snapping only moves them.
    Selection points;
    if (!SelectByFilter(points.Fill(), pointFilterText, pointCodePatterns, false)) points.Drop();
    SnapTargets targets;
    targets.Load(points);
    // Snapping moves points only, so the lines are read once. A point lying on a vertex
    // already marks that corner: it counts as snapped from the start, so that no other vertex
    // near it (a neighbour's corner left apart by a gap) takes it away, and its own corner takes
    // it as the nearest.
    std::vector<std::optional<geometry::PointList>> lineVertices(static_cast<std::size_t>(count));
    geometry::PointGrid corners(kVisitedSnap);
    for (int i = 0; i < count; ++i) {
        ads_name line;
        geometry::PointList vertices;
        if (lines[static_cast<std::size_t>(i)].isNull() ||
            acdbGetAdsName(line, lines[static_cast<std::size_t>(i)]) != Acad::eOk ||
            !geometry::ReadEntityPointsByName(line, vertices))
            continue;
        for (const Point2d& v : vertices) corners.Add(v);
        lineVertices[static_cast<std::size_t>(i)] = std::move(vertices);
    }
    SnappedPoints snapped;
    CornerPoints onCorners;
    for (int i = 0; i < points.Length(); ++i) {
        SnapPick point;
        if (!points.At(i, point.name, point.id) || !ReadEntityBasePoint(point.name, point.at)) continue;
        const Point2d p{point.at.x, point.at.y};
        if (corners.AnyWithin(p) && onCorners.Add(p, point)) snapped.insert(point.id);
    }
    acedSetStatusBarProgressMeter("正在进行点向线上靠拢...", 0, count);
    geometry::PointGrid visited(kVisitedSnap);
    int corrected = 0;
    for (int i = 0; i < count; ++i) {
        acedSetStatusBarProgressMeterPos(i);
        if (!lineVertices[static_cast<std::size_t>(i)]) continue;
        for (const Point2d& v : *lineVertices[static_cast<std::size_t>(i)]) {
            if (visited.TestAndAdd(v)) continue;
            const AcGePoint3d low(v.x - distance, v.y - distance, 0.0);
            const AcGePoint3d high(v.x + distance, v.y + distance, 0.0);
            SnapPick pick;
            bool picked = onCorners.Take(v, pick);
            if (!picked) {
                bool answered = false;
                picked = PickAmongTargets(targets, low, high, v, snapped, pick, answered);
                if (!answered)
                    picked = PickThroughHost(pointFilter.get(), pointCodePatterns, low, high, v, snapped, pick);
            }
            if (!picked) continue;
            if (std::sqrt(geometry::SquaredDistance2d({pick.at.x, pick.at.y}, v)) > kCoincident &&
                WriteEntityBasePoint(pick.name, AcGePoint3d(v.x, v.y, 0.0))) {
                ++corrected;
                targets.Reread(targets.Find(pick.id));
            }
            snapped.insert(pick.id);
        }
    }
    acedRestoreStatusBar();
    acutPrintf("\n当前图上有%d个界址点位置被修正.", corrected);
    if (snapped.empty()) return true;
    for (int i = 0; i < points.Length(); ++i) {
        ads_name point;
        AcDbObjectId id;
        if (points.At(i, point, id) && snapped.count(id) == 0)
            DeleteBoundaryPointAndLabel(point, textFilter.get(), "301001");
    }
    return true;
}

}  // namespace cadastral
