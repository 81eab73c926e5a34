#include "platform/cad/db_dimension.h"

#include <cmath>

#include "modify_guard.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"

using platform::cad::PeekObject;

namespace {

// Aligned and rotated dimensions share their points: the dimension line's (10) and the origins of
// the two extension lines (13, 14).
void WriteLinearPoints(AcDbDxfFiler* filer, const AcGePoint3d& dimLine, const AcGePoint3d& x1, const AcGePoint3d& x2)
{
    filer->writeSubclass("AcDbAlignedDimension");
    filer->writePoint(10, dimLine);
    filer->writePoint(13, x1);
    filer->writePoint(14, x2);
}

void ReadLinearPoints(const AcDbDxfFiler* filer, AcGePoint3d& dimLine, AcGePoint3d& x1, AcGePoint3d& x2)
{
    if (const auto* t = filer->find(10))
        dimLine = t->point;
    if (const auto* t = filer->find(13))
        x1 = t->point;
    if (const auto* t = filer->find(14))
        x2 = t->point;
}

}  // namespace

DERO_RX_DEFINE_MEMBERS(AcDbDimension, "DIMENSION", AcDbEntity)
DERO_RX_DEFINE_MEMBERS(AcDbAlignedDimension, "DIMENSION", AcDbDimension)
DERO_RX_DEFINE_MEMBERS(AcDbRotatedDimension, "DIMENSION", AcDbDimension)

Acad::ErrorStatus AcDbDimension::setTextPosition(const AcGePoint3d& point) { DERO_MODIFY(textPosition_ = point); }
Acad::ErrorStatus AcDbDimension::setDimensionText(const char* text) { DERO_MODIFY(text_ = text != nullptr ? text : ""); }

Acad::ErrorStatus AcDbDimension::setDimBlockId(AcDbObjectId block)
{
    if (!block.isNull() && AcDbBlockTableRecord::cast(PeekObject(block)) == nullptr)
        return Acad::eWrongObjectType;
    DERO_MODIFY(block_ = block);
}

Acad::ErrorStatus AcDbDimension::setDimensionStyleName(const char* name)
{
    if (name == nullptr || *name == '\0')
        return Acad::eInvalidInput;
    DERO_MODIFY(style_ = name);
}

Acad::ErrorStatus AcDbDimension::setNormal(const AcGeVector3d& normal)
{
    if (normal.isZeroLength())
        return Acad::eInvalidInput;
    DERO_MODIFY(normal_ = normal.normal());
}

void AcDbDimension::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbEntity::dxfOutFields(filer);
    filer->writeSubclass("AcDbDimension");
    auto* block = AcDbBlockTableRecord::cast(PeekObject(block_));
    filer->writeString(2, block != nullptr ? block->name() : "");
    filer->writePoint(11, textPosition_);
    filer->writeInt(70, dimensionType() | flags_);
    filer->writeString(1, text_);
    filer->writeString(3, style_);
    filer->writeReal(42, measurement());
    filer->writeVector(210, normal_);
}

Acad::ErrorStatus AcDbDimension::dxfInFields(const AcDbDxfFiler* filer)
{
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (const auto* t = filer->find(11))
        textPosition_ = t->point;
    // The picture block is named; it is found among the drawing's blocks, which are read first.
    if (const auto* t = filer->find(2)) {
        AcDbObjectId block;
        auto* blocks = database() != nullptr ? AcDbBlockTable::cast(PeekObject(database()->blockTableId())) : nullptr;
        if (t->text.empty() || blocks == nullptr || blocks->getAt(t->text.c_str(), block) != Acad::eOk)
            block.setNull();
        block_ = block;
    }
    // The kind is the class; the bits above it (picture used once, text moved) are kept.
    if (const auto* t = filer->find(70))
        flags_ = static_cast<int>(t->integer) & ~kTypeBits;
    if (const auto* t = filer->find(1))
        text_ = t->text;
    if (const auto* t = filer->find(3); t != nullptr && !t->text.empty())
        style_ = t->text;
    if (const auto* t = filer->find(210); t != nullptr && !AcGeVector3d(t->point.x, t->point.y, t->point.z).isZeroLength())
        normal_ = AcGeVector3d(t->point.x, t->point.y, t->point.z).normal();
    return Acad::eOk;
}

