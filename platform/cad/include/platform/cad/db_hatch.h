// HATCH: a pattern or solid fill bounded by loops: polyline loops of lines and arcs, or loops of
// edges (lines, arcs, elliptic arcs, splines) kept as read.
#pragma once

#include <string>
#include <vector>

#include "platform/cad/db_entity.h"
#include "platform/cad/dxf_tag.h"

class AcDbHatch : public AcDbEntity {
    DERO_RX_DECLARE_MEMBERS(AcDbHatch)

public:
    enum HatchPatternType { kUserDefined = 0, kPreDefined = 1, kCustomDefined = 2 };
    enum HatchStyle { kNormal = 0, kOuter = 1, kIgnore = 2 };
    enum HatchLoopType { kDefault = 0, kExternal = 1, kPolyline = 2, kDerived = 4, kTextbox = 8, kOutermost = 0x10 };

    AcDbHatch() = default;

    const char* patternName() const { return pattern_.c_str(); }
    HatchPatternType patternType() const { return patternType_; }
    Acad::ErrorStatus setPattern(HatchPatternType type, const char* name);
    bool isSolidFill() const { return solid_; }
    bool associative() const { return associative_; }
    Acad::ErrorStatus setAssociative(bool on);
    HatchStyle hatchStyle() const { return style_; }
    Acad::ErrorStatus setHatchStyle(HatchStyle style);
    double patternAngle() const { return angle_; }
    Acad::ErrorStatus setPatternAngle(double angle);
    double patternScale() const { return scale_; }
    Acad::ErrorStatus setPatternScale(double scale);
    double elevation() const { return elevation_; }
    Acad::ErrorStatus setElevation(double elevation);
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);

    // Polyline loops: vertices with one bulge each (empty: all straight); loops are closed. A loop
    // of edges gives its outline as such a loop, its curves other than arcs as straight pieces.
    Acad::ErrorStatus appendLoop(Adesk::Int32 loopType, const AcGePoint2dArray& vertices, const AcGeDoubleArray& bulges);
    int numLoops() const { return static_cast<int>(loops_.size()); }
    Acad::ErrorStatus getLoopAt(int index, Adesk::Int32& loopType, AcGePoint2dArray& vertices,
                                AcGeDoubleArray& bulges) const;
    Acad::ErrorStatus removeLoopAt(int index);
    // Filled area: external and outermost loops count, the others are holes.
    Acad::ErrorStatus getArea(double& area) const;

    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

private:
    struct Loop {
        Adesk::Int32 type = kExternal | kPolyline;
        AcGePoint2dArray vertices;
        AcGeDoubleArray bulges;
        // A loop of edges: the groups of its edges from the first 72 on, angles in radians.
        platform::cad::DxfTagList edges;
    };
    std::string pattern_ = "SOLID";
    HatchPatternType patternType_ = kPreDefined;
    bool solid_ = true;
    bool associative_ = false;
    HatchStyle style_ = kNormal;
    double angle_ = 0;
    double scale_ = 1;
    double elevation_ = 0;
    AcGeVector3d normal_{0, 0, 1};
    std::vector<Loop> loops_;
};
