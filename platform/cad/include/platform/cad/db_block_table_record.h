// A block definition: an ordered list of entities with a base point. "*Model_Space" and
// "*Paper_Space" are the two layout blocks that hold the drawing itself.
#pragma once

#include <vector>

#include "platform/cad/db_entity.h"
#include "platform/cad/db_symbol_table.h"

class AcDbBlockTableRecordIterator {
public:
    explicit AcDbBlockTableRecordIterator(AcDbObjectIdArray ids) : ids_(std::move(ids)) {}
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const { return index_ >= ids_.length(); }
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getEntityId(AcDbObjectId& id) const;
    Acad::ErrorStatus getEntity(AcDbEntity*& entity, AcDb::OpenMode mode, bool openErased = false) const;

private:
    void skip();
    AcDbObjectIdArray ids_;
    int index_ = 0;
};

class AcDbBlockTableRecord : public AcDbSymbolTableRecord {
    DERO_RX_DECLARE_MEMBERS(AcDbBlockTableRecord)

public:
    AcDbBlockTableRecord() = default;
    AcDbBlockTableRecord(const AcDbBlockTableRecord& other);

    // The block must be resident and open for write; the entity becomes resident, owned by the
    // block, open for write (close it). A new entity without a layer takes the database's
    // current layer, linetype and text style.
    Acad::ErrorStatus appendAcDbEntity(AcDbObjectId& id, AcDbEntity* entity);
    Acad::ErrorStatus appendAcDbEntity(AcDbEntity* entity);
    Acad::ErrorStatus newIterator(AcDbBlockTableRecordIterator*& iterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
    // Entity ids in order (erased ones only when asked).
#ifdef DERO_HOST_EXTRAS
    AcDbObjectIdArray entityIds(bool withErased = false) const;
#endif

    AcGePoint3d origin() const { return origin_; }
    Acad::ErrorStatus setOrigin(const AcGePoint3d& origin);
    bool isLayout() const;
    // The LAYOUT object of a layout block, as the drawing file names it; null for other blocks.
    AcDbObjectId getLayoutId() const { return layout_; }
    bool isAnonymous() const { return (flags() & 1) != 0; }
    bool hasAttributeDefinitions() const;
    const char* comments() const { return comments_.c_str(); }
    Acad::ErrorStatus setComments(const char* text);

    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;
    void subObjectIds(AcDbObjectIdArray& ids) const override;

    // Takes an already resident entity into the list (a drawing reader's use).
    Acad::ErrorStatus adoptEntity(AcDbObjectId entity);
    AcDbObject* journalCopy() const override
    {
        auto* copy = new AcDbBlockTableRecord(*this);
        copy->entities_ = entities_;
        copy->layout_ = layout_;
        return copy;
    }

private:
    std::vector<AcDbObjectId> entities_;
    AcGePoint3d origin_;
    std::string comments_;
    AcDbObjectId layout_;
};
