#pragma once
// Where two polylines with bulges meet: the ring intersection routine of the segment cutter.
#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/box_index.h"
#include "geometry/extents.h"
#include "geometry/pair_intersection.h"
#include "geometry/point2d.h"

namespace geometry {

// A polyline prepared as the second operand: the box of each segment (arcs included), and a
// spatial index over them when the polyline is long. Preparing once lets a long ring be met by
// many others without testing every pair of segments. The points must outlive it.
class PolylineSegments {
public:
    PolylineSegments(const PointList& points, const DoubleList& bulges);
    ~PolylineSegments();

    size_t Count() const { return segments_.size(); }

    // Appends, in ascending order, the indexes of the usable segments whose boxes touch the box.
    void Candidates(const Extents& box, std::vector<uint32_t>& out) const;

    const PointList& Points() const { return points_; }
    double Bulge(size_t segment) const { return segments_[segment].bulge; }
    bool Straight(size_t segment) const { return segments_[segment].straight; }
    double Length(size_t segment) const { return segments_[segment].length; }
    const Extents& Box(size_t segment) const { return segments_[segment].box; }
    // The box around all segment boxes.
    const Extents& Bounds() const { return bounds_; }

private:
    struct Segment {
        Extents box;  // empty for a segment shorter than the kernel's zero length
        double bulge = 0.0;
        double length = 0.0;  // along the chord, or along the arc
        bool straight = true;
    };

    const PointList& points_;
    std::vector<Segment> segments_;
    Extents bounds_;
    std::unique_ptr<BoxIndex> index_;
};

// Every point where the segment or arc p0-p1 meets the polyline, with its parameter along p0-p1;
// bounds1 limits the first operand, the polyline's segments are taken with their ends included.
// Returns the number of points appended.
int SegmentPolylineIntersections(const Point2d& p0, const Point2d& p1, const PolylineSegments& polyline,
                                 const ParameterBounds& bounds1, PointList& points, DoubleList& params);
int ArcPolylineIntersections(const Point2d& p0, const Point2d& p1, double bulge, const PolylineSegments& polyline,
                             const ParameterBounds& bounds1, PointList& points, DoubleList& params);

// Empties the outputs, then lists every point where polyline 1 meets polyline 2, with its
// parameter along polyline 1 (segment index plus the fraction along that segment). Crossings,
// touching points and the ends of common stretches are all listed. Each segment of polyline 1
// keeps points up to 1e-6 before its start and short of 1e-6 before its end, so a vertex belongs
// to the segment that starts there; the last segment keeps its end too. A point found twice at
// the same place of polyline 1 is listed once, but a place that polyline 1 passes twice keeps
// both parameters. Returns the number of points.
int PolylineIntersections(const PointList& points1, const DoubleList& bulges1, const PointList& points2,
                          const DoubleList& bulges2, PointList& points, DoubleList& params);

// The same, appending to the outputs, with both polylines prepared.
int AppendPolylineIntersections(const PolylineSegments& first, const PolylineSegments& second, PointList& points,
                                DoubleList& params);

}  // namespace geometry
