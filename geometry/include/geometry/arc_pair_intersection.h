#pragma once
// Arcs as centre, angles and radius, and where two such arcs cross.
#include "geometry/point2d.h"

namespace geometry {

// Counter-clockwise from the start angle to the end angle; a start above the end passes angle 0.
struct ArcRecord {
    Point2d centre;
    double startAngle = 0.0;
    double endAngle = 0.0;
    double radius = 0.0;
};

// The arc of the segment p1-p2 with a non-zero bulge, its angles ordered counter-clockwise.
ArcRecord ArcFromBulgeSegment(const Point2d& p1, const Point2d& p2, double bulge);

// True when the direction from the arc's centre to p lies on the arc; each end is widened by
// 1e-6 when included and narrowed by as much when not.
bool AngleOnArc(const ArcRecord& arc, const Point2d& p, bool includeStart, bool includeEnd);

// The two crossing points of two circles that are known to meet (centres apart).
void IntersectCircles(const Point2d& c1, double r1, const Point2d& c2, double r2, Point2d& p, Point2d& q);

// Appends the points where the arcs meet and returns how many. Arcs on one circle meet at those
// end points of each that lie on the other (each point once); arcs on concentric circles of
// different radii never meet.
int IntersectArcPair(const ArcRecord& arc1, const ArcRecord& arc2, PointList& points, bool includeStart1,
                     bool includeEnd1, bool includeStart2, bool includeEnd2);

}  // namespace geometry
