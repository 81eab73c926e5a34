// Parcels and their boundary points: the circles of the boundary points ("301000" on "JZP") and of
// the second point class ("301100" on "GD") that sit on a parcel's vertices, the parcel's
// canonical start at its first boundary point, its boundary lines between consecutive boundary
// points, and its boundary points in ring order with the lengths of the lines between them.
//
// A command that walks many parcels makes one BoundaryPointIndex for its run and passes it on, so
// that the points are read from the drawing once; without one, each call reads them itself. The
// index is a picture of the drawing when it was made: points added, moved or erased afterwards
// are not seen.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/point2d.h"
#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

namespace cadastral {

inline constexpr const char* kParcelCode = "300000";
inline constexpr const char* kBoundaryPointCode = "301000";
inline constexpr const char* kSecondClassPointCode = "301100";

class BoundaryPointIndex {
public:
    // Reads the boundary points and points of the second class of the working drawing.
    BoundaryPointIndex();

    // The first point (in drawing order) whose centre lies within 1e-6 of the position.
    bool FindBoundaryPoint(const AcGePoint2d& at, AcGePoint2d& centre, AcDbObjectId& id) const;
    bool FindSecondClassPoint(const AcGePoint2d& at, AcGePoint2d& centre, AcDbObjectId& id) const;

private:
    struct Point {
        AcGePoint2d centre;
        AcDbObjectId id;
    };
    // The points of one layer by grid cell: one flat list of (cell, rank) sorted once, each cell's
    // run of it found through an open-addressed table, so that a look-up costs no search.
    class Grid {
    public:
        Grid() = default;
        explicit Grid(std::vector<Point> points);
        const Point* Find(const AcGePoint2d& at) const;

    private:
        struct Entry {
            std::uint64_t cell;
            std::uint32_t rank;
        };
        // A cell's entries are [begin, end); an empty slot has begin == end.
        struct Slot {
            std::uint64_t cell = 0;
            std::uint32_t begin = 0;
            std::uint32_t end = 0;
        };
        std::size_t SlotOf(std::uint64_t cell) const;

        std::vector<Point> points_;  // in drawing order
        std::vector<Entry> cells_;   // by cell, then rank
        std::vector<Slot> slots_;    // a power of two long, at most half full
    };
    Grid boundary_;
    Grid secondClass_;
};

// For a parcel (code "300000"): empties the lists, then for each vertex in order appends the
// first boundary point on it or, only when there is none, the first point of the second class on
// it. Anything else leaves the lists as they were.
void FindBoundaryPointsOnCurve(const ads_name curve, AcGePoint2dArray& secondClassPoints,
                               AcGePoint2dArray& boundaryPoints, AcDbObjectIdArray& secondClassIds,
                               AcDbObjectIdArray& boundaryIds, const BoundaryPointIndex* index = nullptr);
// The first vertex of a closed curve within 0.01 of one of its boundary points, or -1.
int FindFirstBoundaryVertex(const ads_name curve, const BoundaryPointIndex* index = nullptr);
// Puts the polyline's own vertex `start` first, running back with `reverse` (a closed curve keeps
// its new first vertex first); see ReorderPolylineVertices. True also when start is 0 without
// reversal; false when the points cannot be read, are fewer than 2, or start is not one of them.
bool RotatePolylineStart(const ads_name curve, int start, bool reverse);
// The parcel's boundary lines, each the outline's points from one boundary point to the next
// (both included), the first from the parcel's first vertex, which the parcel is turned to start
// at its first boundary vertex for. Empty when the parcel has fewer than 3 distinct points or 2
// boundary points.
void CollectBoundaryLines(const ads_name parcel, std::vector<AcGePoint2dArray>& chains,
                          const BoundaryPointIndex* index = nullptr);
// Turns the old-style parcel to start at its first boundary vertex and lists its frame vertices
// that carry no point of the second class: their VERTEX ids (the first moved to the end), their
// points, and for each point the length of the outline to the next point in the order returned
// (the last to the first). Orientation flag 0 returns the points counter-clockwise, 1 clockwise,
// from the same first point. False when the parcel cannot be turned or no vertex is kept.
bool CollectParcelBoundary(AcDbObjectId parcel, AcDbObjectIdArray& vertexIds, AcGePoint2dArray& points,
                           AcGeDoubleArray& lengths, int orientation, const BoundaryPointIndex* index = nullptr);
// The lines CollectBoundaryLines makes of the outline of a parcel turned to start at its first
// boundary vertex, given the boundary points on it.
void BoundaryLinesOf(const AcGePoint2dArray& outline, const AcGePoint2dArray& boundary,
                     std::vector<AcGePoint2dArray>& chains);
// CollectParcelBoundary for a parcel already turned, given the points of the second class on it.
bool CollectTurnedParcelBoundary(AcDbObjectId parcel, const AcGePoint2dArray& secondClassPoints,
                                 AcDbObjectIdArray& vertexIds, AcGePoint2dArray& points, AcGeDoubleArray& lengths,
                                 int orientation);
// A parcel turned once and read once, for the callers that need both its boundary lines and its
// boundary vertices.
struct TurnedParcel {
    std::vector<AcGePoint2dArray> lines;  // as CollectBoundaryLines gives them
    AcGePoint2dArray outline;             // its points as GetCurvePoints gives them after the lines
    AcGePoint2dArray secondClassPoints;   // on its vertices, as FindBoundaryPointsOnCurve finds them
};
// Turns the parcel as CollectBoundaryLines and CollectParcelBoundary do and reads it; false when
// it cannot be read or turned, where CollectParcelBoundary fails too.
bool ReadTurnedParcel(AcDbObjectId parcel, const BoundaryPointIndex& index, TurnedParcel& turned);
// The parcel's boundary line that starts at the point.
bool FindBoundaryLineFromPoint(const AcGePoint2d& point, const ads_name parcel, AcGePoint2dArray& chain,
                               const BoundaryPointIndex* index = nullptr);
// Whether the boundary point joins more than two parcel outlines, or two that part ways there.
bool IsBoundaryJunctionPoint(const ads_name point);
// The outlines of the connected groups that the closed rings of the selection form (members with
// the code only, when one is given).
void BuildFacesFromSelection(const ads_name selection, const char* code, std::vector<geometry::PointList>& rings,
                             std::vector<geometry::DoubleList>& bulges);
// A point inside the ring: the centroid of its three points, or of its first two and a later one.
bool FindInteriorPoint(const AcGePoint2dArray& ring, AcGePoint2d& point);

}  // namespace cadastral
