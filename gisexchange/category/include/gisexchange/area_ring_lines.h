// The lines around an area of a MapGIS area file. The area's boundary may already be covered in
// part by lines written for earlier areas: those are found on the area's curve and put in order
// along it, the stretches none covers are written as new lines, and the area names them all.
#pragma once

#include <vector>

#include "platform/cad/ac_array.h"
#include "platform/cad/resbuf.h"
#include "platform/win/win_types.h"

namespace gisexchange {

// The bearing of the step from the first point to the second, clockwise from +y, in [0, 360).
double DirectionAngle(double x1, double y1, double x2, double y2);
// Whether P lies on the segment from A to B: within 0.0001 of an end, or where the bearings
// A->P and P->B agree within 0.1 degree (compared round the circle).
bool IsPointOnSegment(const AcGePoint2d& p, const AcGePoint2d& a, const AcGePoint2d& b);

// The distance along the curve's vertex chain (a closed curve with its closing span) from its
// first vertex to the point; -1 when the point lies on no span.
double DistanceAlongCurve(const ads_name entity, const AcGePoint2d& point);
// The stretch of a closed vertex ring running forward from A to B, beginning and ending exactly
// at them and wrapping past the ring's start only when B lies before A. False, with `out` left
// alone, when A and B meet or either lies off the ring.
bool ExtractRingPiece(const AcGePoint2dArray& ring, const AcGePoint2d& a, const AcGePoint2d& b,
                      AcGePoint2dArray& out);

// The lines of a file written so far, parallel: their points and numbers. Gap lines are added.
// Lines are found through a grid of their extents, so an area meets only lines near it.
class WrittenLines {
public:
    WrittenLines();
    ~WrittenLines();
    WrittenLines(const WrittenLines&) = delete;
    WrittenLines& operator=(const WrittenLines&) = delete;

    void Add(const AcGePoint2dArray& points, LONG number);
    std::size_t size() const { return points_.size(); }
    const AcGePoint2dArray& Points(std::size_t i) const { return points_[i]; }
    LONG Number(std::size_t i) const { return numbers_[i]; }
    // The lines whose extents meet the box, in the order they were added.
    std::vector<std::size_t> Near(const AcGePoint2d& low, const AcGePoint2d& high) const;

private:
    struct Grid;
    std::vector<AcGePoint2dArray> points_;
    std::vector<LONG> numbers_;
    Grid* grid_;
};

// Fills `ring` with the line numbers around the area in the order of its curve, writing gap lines
// into the line file (all-zero parameters). False when a gap line could not be written: the ring
// is then incomplete and no area may be built from it.
bool BuildAreaRingLines(short file, const ads_name area, WrittenLines& lines, std::vector<LONG>& ring);

}  // namespace gisexchange