namespace {
void AddPoints(AcDbExtents& extents, std::initializer_list<AcGePoint3d> points)
{
    for (const auto& p : points)
        extents.addPoint(p);
}
}  // namespace

AcDbAlignedDimension::AcDbAlignedDimension(const AcGePoint3d& xLine1, const AcGePoint3d& xLine2,
                                           const AcGePoint3d& dimLine, const char* text)
    : x1_(xLine1), x2_(xLine2), dimLine_(dimLine)
{
    if (text != nullptr)
        setDimensionText(text);
}

Acad::ErrorStatus AcDbAlignedDimension::setXLine1Point(const AcGePoint3d& point) { DERO_MODIFY(x1_ = point); }
Acad::ErrorStatus AcDbAlignedDimension::setXLine2Point(const AcGePoint3d& point) { DERO_MODIFY(x2_ = point); }
Acad::ErrorStatus AcDbAlignedDimension::setDimLinePoint(const AcGePoint3d& point) { DERO_MODIFY(dimLine_ = point); }
Acad::ErrorStatus AcDbAlignedDimension::setOblique(double angle) { DERO_MODIFY(oblique_ = angle); }

double AcDbAlignedDimension::measurement() const { return x1_.distanceTo(x2_); }

Acad::ErrorStatus AcDbAlignedDimension::getGeomExtents(AcDbExtents& extents) const
{
    extents = AcDbExtents();
    AddPoints(extents, {x1_, x2_, dimLine_, textPosition()});
    return Acad::eOk;
}

void AcDbAlignedDimension::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbDimension::dxfOutFields(filer);
    WriteLinearPoints(filer, dimLine_, x1_, x2_);
    if (oblique_ != 0)
        filer->writeAngle(52, oblique_);
}

Acad::ErrorStatus AcDbAlignedDimension::dxfInFields(const AcDbDxfFiler* filer)
{
    Acad::ErrorStatus es = AcDbDimension::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    ReadLinearPoints(filer, dimLine_, x1_, x2_);
    if (const auto* t = filer->find(52))
        oblique_ = filer->angleOf(*t);
    return Acad::eOk;
}

AcDbRotatedDimension::AcDbRotatedDimension(double rotation, const AcGePoint3d& xLine1, const AcGePoint3d& xLine2,
                                           const AcGePoint3d& dimLine, const char* text)
    : x1_(xLine1), x2_(xLine2), dimLine_(dimLine), rotation_(rotation)
{
    if (text != nullptr)
        setDimensionText(text);
}

Acad::ErrorStatus AcDbRotatedDimension::setRotation(double rotation) { DERO_MODIFY(rotation_ = rotation); }

double AcDbRotatedDimension::measurement() const
{
    return std::abs((x2_.x - x1_.x) * std::cos(rotation_) + (x2_.y - x1_.y) * std::sin(rotation_));
}

Acad::ErrorStatus AcDbRotatedDimension::getGeomExtents(AcDbExtents& extents) const
{
    extents = AcDbExtents();
    AddPoints(extents, {x1_, x2_, dimLine_, textPosition()});
    return Acad::eOk;
}

void AcDbRotatedDimension::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbDimension::dxfOutFields(filer);
    WriteLinearPoints(filer, dimLine_, x1_, x2_);
    filer->writeAngle(50, rotation_);
    filer->writeSubclass("AcDbRotatedDimension");
}

Acad::ErrorStatus AcDbRotatedDimension::dxfInFields(const AcDbDxfFiler* filer)
{
    Acad::ErrorStatus es = AcDbDimension::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    ReadLinearPoints(filer, dimLine_, x1_, x2_);
    if (const auto* t = filer->find(50))
        rotation_ = filer->angleOf(*t);
    return Acad::eOk;
}
