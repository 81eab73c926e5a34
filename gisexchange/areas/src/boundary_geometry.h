// The geometry of one boundary curve while it is cut: its vertices and the curve that answers
// meeting points, closest points and distances along it.
//
// A polyline is copied once into a lightweight polyline in memory. Every question the host answers
// about a curve walks its vertices, and the vertices of an old-style polyline are objects of their
// own: the copy answers the same questions from the same vertices, bulges, normal and elevation
// without going back to the drawing. Laid flat, the copy also spares the drawing the write that
// lowering the curve itself would be. A curve that cannot be copied exactly (curve-fit or spline
// vertices, a tilted normal, no polyline at all) is used from the drawing as before, lowered there
// for the time being when flat and put back when this goes.
#pragma once

#include <memory>

#include "drawingutil/host_objects.h"
#include "platform/cad/ac_array.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/resbuf.h"

namespace gisexchange {

class BoundaryGeometry {
public:
    // flat: at elevation 0, as meeting points are worked out in the plane.
    BoundaryGeometry(const ads_name entity, bool flat);
    // Laid flat, from the copy made before when there is one; a copy made now is kept there.
    BoundaryGeometry(const ads_name entity, std::shared_ptr<AcDbPolyline>& flatCopy);
    ~BoundaryGeometry();
    BoundaryGeometry(const BoundaryGeometry&) = delete;
    BoundaryGeometry& operator=(const BoundaryGeometry&) = delete;

    // The vertices as the host lists them for the curve; false when it could not list them.
    bool Points(AcGePoint2dArray& points) const;
    // Whether the curve certainly passes farther than the distance from the point: known for a
    // copied polyline of straight spans only, which lies within the box of its vertices.
    bool IsFartherThan(const AcGePoint2d& point, double distance) const;
    // Opens the curve for the questions (the drawing's own when not copied); null when the entity
    // is no curve.
    const AcDbCurve* Curve();

private:
    void Take(const ads_name entity);
    bool CopyPolyline(const AcDbEntity* entity);
    void MeasureStraightBox();
    void Lower();

    ads_name entity_{};
    bool flat_ = false;
    std::shared_ptr<AcDbPolyline> copy_;
    drawingutil::Opened<AcDbCurve> drawn_;
    // The box of the copy's vertices, when every span of it is straight.
    bool straight_ = false;
    double low_[2] = {0, 0}, high_[2] = {0, 0};
    bool lowered_ = false;
    double elevation_ = 0;
};

}  // namespace gisexchange
