// DIMENSION: aligned and rotated linear dimensions. The picture is an anonymous block the host
// would draw; this stand-in keeps the defining points, text, style name and the block drawn.
#pragma once

#include <string>

#include "platform/cad/db_entity.h"

class AcDbDimension : public AcDbEntity {
    DERO_RX_DECLARE_ABSTRACT_MEMBERS(AcDbDimension)

public:
    AcDbDimension() = default;
    AcDbDimension(const AcDbDimension&) = default;

    AcGePoint3d textPosition() const { return textPosition_; }
    Acad::ErrorStatus setTextPosition(const AcGePoint3d& point);
    const char* dimensionTextConst() const { return text_.c_str(); }
    Acad::ErrorStatus setDimensionText(const char* text);
    AcDbObjectId dimBlockId() const { return block_; }
    Acad::ErrorStatus setDimBlockId(AcDbObjectId block);
    const char* dimensionStyleName() const { return style_.c_str(); }
    Acad::ErrorStatus setDimensionStyleName(const char* name);
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    // The measured length, or -1 when the dimension has not been measured.
    virtual double measurement() const = 0;

    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

protected:
    virtual int dimensionType() const = 0;
    static constexpr int kTypeBits = 0x0F;

private:
    AcGePoint3d textPosition_;
    int flags_ = 0;
    std::string text_;
    std::string style_ = "Standard";
    AcDbObjectId block_;
    AcGeVector3d normal_{0, 0, 1};
};

class AcDbAlignedDimension : public AcDbDimension {
    DERO_RX_DECLARE_MEMBERS(AcDbAlignedDimension)

public:
    AcDbAlignedDimension() = default;
    AcDbAlignedDimension(const AcGePoint3d& xLine1, const AcGePoint3d& xLine2, const AcGePoint3d& dimLine,
                         const char* text = nullptr);

    AcGePoint3d xLine1Point() const { return x1_; }
    Acad::ErrorStatus setXLine1Point(const AcGePoint3d& point);
    AcGePoint3d xLine2Point() const { return x2_; }
    Acad::ErrorStatus setXLine2Point(const AcGePoint3d& point);
    AcGePoint3d dimLinePoint() const { return dimLine_; }
    Acad::ErrorStatus setDimLinePoint(const AcGePoint3d& point);
    double oblique() const { return oblique_; }
    Acad::ErrorStatus setOblique(double angle);
    double measurement() const override;

    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

protected:
    int dimensionType() const override { return 1; }
    AcGePoint3d x1_, x2_, dimLine_;
    double oblique_ = 0;
};

// A linear dimension measured along a fixed direction.
class AcDbRotatedDimension : public AcDbDimension {
    DERO_RX_DECLARE_MEMBERS(AcDbRotatedDimension)

public:
    AcDbRotatedDimension() = default;
    AcDbRotatedDimension(double rotation, const AcGePoint3d& xLine1, const AcGePoint3d& xLine2,
                         const AcGePoint3d& dimLine, const char* text = nullptr);

    AcGePoint3d xLine1Point() const { return x1_; }
    AcGePoint3d xLine2Point() const { return x2_; }
    AcGePoint3d dimLinePoint() const { return dimLine_; }
    double rotation() const { return rotation_; }
    Acad::ErrorStatus setRotation(double rotation);
    double measurement() const override;

    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

protected:
    int dimensionType() const override { return 0; }

private:
    AcGePoint3d x1_, x2_, dimLine_;
    double rotation_ = 0;
};
