// ARC: a circular arc running counter-clockwise from the start angle to the end angle. Its
// parameter is the angle.
#pragma once

#include "platform/cad/db_curve.h"

class AcDbArc : public AcDbCurve {
    DERO_RX_DECLARE_MEMBERS(AcDbArc)

public:
    AcDbArc() = default;
    AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle);
    AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double startAngle,
            double endAngle);

    AcGePoint3d center() const { return center_; }
    Acad::ErrorStatus setCenter(const AcGePoint3d& center);
    double radius() const { return radius_; }
    Acad::ErrorStatus setRadius(double radius);
    double startAngle() const { return start_; }
    Acad::ErrorStatus setStartAngle(double angle);
    double endAngle() const { return end_; }
    Acad::ErrorStatus setEndAngle(double angle);
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    double thickness() const { return thickness_; }
    Acad::ErrorStatus setThickness(double thickness);

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
    double start_ = 0;
    double end_ = 0;
    double thickness_ = 0;
};
