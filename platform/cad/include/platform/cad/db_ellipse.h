// ELLIPSE: centre, major axis (as a vector), ratio of minor to major, and the parameter range.
#pragma once

#include "platform/cad/db_curve.h"

class AcDbEllipse : public AcDbCurve {
    DERO_RX_DECLARE_MEMBERS(AcDbEllipse)

public:
    AcDbEllipse() = default;
    AcDbEllipse(const AcGePoint3d& center, const AcGeVector3d& normal, const AcGeVector3d& majorAxis,
                double radiusRatio, double startParam = 0, double endParam = 6.283185307179586);

    AcGePoint3d center() const { return center_; }
    AcGeVector3d normal() const { return normal_; }
    AcGeVector3d majorAxis() const { return major_; }
    AcGeVector3d minorAxis() const;
    double radiusRatio() const { return ratio_; }
    double startParam() const { return start_; }
    double endParam() const { return end_; }
    // eInvalidInput for a zero axis, a ratio outside (0, 1] or a normal not at right angles.
    Acad::ErrorStatus set(const AcGePoint3d& center, const AcGeVector3d& normal, const AcGeVector3d& majorAxis,
                          double radiusRatio, double startParam = 0, double endParam = 6.283185307179586);

    bool isClosed() const override;
    Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
    bool buildPath(platform::cad::CurvePath& path) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

private:
    AcGePoint3d center_;
    AcGeVector3d normal_{0, 0, 1};
    AcGeVector3d major_{1, 0, 0};
    double ratio_ = 1;
    double start_ = 0;
    double end_ = 6.283185307179586;
};
