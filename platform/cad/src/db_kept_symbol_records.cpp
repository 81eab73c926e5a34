#include "platform/cad/db_kept_symbol_records.h"

#include "platform/cad/db_dxf_filer.h"

DERO_RX_DEFINE_MEMBERS(AcDbKeptSymbolTableRecord, "", AcDbSymbolTableRecord)
DERO_RX_DEFINE_MEMBERS(AcDbViewportTableRecord, "VPORT", AcDbKeptSymbolTableRecord)
DERO_RX_DEFINE_MEMBERS(AcDbDimStyleTableRecord, "DIMSTYLE", AcDbKeptSymbolTableRecord)
DERO_RX_DEFINE_MEMBERS(AcDbUCSTableRecord, "UCS", AcDbKeptSymbolTableRecord)

void AcDbKeptSymbolTableRecord::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbSymbolTableRecord::dxfOutFields(filer);
    filer->writeSubclass(subclassName());
    for (const auto& tag : raw_)
        filer->writeTag(tag);
}

Acad::ErrorStatus AcDbKeptSymbolTableRecord::dxfInFields(const AcDbDxfFiler* filer)
{
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    // What the common part holds (handle, reactors, owner) and the name and flags are kept
    // elsewhere; subclass markers are written anew. Files of R12 have no markers at all, so the
    // common part is known by its codes, each taken once.
    platform::cad::DxfTagList raw;
    bool handle = false, owner = false, name = false, flags = false;
    bool bracket = false, common = true;
    for (const auto& tag : filer->tags()) {
        if (tag.code == 102) {
            bracket = !tag.text.empty() && tag.text[0] == '{';
            continue;
        }
        if (bracket)
            continue;
        if (tag.code == 100) {
            common = false;
            continue;
        }
        if (common && tag.code == handleCode() && !handle) {
            handle = true;
            continue;
        }
        if (common && tag.code == 330 && !owner) {
            owner = true;
            continue;
        }
        if (tag.code == 2 && !name) {
            name = true;
            continue;
        }
        if (tag.code == 70 && !flags) {
            flags = true;
            continue;
        }
        raw.push_back(tag);
    }
    raw_ = std::move(raw);
    return Acad::eOk;
}
