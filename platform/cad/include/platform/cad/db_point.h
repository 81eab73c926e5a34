// POINT: one position.
#pragma once

#include "platform/cad/db_entity.h"

class AcDbPoint : public AcDbEntity {
    DERO_RX_DECLARE_MEMBERS(AcDbPoint)

public:
    AcDbPoint() = default;
    explicit AcDbPoint(const AcGePoint3d& position) : position_(position) {}

    AcGePoint3d position() const { return position_; }
    Acad::ErrorStatus setPosition(const AcGePoint3d& position);
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    double thickness() const { return thickness_; }
    Acad::ErrorStatus setThickness(double thickness);

    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

private:
    AcGePoint3d position_;
    AcGeVector3d normal_{0, 0, 1};
    double thickness_ = 0;
};
