#include "geometry/topology_builder.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "geometry/box_index.h"
#include "geometry/face_tracer.h"
#include "geometry/island_outlines.h"
#include "geometry/parameter_sort.h"
#include "geometry/polyline_intersection.h"

namespace geometry {

namespace {

// Above this many rings the cut shows progress and keeps the host responsive.
constexpr size_t kMeterThreshold = 400;
constexpr size_t kPumpStep = 20;
constexpr double kSameCut = 1e-7;          // parameters closer than this are one cut
constexpr double kStraightBulge = 1e-6;    // pieces of segments with a smaller bulge are straight
constexpr double kSegmentIndexNudge = 1e-12;

// Cut points whose parameter is not a number cannot be placed on the ring.
void RemoveUnplaceable(PointList& points, DoubleList& params) {
    size_t kept = 0;
    for (size_t i = 0; i < params.size(); ++i) {
        if (!std::isfinite(params[i])) continue;
        points[kept] = points[i];
        params[kept] = params[i];
        ++kept;
    }
    points.resize(kept);
    params.resize(kept);
}

// Of a run of sorted parameters each closer than kSameCut to the one before, the first stays.
void MergeCloseCuts(PointList& points, DoubleList& params) {
    if (params.empty()) return;
    size_t kept = 1;
    for (size_t i = 1; i < params.size(); ++i) {
        if (std::fabs(params[i - 1] - params[i]) < kSameCut) continue;
        points[kept] = points[i];
        params[kept] = params[i];
        ++kept;
    }
    points.resize(kept);
    params.resize(kept);
}

bool IsFinite(const Point2d& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

bool UsableRings(const std::vector<PointList>& ringPoints, const std::vector<DoubleList>& ringBulges) {
    if (ringPoints.size() != ringBulges.size()) return false;
    for (size_t i = 0; i < ringPoints.size(); ++i) {
        if (ringPoints[i].size() != ringBulges[i].size()) return false;
        if (!std::all_of(ringPoints[i].begin(), ringPoints[i].end(), IsFinite)) return false;
        if (!std::all_of(ringBulges[i].begin(), ringBulges[i].end(), [](double b) { return std::isfinite(b); })) {
            return false;
        }
    }
    return true;
}

}  // namespace

TopologyBuilder::TopologyBuilder(ProgressSink& progress) : progress_(progress) {}

void TopologyBuilder::AddPolyline(const PointList& points, const DoubleList& bulges) {
    rings_.push_back({points, bulges, PointsExtents(points)});
}

void TopologyBuilder::CutSegments() {
    const size_t n = rings_.size();
    const bool meter = n > kMeterThreshold;
    if (meter) progress_.ShowProgressMeter("正在切割...", static_cast<int>(n));

    std::vector<Extents> boxes;
    boxes.reserve(n);
    for (const Ring& ring : rings_) boxes.push_back(ring.extents);
    const BoxIndex ringIndex(boxes);
    std::vector<std::unique_ptr<PolylineSegments>> prepared(n);

    PointList points;
    DoubleList params;
    std::vector<uint32_t> neighbours;
    for (size_t i = 0; i < n; ++i) {
        if (meter) {
            progress_.SetProgressPosition(static_cast<int>(i));
            if (i % kPumpStep == 0) progress_.PumpMessages();
        }
        const Ring& ring = rings_[i];
        points.clear();
        params.clear();
        // The same rings as testing the extents of every ring, in the same (ascending) order.
        neighbours.clear();
        ringIndex.Query(ring.extents, neighbours);
        std::sort(neighbours.begin(), neighbours.end());
        auto prepare = [&](size_t k) -> const PolylineSegments& {
            if (!prepared[k]) prepared[k] = std::make_unique<PolylineSegments>(rings_[k].points, rings_[k].bulges);
            return *prepared[k];
        };
        for (uint32_t j : neighbours) {
            if (!ExtentsTouch(ring.extents, rings_[j].extents)) continue;
            AppendPolylineIntersections(prepare(i), prepare(j), points, params);
        }
        RemoveUnplaceable(points, params);
        SortParameters(params, points);
        MergeCloseCuts(points, params);

        for (size_t k = 0; k + 1 < params.size(); ++k) {
            const double index = std::trunc(params[k] + kSegmentIndexNudge);
            if (index < 0.0) continue;
            const size_t segment = static_cast<size_t>(index);
            const double b = segment < ring.bulges.size() ? ring.bulges[segment] : 0.0;
            // The part of an arc between two cuts keeps the arc's curvature: a fraction of the
            // sweep, so a fraction of the quarter-angle whose tangent the bulge is.
            const double bulge = std::fabs(b) < kStraightBulge ? 0.0 : std::tan(std::atan(b) * (params[k + 1] - params[k]));
            pieces_.Insert({points[k], points[k + 1], bulge});
        }
    }
    if (meter) progress_.RestoreStatusBar();
}

void TopologyBuilder::BuildEdges() {
    edgePoints_.clear();
    edgeBulges_.clear();
    for (const TopoSegment& piece : pieces_.Ordered()) {
        edgePoints_.push_back({piece.start, piece.end});
        edgeBulges_.push_back({piece.bulge, 0.0});
    }
}

bool BuildRingFaces(const std::vector<PointList>& ringPoints, const std::vector<DoubleList>& ringBulges,
                    std::vector<PointList>& facePoints, std::vector<DoubleList>& faceBulges, bool outline,
                    ProgressSink& progress) {
    facePoints.clear();
    faceBulges.clear();
    if (!UsableRings(ringPoints, ringBulges)) return false;
    try {
        TopologyBuilder builder(progress);
        for (size_t i = 0; i < ringPoints.size(); ++i) builder.AddPolyline(ringPoints[i], ringBulges[i]);
        builder.CutSegments();
        builder.BuildEdges();
        FaceTracer tracer;
        tracer.AddEdges(builder.EdgePoints(), true);
        tracer.TraceFaces(outline ? 1 : 0);
        for (const TopoFace& face : tracer.Faces()) facePoints.push_back(face.points);
        if (outline) RemoveIslandOutlines(facePoints, builder.EdgePoints());
        return true;
    } catch (...) {
        // Out of memory, or a failing progress sink: nothing half-built is handed back.
        facePoints.clear();
        faceBulges.clear();
        return false;
    }
}

}  // namespace geometry
