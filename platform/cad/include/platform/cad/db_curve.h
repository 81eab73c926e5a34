// AcDbCurve: parameterised curves. Parameters are those of the host: a line by its length, arcs and
// circles by angle, polylines by vertex index (fractions along each segment). Tolerances scale with
// the size of the coordinates.
#pragma once

#include <memory>

#include "platform/cad/curve_path.h"
#include "platform/cad/db_entity.h"

class AcDbCurve : public AcDbEntity {
    DERO_RX_DECLARE_ABSTRACT_MEMBERS(AcDbCurve)

public:
    AcDbCurve() = default;
    // A copy builds its own path when first asked.
    AcDbCurve(const AcDbCurve& other);
    ~AcDbCurve() override;

    virtual bool isClosed() const;
    virtual bool isPeriodic() const { return false; }
    virtual Acad::ErrorStatus getStartParam(double& param) const;
    virtual Acad::ErrorStatus getEndParam(double& param) const;
    virtual Acad::ErrorStatus getStartPoint(AcGePoint3d& point) const;
    virtual Acad::ErrorStatus getEndPoint(AcGePoint3d& point) const;
    virtual Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const;
    // eInvalidInput when the point is not on the curve.
    virtual Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const;
    virtual Acad::ErrorStatus getDistAtParam(double param, double& dist) const;
    virtual Acad::ErrorStatus getParamAtDist(double dist, double& param) const;
    virtual Acad::ErrorStatus getDistAtPoint(const AcGePoint3d& point, double& dist) const;
    virtual Acad::ErrorStatus getPointAtDist(double dist, AcGePoint3d& point) const;
    virtual Acad::ErrorStatus getFirstDeriv(double param, AcGeVector3d& deriv) const;
    virtual Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                                bool extend = false) const;
    // The enclosed area (of the closing chord for an open curve), never negative.
    virtual Acad::ErrorStatus getArea(double& area) const;
    // New non-resident curves at the distance; a positive distance lies to the left of travel
    // for lines and polylines, outside for circles and arcs. The caller deletes them.
    virtual Acad::ErrorStatus getOffsetCurves(double distance, AcDbVoidPtrArray& curves) const;
    // New non-resident pieces between the parameters (or points), in curve order.
    virtual Acad::ErrorStatus getSplitCurves(const AcGeDoubleArray& params, AcDbVoidPtrArray& curves) const;
    virtual Acad::ErrorStatus getSplitCurves(const AcGePoint3dArray& points, AcDbVoidPtrArray& curves) const;

    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    using AcDbEntity::intersectWith;
    Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect type, const AcGePlane& projPlane,
                                    AcGePoint3dArray& points, std::intptr_t thisMarker = 0,
                                    std::intptr_t otherMarker = 0) const override;
    void objectAppended() override;

    // The curve as line and arc segments; false when it has no geometry yet.
    virtual bool buildPath(platform::cad::CurvePath& path) const = 0;

protected:
    // A curve of this class with the geometry of a piece of the path; null when the class cannot
    // hold it (the piece then becomes a polyline).
    virtual AcDbCurve* curveFromPath(const platform::cad::CurvePath& piece) const;
    // Which way a positive offset goes: 1 to the left of travel, -1 to the right (away from the
    // centre of circles and arcs, which run counter-clockwise).
    virtual double offsetDirection() const { return 1.0; }
    // Whether a curve of this class outside a drawing keeps its path between questions: only
    // where every change of its shape goes through its own setters, which call forgetPath().
    virtual bool keepsPath() const { return false; }
    // Drops the kept path; every change of the shape calls it.
    void forgetPath() { keptPath_.reset(); }

private:
    // The path the questions are answered from: the kept one, or one built into scratch (and kept
    // when this curve keeps paths and is in no drawing, so that a drawing's curves do not each
    // carry one). Null when the curve has no geometry.
    const platform::cad::CurvePath* pathForQuestions(platform::cad::CurvePath& scratch) const;

    mutable std::unique_ptr<platform::cad::CurvePath> keptPath_;
};
