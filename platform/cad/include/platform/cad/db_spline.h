// SPLINE: a (rational) B-spline by degree, knots, control points and weights; fit points are kept
// as given.
#pragma once

#include "platform/cad/db_curve.h"

class AcDbSpline : public AcDbCurve {
    DERO_RX_DECLARE_MEMBERS(AcDbSpline)

public:
    AcDbSpline() = default;
    // Knots may be empty: a clamped uniform vector is made. Weights empty: all 1.
    AcDbSpline(int degree, bool rational, bool closed, bool periodic, const AcGePoint3dArray& controlPoints,
               const AcGeDoubleArray& knots, const AcGeDoubleArray& weights);

    int degree() const { return degree_; }
    bool isRational() const { return !weights_.isEmpty(); }
    int numControlPoints() const { return controlPoints_.length(); }
    Acad::ErrorStatus getControlPointAt(int index, AcGePoint3d& point) const;
    Acad::ErrorStatus setControlPointAt(int index, const AcGePoint3d& point);
    int numFitPoints() const { return fitPoints_.length(); }
    Acad::ErrorStatus getFitPointAt(int index, AcGePoint3d& point) const;
    Acad::ErrorStatus getNurbsData(int& degree, bool& rational, bool& closed, bool& periodic,
                                   AcGePoint3dArray& controlPoints, AcGeDoubleArray& knots,
                                   AcGeDoubleArray& weights) const;

    bool isClosed() const override { return closed_; }
    bool isPeriodic() const override { return periodic_; }
    Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
    bool buildPath(platform::cad::CurvePath& path) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

private:
    bool valid() const;
    AcGePoint3d evaluate(double u) const;

    int degree_ = 3;
    bool closed_ = false;
    bool periodic_ = false;
    AcGePoint3dArray controlPoints_;
    AcGeDoubleArray knots_;
    AcGeDoubleArray weights_;
    AcGePoint3dArray fitPoints_;
    AcGeVector3d normal_{0, 0, 1};
};
