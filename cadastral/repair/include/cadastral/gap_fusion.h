// Closing the gaps between neighbouring polygons of the drawing: every vertex of a class draws
// the nearby vertices and sides of its neighbours (and itself) to one common point; and
// boundary-point circles are put onto the vertices of parcel outlines, with the circles left off
// every vertex removed. The merge commands run these; each reports to the browser.
#pragma once

#include <optional>
#include <vector>

#include "geometry/point2d.h"
#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

namespace cadastral {

inline constexpr const char* kBoundaryFusionTitle = "界址点间空隙融合";
inline constexpr const char* kPatchDistrictFusionTitle = "图斑行政区间空隙融合";

// One place taking part in a fusion: a vertex of the curve (whole parameter) or a point on the
// segment starting at the parameter's whole part (fraction), and where that place lies now.
struct FusionCandidate {
    AcDbObjectId id;
    double parameter = -1.0;
    geometry::Point2d point;
};

// Fuses the gaps of at most `distance` among the polygons of the filter text (and code patterns,
// "," separated; empty matches all). Mode 1 fuses vertices with vertices only; 2 and above also a
// vertex onto a neighbour's side, which then gains a vertex: that neighbour's id is appended to
// `modified`. A distance that is no finite number above 0 does nothing.
void FuseBoundaryPointGaps(const char* filterText, const char* codePatterns, AcDbObjectIdArray& modified, int mode,
                           double distance);
// The same, giving the polygons it visited in drawing order once it has selected them. A fusion
// moves and adds vertices but never adds or takes away a polygon: afterwards they are still
// those of the filter and code patterns.
void FuseBoundaryPointGaps(const char* filterText, const char* codePatterns, AcDbObjectIdArray& modified, int mode,
                           double distance, std::optional<std::vector<AcDbObjectId>>& visited);

// As FuseBoundaryPointGaps, but the vertices of class 1 are visited and only the geometry of
// class 2 around them moves: class 1 keeps its vertices.
void FusePatchDistrictGaps(const char* filterText1, const char* codePatterns1, const char* filterText2,
                           const char* codePatterns2, AcDbObjectIdArray& modified, int mode, double distance);

// Moves every candidate to the candidates' mean point: a vertex is moved, a point on a side first
// becomes a vertex. False for an empty list.
bool MergeCandidatesAtCentroid(const std::vector<FusionCandidate>& candidates);

// Puts the nearest point feature within `distance` of each vertex of the line features onto that
// vertex, then erases the point features (and their labels) that are on no vertex, when any point
// was put on one. The block references "302020" on "JZD" go first. False when there is no line
// feature or the distance is no finite number above 0 (nothing is changed).
bool SnapPointsToLines(const char* pointFilterText, const char* pointCodePatterns, const char* lineFilterText,
                       const char* lineCodePatterns, double distance);
// The same over line features already selected, in drawing order.
bool SnapPointsToLines(const char* pointFilterText, const char* pointCodePatterns,
                       const std::vector<AcDbObjectId>& lines, double distance);

// Erases the boundary-point circle and the label text ("<prefix><number>" from its data under
// "MIRET") found near it through the label filter and code patterns.
void DeleteBoundaryPointAndLabel(const ads_name circle, const resbuf* labelFilter, const char* labelCodePatterns);

}  // namespace cadastral
