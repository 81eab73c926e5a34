// INSERT: a placed block with position, scale, rotation and its own attributes.
#pragma once

#include "platform/cad/db_entity.h"
#include "platform/cad/db_sub_entities.h"
#include "platform/cad/db_vertex.h"

class AcDbAttribute;
class AcDbSequenceEnd;

class AcDbBlockReference : public AcDbEntity {
    DERO_RX_DECLARE_MEMBERS(AcDbBlockReference)

public:
    AcDbBlockReference() = default;
    AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId block) : position_(position), block_(block) {}

    AcDbObjectId blockTableRecord() const { return block_; }
    Acad::ErrorStatus setBlockTableRecord(AcDbObjectId block);
    AcGePoint3d position() const { return position_; }
    Acad::ErrorStatus setPosition(const AcGePoint3d& position);
    AcGeScale3d scaleFactors() const { return scale_; }
    // eInvalidInput for a zero factor.
    Acad::ErrorStatus setScaleFactors(const AcGeScale3d& scale);
    double rotation() const { return rotation_; }
    Acad::ErrorStatus setRotation(double rotation);
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);

    Acad::ErrorStatus appendAttribute(AcDbAttribute* attribute);
    Acad::ErrorStatus appendAttribute(AcDbObjectId& id, AcDbAttribute* attribute);
    AcDbObjectIterator* attributeIterator() const;
    Acad::ErrorStatus openSequenceEnd(AcDbSequenceEnd*& seqend, AcDb::OpenMode mode);
    bool hasAttributes() const { return vertices_.Size() > 0; }
    // A point of the block's definition in world coordinates.
    AcGePoint3d toWorld(const AcGePoint3d& blockPoint, const AcGePoint3d& basePoint) const;

    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;
    void subObjectIds(AcDbObjectIdArray& ids) const override;
    // Takes a resident attribute or end marker into the list (a drawing reader's use).
    Acad::ErrorStatus adoptSubEntity(AcDbObjectId id);
    void objectAppended() override;
    AcDbObject* journalCopy() const override
    {
        auto* copy = new AcDbBlockReference(*this);
        copy->vertices_.ShareIds(vertices_);
        return copy;
    }

protected:
    std::vector<AcDbEntity*> pendingSubents() const override;

private:
    AcGePoint3d position_;
    AcDbObjectId block_;
    AcGeScale3d scale_;
    double rotation_ = 0;
    AcGeVector3d normal_{0, 0, 1};
    platform::cad::SubEntityList vertices_;  // the attributes
};
