// Entities and objects of types this host does not model, kept as the tags they were read with so
// that a drawing keeps them whole.
#pragma once

#include <string>
#include <utility>

#include "platform/cad/db_entity.h"

class AcDbUnknownEntity : public AcDbEntity {
    DERO_RX_DECLARE_MEMBERS(AcDbUnknownEntity)

public:
    AcDbUnknownEntity() = default;
    explicit AcDbUnknownEntity(const char* dxfName) : dxfName_(dxfName != nullptr ? dxfName : "") {}

    const char* dxfTypeName() const override { return dxfName_.c_str(); }
    // The tags after the common entity fields, in the order read.
    const platform::cad::DxfTagList& rawTags() const { return raw_; }
    // A copy brought into another drawing has its references put right by the copier.
    void setRawTags(platform::cad::DxfTagList tags) { raw_ = std::move(tags); }

    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

private:
    std::string dxfName_;
    platform::cad::DxfTagList raw_;
};

class AcDbUnknownObject : public AcDbObject {
    DERO_RX_DECLARE_MEMBERS(AcDbUnknownObject)

public:
    AcDbUnknownObject() = default;
    explicit AcDbUnknownObject(const char* dxfName) : dxfName_(dxfName != nullptr ? dxfName : "") {}

    const char* dxfTypeName() const override { return dxfName_.c_str(); }
    const platform::cad::DxfTagList& rawTags() const { return raw_; }

    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

private:
    std::string dxfName_;
    platform::cad::DxfTagList raw_;
};
