// The records of the viewport, dimension style, view and UCS tables. The host uses none of their
// values read from a file, so a record keeps the groups it was read with and a drawing saves them
// unchanged.
#pragma once

#include "platform/cad/db_symbol_table.h"
#include "platform/cad/dxf_tag.h"

class AcDbKeptSymbolTableRecord : public AcDbSymbolTableRecord {
    DERO_RX_DECLARE_ABSTRACT_MEMBERS(AcDbKeptSymbolTableRecord)

public:
    // The record's own groups after its name and flags, in the order read.
    const platform::cad::DxfTagList& rawTags() const { return raw_; }

    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

protected:
    virtual const char* subclassName() const = 0;
    // The group of the record's handle: dimension styles use 5 for an arrow block's name.
    virtual int handleCode() const { return 5; }

private:
    platform::cad::DxfTagList raw_;
};

class AcDbViewportTableRecord : public AcDbKeptSymbolTableRecord {
    DERO_RX_DECLARE_MEMBERS(AcDbViewportTableRecord)

protected:
    const char* subclassName() const override { return "AcDbViewportTableRecord"; }
};

class AcDbDimStyleTableRecord : public AcDbKeptSymbolTableRecord {
    DERO_RX_DECLARE_MEMBERS(AcDbDimStyleTableRecord)

protected:
    const char* subclassName() const override { return "AcDbDimStyleTableRecord"; }
    int handleCode() const override { return 105; }
};

class AcDbUCSTableRecord : public AcDbKeptSymbolTableRecord {
    DERO_RX_DECLARE_MEMBERS(AcDbUCSTableRecord)

protected:
    const char* subclassName() const override { return "AcDbUCSTableRecord"; }
};
