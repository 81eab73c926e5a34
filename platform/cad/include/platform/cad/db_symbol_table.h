// Symbol tables and their records: named entries (blocks, layers, linetypes, text styles,
// registered applications) whose names compare without regard to case.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/cad/db_object.h"
#include "platform/cad/dxf_tag.h"

class AcDbSymbolTableRecord : public AcDbObject {
    DERO_RX_DECLARE_ABSTRACT_MEMBERS(AcDbSymbolTableRecord)

public:
    AcDbSymbolTableRecord() = default;
    AcDbSymbolTableRecord(const AcDbSymbolTableRecord&) = default;

    // Heap copy (free with acutDelString) or the name in place.
    Acad::ErrorStatus getName(char*& name) const;
    Acad::ErrorStatus getName(const char*& name) const;
    const std::string& name() const { return name_; }
    // eInvalidSymbolTableName for a name the host refuses; eDuplicateRecordName when a resident
    // record's table has the name already.
    Acad::ErrorStatus setName(const char* name);
    // The name a drawing file gives the record, kept even where the host refuses its characters
    // (a drawing reader's use, for names that are written back unchanged). eDuplicateRecordName
    // as setName.
    Acad::ErrorStatus setNameAsRead(const char* name);
    int flags() const { return flags_; }

    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

protected:
    void setFlagBit(int bit, bool on);

private:
    Acad::ErrorStatus rename(std::string text);

    std::string name_;
    int flags_ = 0;
};

class AcDbSymbolTableIterator {
public:
    explicit AcDbSymbolTableIterator(AcDbObjectIdArray ids) : ids_(std::move(ids)) {}
    virtual ~AcDbSymbolTableIterator() = default;
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const { return index_ >= ids_.length(); }
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
    Acad::ErrorStatus getRecord(AcDbSymbolTableRecord*& record, AcDb::OpenMode mode, bool openErased = false) const;

private:
    void skip();
    AcDbObjectIdArray ids_;
    int index_ = 0;
};

class AcDbSymbolTable : public AcDbObject {
    DERO_RX_DECLARE_ABSTRACT_MEMBERS(AcDbSymbolTable)

public:
    AcDbSymbolTable() = default;

    bool has(const char* name) const;
    bool has(AcDbObjectId id) const;
    Acad::ErrorStatus getAt(const char* name, AcDbObjectId& id, bool getErased = false) const;
    Acad::ErrorStatus getAt(const char* name, AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                            bool openErased = false) const;
    // Makes the record resident (open for write: close it) and lists it. eDuplicateRecordName,
    // eInvalidSymbolTableName, eWrongObjectType for a record of another table.
    Acad::ErrorStatus add(AcDbSymbolTableRecord* record);
    Acad::ErrorStatus add(AcDbObjectId& id, AcDbSymbolTableRecord* record);
    AcDbObjectIdArray recordIds(bool withErased = false) const;
    // Every record in table order, erased ones included, for the host's own walks without a copy.
    const std::vector<AcDbObjectId>& allRecordIds() const { return records_; }
    // Lists a record that is already resident (a drawing reader's use).
    Acad::ErrorStatus adoptRecord(AcDbObjectId record);
    AcDbSymbolTableIterator* newIterator(bool atBeginning = true, bool skipDeleted = true) const;

    void subObjectIds(AcDbObjectIdArray& ids) const override;
    // Whether the table lists records without a name (text styles used for shapes and fonts do).
    virtual bool allowsEmptyNames() const { return false; }
    // Whether several records may share a name (a viewport configuration has one per tile).
    virtual bool allowsDuplicateNames() const { return false; }
    virtual bool acceptsRecord(const AcDbSymbolTableRecord* record) const = 0;

    // A record of this table was renamed: keeps the look-up by name current.
    void recordRenamed(AcDbObjectId record, const std::string& oldName, const std::string& newName);

private:
    std::vector<AcDbObjectId> records_;
    // Upper-cased name to records, so that drawings with thousands of blocks look up quickly.
    std::unordered_multimap<std::string, AcDbObjectId> byName_;
};

