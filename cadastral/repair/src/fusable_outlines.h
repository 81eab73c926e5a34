// The polygons a gap fusion may draw together, read once and kept current for one run: their
// vertices, bulges and closed flags, and a box index that answers which of them come near a
// vertex. It spares a crossing window of the host around each vertex where the answer is plain,
// and the reading of every neighbour from the drawing again where it is not.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "drawingutil/selection_set.h"
#include "geometry/box_index.h"
#include "geometry/extents.h"
#include "geometry/point2d.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

namespace cadastral {

struct FusableOutline {
    AcDbObjectId id;
    geometry::PointList points;
    geometry::DoubleList bulges;
    bool closed = false;
    bool readable = false;  // the vertices could be read (and are not empty)
    geometry::Extents box;  // holds the outline, arcs included
};

class FusableOutlines {
public:
    // The polygons of the filter and code patterns that a crossing window can select in the
    // current view (visible, of the current space), in drawing order, in place of those an
    // earlier Load read. A whole-drawing selection of the same filter and code patterns, when
    // given, holds them all where every one of its polygons is plainly in sight; only otherwise
    // is the host asked for the window.
    void Load(const resbuf* filter, const char* codePatterns, const drawingutil::SelectionSet* all = nullptr);

    // The position of the polygon in drawing order, or -1 when it is not one of them.
    int Find(AcDbObjectId id) const;
    const FusableOutline& At(int position) const { return outlines_[static_cast<std::size_t>(position)]; }

    // The positions, ascending, of the polygons whose box meets the square of half side `half`
    // around p.
    void Near(const geometry::Point2d& p, double half, std::vector<int>& positions) const;

    // Reads the polygon again after the run changed it; ignored for one that is not indexed.
    void Reread(AcDbObjectId id);

private:
    void Read(FusableOutline& outline) const;
    void Take(const ads_name entity, AcDbObjectId id);
    void TakeWindow(const resbuf* filter, const char* codePatterns);
    bool TakeAllInSight(const drawingutil::SelectionSet& all);

    std::vector<FusableOutline> outlines_;
    std::vector<std::pair<AcDbObjectId, int>> byId_;  // positions looked up by id
    std::vector<geometry::Extents> indexed_;  // the boxes the tree holds, widened by a margin
    std::unique_ptr<geometry::BoxIndex> tree_;
    std::vector<char> outgrown_;               // the outline left its indexed box
    std::vector<int> overlay_;                 // such outlines, searched one by one
};

// The box of a polyline through the points whose segments bend by the bulges: the box of the
// vertices, widened by the largest sagitta so that every arc lies inside it.
geometry::Extents BulgePolylineBox(const geometry::PointList& points, const geometry::DoubleList& bulges, bool closed);

}  // namespace cadastral
