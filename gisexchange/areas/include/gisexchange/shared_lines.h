// The shared line set of an export: every distinct stretch of boundary is stored once, and each
// curve refers to its stretches by signed line numbers (negative when it runs along a stored line
// backwards). Pieces are compared by their ends and vertices within 1e-5, collinear vertices left
// out.
#pragma once

#include <memory>
#include <vector>

#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"

namespace gisexchange {

struct BoundaryCurveRecord;

struct SharedLineSet {
    SharedLineSet();
    ~SharedLineSet();
    SharedLineSet(const SharedLineSet&) = delete;
    SharedLineSet& operator=(const SharedLineSet&) = delete;

    // Parallel: one entry per stored line.
    std::vector<AcGePoint2dArray> lines;
    std::vector<int> numbers;  // the line count right after the line was stored
    std::vector<int> values;   // the caller's value, 0 for none
    // The curves that produced each line; kept only by the export, which needs them.
    bool keepContributors = false;
    std::vector<std::vector<AcDbObjectId>> contributors;

    // Stored lines by the cell of their first point, so that a piece meets only the lines that
    // can match it. Rebuilt whenever lines are taken out.
    struct EndIndex;
    std::unique_ptr<EndIndex> index;
};

// Stores the piece, or finds the stored line it equals: its signed number; 0 when the record
// cancels duplicates and the piece removed an equal line (from every parallel list). A stored line
// with fewer vertices than an equal piece is replaced by the piece, in the stored direction.
int AddSharedLine(const BoundaryCurveRecord& record, SharedLineSet& set, const AcGePoint2dArray& piece, int value);
// 2 the same line in the same direction, -2 reversed, 1 different.
int CompareLinePoints(const AcGePoint2dArray& a, const AcGePoint2dArray& b);
// Takes out inner points on the straight way from their predecessor to their successor.
void RemoveCollinearPoints(AcGePoint2dArray& points);
// Degrees clockwise from +y, in [0, 360).
double Bearing(double x1, double y1, double x2, double y2);

}  // namespace gisexchange
