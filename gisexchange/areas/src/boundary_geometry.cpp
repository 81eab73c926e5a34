#include "boundary_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "drawingutil/curve_measures.h"
#include "drawingutil/polyline_vertices.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_object_iterator.h"
#include "platform/cad/db_vertex.h"

namespace gisexchange {

namespace {

// Only an upward normal is copied: the copy would store any other one normalised again, which
// could move it by a rounding step.
bool IsUpward(const AcGeVector3d& normal) { return normal.x == 0 && normal.y == 0 && normal.z == 1; }

}  // namespace

BoundaryGeometry::BoundaryGeometry(const ads_name entity, bool flat) : flat_(flat) { Take(entity); }

BoundaryGeometry::BoundaryGeometry(const ads_name entity, std::shared_ptr<AcDbPolyline>& flatCopy) : flat_(true)
{
    if (!flatCopy) {
        Take(entity);
        flatCopy = copy_;
        return;
    }
    if (entity != nullptr)
        std::memcpy(entity_, entity, sizeof(ads_name));
    copy_ = flatCopy;
    MeasureStraightBox();
}

void BoundaryGeometry::Take(const ads_name entity)
{
    if (entity != nullptr)
        std::memcpy(entity_, entity, sizeof(ads_name));
    {
        drawingutil::Opened<AcDbEntity> object(entity, AcDb::kForRead);
        if (object && CopyPolyline(object.get()))
            return;
    }
    copy_.reset();
    if (flat_)
        Lower();
}

BoundaryGeometry::~BoundaryGeometry()
{
    drawn_.close();
    if (lowered_)
        SetCurveElevation(entity_, elevation_);
}

bool BoundaryGeometry::CopyPolyline(const AcDbEntity* entity)
{
    auto copy = std::make_shared<AcDbPolyline>();
    unsigned int n = 0;
    if (const AcDbPolyline* drawn = AcDbPolyline::cast(entity); drawn != nullptr && drawn->isA() == AcDbPolyline::desc()) {
        if (!IsUpward(drawn->normal()))
            return false;
        for (unsigned int i = 0; i < drawn->numVerts(); ++i) {
            AcGePoint2d point;
            double bulge = 0;
            if (drawn->getPointAt(i, point) != Acad::eOk || drawn->getBulgeAt(i, bulge) != Acad::eOk ||
                copy->addVertexAt(n++, point, bulge) != Acad::eOk)
                return false;
        }
        copy->setClosed(drawn->isClosed());
        copy->setElevation(flat_ ? 0 : drawn->elevation());
    } else if (const AcDb2dPolyline* drawn = AcDb2dPolyline::cast(entity);
               drawn != nullptr && drawn->isA() == AcDb2dPolyline::desc()) {
        // Plain vertices only: every one of them is drawn and listed, whatever the polyline's type.
        if (!IsUpward(drawn->normal()) || drawn->polyType() != AcDb::k2dSimplePoly)
            return false;
        std::unique_ptr<AcDbObjectIterator> vertices(drawn->vertexIterator());
        for (vertices->start(); !vertices->done(); vertices->step()) {
            if (vertices->objectId().isNull())
                return false;
            drawingutil::Opened<AcDb2dVertex> vertex(vertices->objectId(), AcDb::kForRead);
            if (!vertex || vertex->vertexType() != AcDb::k2dVertex)
                return false;
            const AcGePoint3d at = vertex->position();
            if (copy->addVertexAt(n++, AcGePoint2d(at.x, at.y), vertex->bulge()) != Acad::eOk)
                return false;
        }
        copy->setClosed(drawn->isClosed());
        copy->setElevation(flat_ ? 0 : drawn->elevation());
    } else {
        return false;
    }
    copy_ = std::move(copy);
    MeasureStraightBox();
    return true;
}

void BoundaryGeometry::MeasureStraightBox()
{
    straight_ = copy_->numVerts() > 0;
    for (unsigned int i = 0; i < copy_->numVerts() && straight_; ++i) {
        AcGePoint2d point;
        double bulge = 0;
        copy_->getPointAt(i, point);
        copy_->getBulgeAt(i, bulge);
        straight_ = bulge == 0;
        if (i == 0) {
            low_[0] = high_[0] = point.x;
            low_[1] = high_[1] = point.y;
        }
        low_[0] = std::min(low_[0], point.x);
        low_[1] = std::min(low_[1], point.y);
        high_[0] = std::max(high_[0], point.x);
        high_[1] = std::max(high_[1], point.y);
    }
}

bool BoundaryGeometry::IsFartherThan(const AcGePoint2d& point, double distance) const
{
    if (!straight_)
        return false;
    // Twice the distance, and room for the rounding of a closest point worked out on a span far
    // from the origin.
    const double margin = 2 * distance + 1e-9 * (std::abs(point.x) + std::abs(point.y));
    return point.x < low_[0] - margin || point.x > high_[0] + margin || point.y < low_[1] - margin ||
           point.y > high_[1] + margin;
}

void BoundaryGeometry::Lower()
{
    // A curve already at 0 is not written to: a write costs the host its spatial index.
    if (CurveElevation(entity_, elevation_) && elevation_ != 0) {
        SetCurveElevation(entity_, 0);
        lowered_ = true;
    }
}

bool BoundaryGeometry::Points(AcGePoint2dArray& points) const
{
    if (copy_)
        return GetOpenCurvePoints(copy_.get(), points, 0);
    return GetCurvePoints(entity_, points, 0);
}

const AcDbCurve* BoundaryGeometry::Curve()
{
    if (copy_)
        return copy_.get();
    AcDbObjectId id;
    if (!drawn_ && drawingutil::IdOfName(entity_, id))
        drawn_.openObject(id, AcDb::kForRead);
    return drawn_.get();
}

}  // namespace gisexchange
