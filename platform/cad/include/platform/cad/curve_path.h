// A curve as a chain of straight and circular segments, each with its own parameter range. The
// curve classes build one and share these operations: point and parameter conversions, closest
// point, area, offset, split and planar intersection.
#pragma once

#include <vector>

#include "platform/cad/db_entity.h"
#include "platform/cad/ge_types.h"

namespace platform::cad {

// The distance below which two points count as equal near coordinates of the given size. Survey
// coordinates run into the millions, where a fixed 1e-10 is below the spacing of doubles.
double ScaledTolerance(double magnitude);

struct PathSegment {
    bool arc = false;
    AcGePoint3d start;
    AcGePoint3d end;
    AcGePoint2d center;  // arcs only
    double radius = 0;
    double startAngle = 0;
    double sweep = 0;  // signed: counter-clockwise positive
    double param0 = 0;
    double param1 = 1;

    double length() const;
    // t runs from 0 at the start to 1 at the end.
    AcGePoint3d pointAt(double t) const;
    AcGeVector3d derivative(double t) const;
    // The t of the closest point (in the plane; z follows the segment).
    double closestT(const AcGePoint3d& point) const;
    double paramAt(double t) const { return param0 + (param1 - param0) * t; }
    // Bulge of an arc segment (0 for a line).
    double bulge() const;
};

class CurvePath {
public:
    std::vector<PathSegment> segments;
    bool closed = false;

    void AddLine(const AcGePoint3d& a, const AcGePoint3d& b, double p0, double p1);
    // A segment from a to b with the bulge (0: straight), at a's z.
    void AddBulge(const AcGePoint3d& a, const AcGePoint3d& b, double bulge, double p0, double p1);
    void AddArc(const AcGePoint2d& center, double radius, double startAngle, double sweep, double z, double p0,
                double p1);

    // Moves a path built in an entity's own coordinate system (by its normal) into world
    // coordinates. A normal along -z mirrors x and reverses arcs; other tilted normals turn arcs
    // into fine chords, since their projection on the plane is no circle.
    void FromEcs(const AcGeVector3d& normal);

    bool Empty() const { return segments.empty(); }
    double StartParam() const { return segments.empty() ? 0 : segments.front().param0; }
    double EndParam() const { return segments.empty() ? 0 : segments.back().param1; }
    double Magnitude() const;
    double Tolerance() const { return ScaledTolerance(Magnitude()); }
    double Length() const;

    bool PointAtParam(double param, AcGePoint3d& point) const;
    bool DerivativeAtParam(double param, AcGeVector3d& deriv) const;
    // The parameter of a point on the curve; false when it lies farther than the tolerance.
    bool ParamAtPoint(const AcGePoint3d& point, double& param) const;
    bool DistAtParam(double param, double& dist) const;
    bool ParamAtDist(double dist, double& param) const;
    AcGePoint3d ClosestPoint(const AcGePoint3d& point, double* param = nullptr) const;
    // Area enclosed with the closing chord, positive counter-clockwise.
    double SignedArea() const;
    AcDbExtents Extents() const;

    // Planar intersections; an extended path of one segment is taken as its whole line or circle.
    std::vector<AcGePoint3d> Intersect(const CurvePath& other, bool extendThis, bool extendOther) const;
    // Whether Intersect(other, false, false) finds any point; stops at the first.
    bool Meets(const CurvePath& other) const;
    // The part between two parameters (p0 < p1; for closed paths p1 may pass the end and wrap).
    CurvePath Piece(double p0, double p1) const;
    // Parallel path at the distance, positive to the left of travel; false when it degenerates.
    bool Offset(double distance, CurvePath& result) const;

private:
    int SegmentAt(double param) const;
};

}  // namespace platform::cad
