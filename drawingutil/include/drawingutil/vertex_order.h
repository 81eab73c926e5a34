// Putting a polyline's own vertices into another order while it keeps its shape: a new start
// vertex, and optionally the other direction.
#pragma once

#include <vector>

#include "platform/cad/resbuf.h"

namespace drawingutil {

// The old index of each vertex in the new order. A closed ring starts at `start` and runs on
// (start, start + 1, ...) or, with `reverse`, back (start, start - 1, ...), wrapping at the ends.
// An open list is turned to begin at `start` the same way and, with `reverse`, read from its end.
std::vector<int> VertexSequence(int count, int start, bool reverse, bool closed);

// Where the segment that a vertex of the new order starts came from: the old segment `old`
// (from old vertex `old` to the next), run backwards when `backward`; none for a segment that
// did not exist before (the ends of a turned open list) and for an open list's last vertex.
struct SegmentSource {
    int old = -1;
    bool backward = false;
};
std::vector<SegmentSource> SegmentSources(const std::vector<int>& sequence, bool reverse, bool closed);

}  // namespace drawingutil

// Reorders the vertices of a lightweight or 2D polyline by VertexSequence. Each segment keeps its
// arc and widths (the bulge negated and the widths swapped where it now runs the other way; a
// segment that did not exist before is straight). The vertices of a 2D polyline keep their
// extended data with their positions; a fitted one is reordered on its frame vertices and
// fitted again. True when the new order was written or nothing was to be done (start 0 without
// reversal); false for an entity that is no polyline or cannot be written, for fewer than 2
// vertices, or a start that is not one of them.
bool ReorderPolylineVertices(const ads_name entity, int start, bool reverse);

// Turns a lightweight or 2D polyline to run the other way: its vertex list read from the end, so
// that its last vertex comes first, open or closed. Each segment keeps its arc and widths as in
// ReorderPolylineVertices. False where that is false, and for fewer than 2 vertices.
bool ReversePolylineVertices(const ads_name entity);
