// CIRCLE: centre, radius, normal. Its parameter is the angle from the x axis, 0 to 2 pi.
#pragma once

#include "platform/cad/db_curve.h"

class AcDbCircle : public AcDbCurve {
    DERO_RX_DECLARE_MEMBERS(AcDbCircle)

public:
    AcDbCircle() = default;
    AcDbCircle(const AcGePoint3d& center, const AcGeVector3d& normal, double radius)
        : center_(center), normal_(normal), radius_(radius) {}

    AcGePoint3d center() const { return center_; }
    Acad::ErrorStatus setCenter(const AcGePoint3d& center);
    double radius() const { return radius_; }
    // eInvalidInput for a radius that is not above 0.
    Acad::ErrorStatus setRadius(double radius);
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    double thickness() const { return thickness_; }
    Acad::ErrorStatus setThickness(double thickness);
    double circumference() const;

    bool isClosed() const override { return true; }
    bool isPeriodic() const override { return true; }
    bool buildPath(platform::cad::CurvePath& path) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

protected:
    double offsetDirection() const override { return -1.0; }
    AcDbCurve* curveFromPath(const platform::cad::CurvePath& piece) const override;

private:
    AcGePoint3d center_;
    AcGeVector3d normal_{0, 0, 1};
    double radius_ = 1.0;
    double thickness_ = 0;
};
