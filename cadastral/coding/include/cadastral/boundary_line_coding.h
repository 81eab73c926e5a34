// Boundary-line codes: a parcel's boundary line (its outline between two consecutive boundary
// points) is named by JZXDM (text) and JZXH (number) on the VERTEX subentities of old-style 2D
// polylines. The vertex that starts a segment counter-clockwise carries the segment's code, and the
// neighbour's vertex starting the same segment carries the same code, so a shared line has one
// code on both sides. Points (type "POINT") on the layer "GD" lying on a coded line get its code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "cadastral/outline_grid.h"
#include "cadastral/parcel_boundary.h"
#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"
#include "platform/cad/resbuf.h"

namespace cadastral {

// Removes JZXDM from every VERTEX of the drawing, so that the codes are made afresh.
void ClearVertexCodes();
// The first simple or spline-control vertex of the 2D polyline within 0.0001 of the point.
bool FindVertexAtPoint(AcDbObjectId parcel, const AcGePoint2d& point, AcDbObjectId& vertex);

// A segment of a parcel taken counter-clockwise: its start and end, the vertex that starts it,
// and the index of the segment in the parcel's own vertex order.
struct ParcelSegment {
    AcDbObjectId vertex;
    AcGePoint2d start;
    AcGePoint2d end;
    int ownIndex = -1;
};
// The segment of the polyline that holds the point (the closest one). A lightweight polyline is
// converted to a 2D polyline first and the name updated. False when it is no polyline, cannot be
// converted, or no vertex lies within 0.01 of the segment's start.
bool FindSegmentAtPoint(ads_name polyline, const AcGePoint2d& point, ParcelSegment& segment);
// What the segment search reads of a polyline, for several searches on an outline that does not
// change between them: its points in its own order and counter-clockwise (closed), and, once a
// lightweight polyline is converted, its simple and spline-control vertices in order.
struct OutlineFrame {
    AcGePoint2dArray points;
    bool reversed = false;
    AcGePoint2dArray ring;
    std::vector<std::pair<AcDbObjectId, AcGePoint2d>> vertices;
};
// False where FindSegmentAtPoint fails before it looks at the point.
bool ReadOutlineFrame(ads_name polyline, OutlineFrame& frame);
bool FindSegmentInFrame(const OutlineFrame& frame, const AcGePoint2d& point, ParcelSegment& segment);
// FindVertexAtPoint on the frame's vertices; null for none.
AcDbObjectId FindVertexInFrame(const OutlineFrame& frame, const AcGePoint2d& point);
// Whether the point lies within 0.1 of the segment.
bool PointNearSegment(const AcGePoint3d& point, const AcGePoint2d& start, const AcGePoint2d& end);

// One run of boundary-line coding: codes parcels one at a time and, after each batch, gives the
// points on "GD" the codes of the lines that were coded since the last batch. While it lives, the
// drawing's outlines change only through it.
class BoundaryLineCoder {
public:
    // The boundary points are read once, through the index the caller keeps for the run.
    explicit BoundaryLineCoder(const BoundaryPointIndex* index);

    // Finds the segment at the point on the parcel and, among the parcels whose outline passes a
    // small window there (closed parcel outlines only), the first one with the same segment.
    bool FindSharedSegment(ads_name parcel, const AcGePoint2d& point, ParcelSegment& own,
                           ParcelSegment& neighbour, AcDbObjectId& neighbourParcel);
    // Codes the parcel's boundary lines "<line prefix><segment prefix><counter as 7 digits>",
    // advancing the counter once for each line that takes a number. A lightweight parcel is
    // converted first. Nothing is coded unless every vertex carries a boundary point or a point of
    // the second class.
    void CodeParcel(ads_name parcel, const std::string& linePrefix, const std::string& segmentPrefix,
                    std::int32_t& counter);
    // Gives each point on "GD" without a code the code of the first segment coded since the last
    // call that passes within 0.1 (first in the parcels' drawing order, then along the parcel).
    void CodeLinePoints();

private:
    struct CodedSegment {
        AcDbObjectId parcel;
        int ownIndex;
        AcGePoint2d start;
        AcGePoint2d end;
        AcDbObjectId vertex;  // whose code the points take, read when they do
        std::size_t rank;     // the parcel's place in drawing order
    };
    struct LinePoint {
        AcDbObjectId id;
        AcGePoint3d position;
        bool coded;
    };
    // The neighbour's segment for FindSharedSegment, the parcel's own segment found.
    void FindNeighbour(AcDbObjectId parcel, const AcGePoint2d& point, const ParcelSegment& own,
                       ParcelSegment& neighbour, AcDbObjectId& neighbourParcel);
    // What a crossing window around the point selects that may be an outline other than the
    // parcel's, in drawing order: the closed outlines from the grid when it can tell, else all
    // the host selects.
    void SelectAround(const AcGePoint2d& point, AcDbObjectId parcel, std::vector<AcDbObjectId>& found);
    void Record(AcDbObjectId parcel, const ParcelSegment& segment);
    void ReadLinePoints();
    // The model space's entities in the order its record holds them, read once: the run adds no
    // parcel, and a converted parcel keeps its id.
    void ReadDrawingOrder();
    std::size_t DrawingRank(AcDbObjectId parcel) const;

    // What the coder has read of an outline met in a window: whether it is a parcel's closed
    // outline and, once read, its frame. Kept until the parcel is coded itself, which turns its
    // start; coding one parcel changes no other's outline.
    struct Neighbour {
        bool boundary = false;
        bool framed = false;
        OutlineFrame frame;
    };
    struct NameHash {
        std::size_t operator()(const std::pair<std::int64_t, std::int64_t>& name) const {
            return std::hash<std::int64_t>()(name.first * 1000003 ^ name.second);
        }
    };
    // The outline named, read when first met; a frame that cannot be read is tried again at the
    // next meeting.
    const Neighbour& NeighbourNamed(ads_name name);

    // The view the windows are seen through, read once while one parcel is coded.
    struct View {
        bool kept = false;
        bool seen = false;
        AcGePoint3d low;
        AcGePoint3d high;
    };
    class ViewKept {
    public:
        explicit ViewKept(BoundaryLineCoder& coder);
        ~ViewKept() { coder_.view_ = View(); }
        ViewKept(const ViewKept&) = delete;
        ViewKept& operator=(const ViewKept&) = delete;

    private:
        BoundaryLineCoder& coder_;
    };

    const BoundaryPointIndex* index_;
    View view_;
    double window_;  // half the side of the window around a segment's midpoint
    // The closed outlines, read at the first window for the rest of the run: the run adds and
    // moves no outline.
    std::unique_ptr<OutlineGrid> outlines_;
    std::vector<CodedSegment> pending_;
    bool drawingOrderRead_ = false;
    std::vector<std::pair<AcDbObjectId, std::size_t>> drawingOrder_;  // sorted by id, for look-up
    bool pointsRead_ = false;
    std::vector<LinePoint> points_;
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> cells_;
    std::unordered_map<std::pair<std::int64_t, std::int64_t>, Neighbour, NameHash> neighbours_;
};

}  // namespace cadastral
