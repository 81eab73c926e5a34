// REGION: a bounded planar area. The host describes it by a solid-modelling body; this stand-in
// keeps its boundary loops (lines and arcs) and, for drawings read from file, the body text as read.
#pragma once

#include <vector>

#include "platform/cad/curve_path.h"
#include "platform/cad/db_entity.h"

class AcDbRegion : public AcDbEntity {
    DERO_RX_DECLARE_MEMBERS(AcDbRegion)

public:
    AcDbRegion() = default;

    // One region per closed curve of the list (the caller deletes the regions).
    static Acad::ErrorStatus createFromCurves(const AcDbVoidPtrArray& curves, AcDbVoidPtrArray& regions);

    // Combines the other region into this one; the other is left empty, as on the host. Both
    // must be open for write when they are in a database.
    Acad::ErrorStatus booleanOper(AcDb::BoolOperType operation, AcDbRegion* otherRegion);

    Acad::ErrorStatus getArea(double& area) const;
    Acad::ErrorStatus getPerimeter(double& perimeter) const;
    bool isNull() const { return loops_.empty(); }
    const std::vector<platform::cad::CurvePath>& loops() const { return loops_; }

    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

private:
    std::vector<platform::cad::CurvePath> loops_;
    platform::cad::DxfTagList body_;  // 1 and 3 groups of a body read from a file
};