// A table of one record class, with typed look-ups and iterators.
template <typename Record>
class AcDbTypedSymbolTableIterator : public AcDbSymbolTableIterator {
public:
    using AcDbSymbolTableIterator::AcDbSymbolTableIterator;
    using AcDbSymbolTableIterator::getRecord;
    Acad::ErrorStatus getRecord(Record*& record, AcDb::OpenMode mode, bool openErased = false) const
    {
        AcDbObjectId id;
        record = nullptr;
        Acad::ErrorStatus es = getRecordId(id);
        return es == Acad::eOk ? acdbOpenObject(record, id, mode, openErased) : es;
    }
};

#define DERO_DECLARE_TYPED_TABLE(TABLE, RECORD, ITERATOR)                                        \
    class RECORD;                                                                                \
    using ITERATOR = AcDbTypedSymbolTableIterator<RECORD>;                                       \
    class TABLE : public AcDbSymbolTable {                                                       \
        DERO_RX_DECLARE_MEMBERS(TABLE)                                                           \
    public:                                                                                      \
        using AcDbSymbolTable::getAt;                                                            \
        Acad::ErrorStatus getAt(const char* name, RECORD*& record, AcDb::OpenMode mode,          \
                                bool openErased = false) const;                                  \
        Acad::ErrorStatus newIterator(ITERATOR*& iterator, bool atBeginning = true,              \
                                      bool skipDeleted = true) const;                            \
        bool acceptsRecord(const AcDbSymbolTableRecord* record) const override;                  \
        DERO_TABLE_EXTRA                                                                         \
    };

#define DERO_TABLE_EXTRA
DERO_DECLARE_TYPED_TABLE(AcDbBlockTable, AcDbBlockTableRecord, AcDbBlockTableIterator)
DERO_DECLARE_TYPED_TABLE(AcDbLayerTable, AcDbLayerTableRecord, AcDbLayerTableIterator)
DERO_DECLARE_TYPED_TABLE(AcDbLinetypeTable, AcDbLinetypeTableRecord, AcDbLinetypeTableIterator)
DERO_DECLARE_TYPED_TABLE(AcDbRegAppTable, AcDbRegAppTableRecord, AcDbRegAppTableIterator)
#undef DERO_TABLE_EXTRA
#define DERO_TABLE_EXTRA \
    bool allowsEmptyNames() const override { return true; }
DERO_DECLARE_TYPED_TABLE(AcDbTextStyleTable, AcDbTextStyleTableRecord, AcDbTextStyleTableIterator)
#undef DERO_TABLE_EXTRA
// The dimension style table's own groups (its 71 and the 340 list of its styles) as a file gave them.
#define DERO_TABLE_EXTRA                                                                             \
    const platform::cad::DxfTagList& headTags() const { return head_; }                             \
    void setHeadTags(platform::cad::DxfTagList tags) { head_ = std::move(tags); }                   \
                                                                                                   \
private:                                                                                           \
    platform::cad::DxfTagList head_;
DERO_DECLARE_TYPED_TABLE(AcDbDimStyleTable, AcDbDimStyleTableRecord, AcDbDimStyleTableIterator)
#undef DERO_TABLE_EXTRA
#define DERO_TABLE_EXTRA
DERO_DECLARE_TYPED_TABLE(AcDbViewTable, AcDbViewTableRecord, AcDbViewTableIterator)
DERO_DECLARE_TYPED_TABLE(AcDbUCSTable, AcDbUCSTableRecord, AcDbUCSTableIterator)
#undef DERO_TABLE_EXTRA
#define DERO_TABLE_EXTRA \
    bool allowsDuplicateNames() const override { return true; }
DERO_DECLARE_TYPED_TABLE(AcDbViewportTable, AcDbViewportTableRecord, AcDbViewportTableIterator)
#undef DERO_TABLE_EXTRA
