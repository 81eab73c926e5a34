// The length texts of parcel boundaries: one text beside every boundary line between two
// consecutive boundary points, or beside every edge of a ring. The texts carry the code "302010"
// and belong to the parcel's group, where later runs find and replace them.
#pragma once

#include <string>
#include <vector>

#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

class AcDbGroup;

namespace cadastral {

inline constexpr const char* kEdgeLengthCode = "302010";
// The applications holding the first boundary point of a text's line.
inline constexpr const char* kEdgeLengthXApp = "JZX_ZJ_X";
inline constexpr const char* kEdgeLengthYApp = "JZX_ZJ_Y";

// The layer AnnotateRingEdgeLengths writes on: "JZD" when the module is loaded; drawzdlen turns
// it to "ZJ".
const std::string& EdgeLengthLayer();
void SetEdgeLengthLayer(const char* layer);

// Asks whether to annotate every parcel (1) or chosen ones (2), erases their old length texts and
// writes new ones.
void drawzdlen();

// Writes the length texts of the parcel's boundary lines on the layer, into the group when one is
// given, their ids appended to `ids`. The parcel is put into walking order first (start at its
// first boundary point; clockwise with dj_jzddirect 0, else counter-clockwise). Lengths are
// multiplied by `scale` over the drawing's scale. The walk ends at the first boundary point that
// sits on no vertex.
void DrawParcelEdgeLengths(const ads_name parcel, double scale, AcDbGroup* group, AcDbObjectIdArray& ids,
                           const char* layer);

// One text of height 2h per edge of the ring (closed implicitly), 2h outside the edge, with the
// code, on EdgeLengthLayer(), into the group when one is given.
void AnnotateRingEdgeLengths(const AcGePoint2dArray& ring, double h, const char* code, AcDbGroup* group);

// Where the texts of a parcel's boundary lines go. `points` are the boundary points in ring order
// and `vertices` the parcel's vertices, each list closed by its first element again. Each point
// sits on the first vertex within 0.0001 that no earlier point took; the walk over consecutive
// points stops at the first point on no vertex. A line over one edge gets its text on that edge;
// a longer one the length along its edges, on its middle edge.
struct BoundaryLineText {
    int point = 0;  // the line's first boundary point
    int edge = 0;   // the text's edge: from vertex `edge` to the next
    double length = 0.0;
};
std::vector<BoundaryLineText> PlanBoundaryLineTexts(const AcGePoint2dArray& points, const AcGePoint2dArray& vertices);

// Erases the members of the group whose feature code is "302010"; the group must be open for
// writing.
void EraseGroupEdgeLengths(AcDbGroup* group);

}  // namespace cadastral
