// Cutting closed boundary curves where they meet their neighbours, so that a stretch common to two
// areas becomes one stored line used by both. Curves are handled through their vertex lists;
// meeting points, closest points and distances along a curve come from the host's curve geometry,
// so bulged spans are met as arcs while pieces carry only vertices and inserted points.
#pragma once

#include <memory>
#include <vector>

#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

class AcDbPolyline;

namespace gisexchange {

struct SharedLineSet;

// One curve being cut; the caller owns it.
struct BoundaryCurveRecord {
    AcGePoint2dArray vertices;
    // One per vertex: the distance along the curve to it. Empty when the entity is no curve.
    std::vector<double> stations;
    // One per vertex: a flagged vertex ends one piece and starts the next. Empty like stations.
    std::vector<unsigned char> breaks;
    ads_name entity{};
    // The signed line numbers of the curve's pieces, in the curve's order.
    std::vector<int> lineRefs;
    // '1' at 0 for codes beginning "191", at 1 for "333000", at 2 for "216100", at 3 for "311000".
    char classes[5] = "0000";
    // A piece equal to a stored line removes that line instead of joining it.
    bool cancelDuplicates = false;
    // The curve laid flat in memory, copied at the first meeting worked out and kept for the next
    // neighbours; empty while none was worked out or when the curve cannot be copied.
    std::shared_ptr<AcDbPolyline> flatCopy;
};

BoundaryCurveRecord LoadBoundaryCurve(const ads_name entity, bool cancelDuplicates);
// The entities inside or crossing the box of the curve's vertices, the curve itself left out: those
// wholly inside the box (what a window selection over it takes) first, then the others, each in
// the order of the host's crossing selection. The view is widened to the box first, since the
// host selects only what it shows. False, with no set left, when the crossing selection finds
// nothing.
bool SelectBoundaryCurves(const ads_name entity, ads_name selection);
// The same as a list of entities. `filter`, when given, is handed to the host's selections: for a
// caller that looks only at the entities it lets through.
bool SelectBoundaryCurves(const ads_name entity, std::vector<AcDbObjectId>& selected, const resbuf* filter = nullptr);
// Adds the points where the record's curve meets the other as vertices and flags the vertices that
// end a stretch along the other curve.
void MarkCurveIntersections(BoundaryCurveRecord& record, const ads_name other);
// The same with the other curve laid flat from otherCopy when it holds a copy, and a copy made now
// kept there: for a caller that meets one curve from several neighbours, and that drops the copy
// when the curve changes.
void MarkCurveIntersections(BoundaryCurveRecord& record, const ads_name other, std::shared_ptr<AcDbPolyline>& otherCopy);
// Cuts the record at its flagged vertices and stores the pieces, appending their numbers to the
// record's line references. A curve that is not closed but ends where it starts is a ring.
void SplitCurveAtBreaks(BoundaryCurveRecord& record, SharedLineSet& set, int value);
// Whether the curve passes within 0.0001 of the point (planar).
bool IsPointOnCurve(const ads_name entity, const AcGePoint2d& point);

}  // namespace gisexchange
