// LINE: a straight segment between two 3D points. Its parameter is the distance from the start.
#pragma once

#include "platform/cad/db_curve.h"

class AcDbLine : public AcDbCurve {
    DERO_RX_DECLARE_MEMBERS(AcDbLine)

public:
    AcDbLine() = default;
    AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end) : start_(start), end_(end) {}

    AcGePoint3d startPoint() const { return start_; }
    AcGePoint3d endPoint() const { return end_; }
    Acad::ErrorStatus setStartPoint(const AcGePoint3d& point);
    Acad::ErrorStatus setEndPoint(const AcGePoint3d& point);
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    double thickness() const { return thickness_; }
    Acad::ErrorStatus setThickness(double thickness);

    bool buildPath(platform::cad::CurvePath& path) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

protected:
    AcDbCurve* curveFromPath(const platform::cad::CurvePath& piece) const override;

private:
    AcGePoint3d start_;
    AcGePoint3d end_;
    AcGeVector3d normal_{0, 0, 1};
    double thickness_ = 0;
};
