#include "platform/cad/db_symbol_table.h"

#include <cctype>
#include <cstring>

#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_kept_symbol_records.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_view_record.h"
#include "platform/cad/resbuf.h"
#include "platform/text/gbk.h"
#include "symbol_name_rules.h"

using platform::cad::PeekObject;

DERO_RX_DEFINE_MEMBERS(AcDbSymbolTableRecord, "", AcDbObject)
DERO_RX_DEFINE_MEMBERS(AcDbSymbolTable, "", AcDbObject)
DERO_RX_DEFINE_MEMBERS(AcDbBlockTable, "TABLE", AcDbSymbolTable)
DERO_RX_DEFINE_MEMBERS(AcDbLayerTable, "TABLE", AcDbSymbolTable)
DERO_RX_DEFINE_MEMBERS(AcDbLinetypeTable, "TABLE", AcDbSymbolTable)
DERO_RX_DEFINE_MEMBERS(AcDbRegAppTable, "TABLE", AcDbSymbolTable)
DERO_RX_DEFINE_MEMBERS(AcDbTextStyleTable, "TABLE", AcDbSymbolTable)
DERO_RX_DEFINE_MEMBERS(AcDbDimStyleTable, "TABLE", AcDbSymbolTable)
DERO_RX_DEFINE_MEMBERS(AcDbViewportTable, "TABLE", AcDbSymbolTable)
DERO_RX_DEFINE_MEMBERS(AcDbViewTable, "TABLE", AcDbSymbolTable)
DERO_RX_DEFINE_MEMBERS(AcDbUCSTable, "TABLE", AcDbSymbolTable)

namespace {
// Symbol names may not hold the characters the host reserves for wild cards and list syntax;
// block names may start with '*' (layout and anonymous blocks).
bool IsValidSymbolName(const std::string& name)
{
    if (name.size() > 255)
        return false;
    for (std::size_t i = 0; i < name.size();) {
        std::size_t length = platform::cad::SymbolNameCharLength(name, i);
        if (platform::cad::IsRefusedSymbolNameChar(name, i, length))
            return false;
        i += length;
    }
    return true;
}
}  // namespace

Acad::ErrorStatus AcDbSymbolTableRecord::getName(char*& name) const
{
    name = acutNewString(name_.c_str());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(const char*& name) const
{
    name = name_.c_str();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::setName(const char* name)
{
    std::string text = name != nullptr ? name : "";
    if (!IsValidSymbolName(text))
        return Acad::eInvalidSymbolTableName;
    return rename(std::move(text));
}

Acad::ErrorStatus AcDbSymbolTableRecord::setNameAsRead(const char* name)
{
    return rename(name != nullptr ? name : "");
}

Acad::ErrorStatus AcDbSymbolTableRecord::rename(std::string text)
{
    if (isDatabaseResident()) {
        auto* table = AcDbSymbolTable::cast(PeekObject(ownerId()));
        if (table != nullptr) {
            if (text.empty() && !table->allowsEmptyNames())
                return Acad::eInvalidSymbolTableName;
            AcDbObjectId other;
            if (!text.empty() && table->getAt(text.c_str(), other, true) == Acad::eOk && other != objectId() &&
                !table->allowsDuplicateNames())
                return Acad::eDuplicateRecordName;
        }
    }
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    if (auto* table = AcDbSymbolTable::cast(PeekObject(ownerId())); table != nullptr && isDatabaseResident())
        table->recordRenamed(objectId(), name_, text);
    name_ = std::move(text);
    return Acad::eOk;
}

void AcDbSymbolTableRecord::setFlagBit(int bit, bool on)
{
    flags_ = on ? (flags_ | bit) : (flags_ & ~bit);
}

void AcDbSymbolTableRecord::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbObject::dxfOutFields(filer);
    filer->writeSubclass("AcDbSymbolTableRecord");
    filer->writeString(2, name_);
    filer->writeInt(70, flags_);
}

Acad::ErrorStatus AcDbSymbolTableRecord::dxfInFields(const AcDbDxfFiler* filer)
{
    const auto* name = filer->find(2);
    if (name != nullptr && name->text != name_) {
        Acad::ErrorStatus es = setName(name->text.c_str());
        if (es != Acad::eOk)
            return es;
    }
    Acad::ErrorStatus es = AcDbObject::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (const auto* flags = filer->find(70))
        flags_ = static_cast<int>(flags->integer);
    return Acad::eOk;
}

void AcDbSymbolTableIterator::skip()
{
    while (index_ < ids_.length() && ids_[index_].isErased())
        ++index_;
}

void AcDbSymbolTableIterator::start(bool atBeginning, bool skipDeleted)
{
    index_ = atBeginning ? 0 : ids_.length();
    if (skipDeleted)
        skip();
}

void AcDbSymbolTableIterator::step(bool /*forward*/, bool skipDeleted)
{
    ++index_;
    if (skipDeleted)
        skip();
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const
{
    if (done())
        return Acad::eInvalidIndex;
    id = ids_[index_];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                                                     bool openErased) const
{
    record = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = getRecordId(id);
    return es == Acad::eOk ? acdbOpenObject(record, id, mode, openErased) : es;
}

bool AcDbSymbolTable::has(const char* name) const
{
    AcDbObjectId id;
    return getAt(name, id) == Acad::eOk;
}

bool AcDbSymbolTable::has(AcDbObjectId id) const
{
    for (const auto& r : records_)
        if (r == id)
            return !id.isErased();
    return false;
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const char* name, AcDbObjectId& id, bool getErased) const
{
    id.setNull();
    if (name == nullptr || *name == '\0')
        return Acad::eKeyNotFound;
    AcDbObjectId erasedMatch;
    auto range = byName_.equal_range(platform::text::GbkToUpper(name));
    for (auto it = range.first; it != range.second; ++it) {
        // The earliest live record wins, as in the table's own order.
        if (!it->second.isErased()) {
            if (id.isNull() || it->second < id)
                id = it->second;
        } else if (erasedMatch.isNull() || it->second < erasedMatch) {
            erasedMatch = it->second;
        }
    }
    if (!id.isNull())
        return Acad::eOk;
    if (getErased && !erasedMatch.isNull()) {
        id = erasedMatch;
        return Acad::eOk;
    }
    return Acad::eKeyNotFound;
}

void AcDbSymbolTable::recordRenamed(AcDbObjectId record, const std::string& oldName, const std::string& newName)
{
    auto range = byName_.equal_range(platform::text::GbkToUpper(oldName));
    for (auto it = range.first; it != range.second; ++it)
        if (it->second == record) {
            byName_.erase(it);
            break;
        }
    if (!newName.empty())
        byName_.emplace(platform::text::GbkToUpper(newName), record);
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const char* name, AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                                         bool openErased) const
{
    record = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = getAt(name, id, openErased);
    return es == Acad::eOk ? acdbOpenObject(record, id, mode, openErased) : es;
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbSymbolTableRecord* record)
{
    AcDbObjectId id;
    return add(id, record);
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbObjectId& id, AcDbSymbolTableRecord* record)
{
    id.setNull();
    if (record == nullptr)
        return Acad::eNullObjectPointer;
    if (!isDatabaseResident())
        return Acad::eNotInDatabase;
    if (record->isDatabaseResident())
        return Acad::eAlreadyInDb;
    if (!acceptsRecord(record))
        return Acad::eWrongObjectType;
    if (record->name().empty() ? !allowsEmptyNames() : has(record->name().c_str()) && !allowsDuplicateNames())
        return record->name().empty() ? Acad::eInvalidSymbolTableName : Acad::eDuplicateRecordName;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    record->setOwnerId(objectId());
    Acad::ErrorStatus es = database()->addAcDbObject(id, record);
    if (es != Acad::eOk)
        return es;
    records_.push_back(id);
    if (!record->name().empty())
        byName_.emplace(platform::text::GbkToUpper(record->name()), id);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::adoptRecord(AcDbObjectId id)
{
    auto* record = AcDbSymbolTableRecord::cast(PeekObject(id));
    if (record == nullptr || !acceptsRecord(record))
        return Acad::eWrongObjectType;
    if (id.database() != database())
        return Acad::eWrongDatabase;
    if (!record->name().empty() && has(record->name().c_str()) && !allowsDuplicateNames())
        return Acad::eDuplicateRecordName;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    record->setOwnerId(objectId());
    records_.push_back(id);
    if (!record->name().empty())
        byName_.emplace(platform::text::GbkToUpper(record->name()), id);
    return Acad::eOk;
}

AcDbObjectIdArray AcDbSymbolTable::recordIds(bool withErased) const
{
    AcDbObjectIdArray ids;
    for (const auto& r : records_)
        if (withErased || !r.isErased())
            ids.append(r);
    return ids;
}

AcDbSymbolTableIterator* AcDbSymbolTable::newIterator(bool atBeginning, bool skipDeleted) const
{
    auto* it = new AcDbSymbolTableIterator(recordIds(true));
    it->start(atBeginning, skipDeleted);
    return it;
}

void AcDbSymbolTable::subObjectIds(AcDbObjectIdArray& ids) const
{
    for (const auto& r : records_)
        ids.append(r);
}

#define DERO_DEFINE_TYPED_TABLE(TABLE, RECORD, ITERATOR)                                            \
    Acad::ErrorStatus TABLE::getAt(const char* name, RECORD*& record, AcDb::OpenMode mode,          \
                                   bool openErased) const                                           \
    {                                                                                               \
        record = nullptr;                                                                           \
        AcDbObjectId id;                                                                            \
        Acad::ErrorStatus es = AcDbSymbolTable::getAt(name, id, openErased);                        \
        return es == Acad::eOk ? acdbOpenObject(record, id, mode, openErased) : es;                 \
    }                                                                                               \
    Acad::ErrorStatus TABLE::newIterator(ITERATOR*& iterator, bool atBeginning, bool skipDeleted) const \
    {                                                                                               \
        iterator = new ITERATOR(recordIds(true));                                                   \
        iterator->start(atBeginning, skipDeleted);                                                  \
        return Acad::eOk;                                                                           \
    }                                                                                               \
    bool TABLE::acceptsRecord(const AcDbSymbolTableRecord* record) const                            \
    {                                                                                               \
        return RECORD::cast(record) != nullptr;                                                     \
    }

DERO_DEFINE_TYPED_TABLE(AcDbBlockTable, AcDbBlockTableRecord, AcDbBlockTableIterator)
DERO_DEFINE_TYPED_TABLE(AcDbLayerTable, AcDbLayerTableRecord, AcDbLayerTableIterator)
DERO_DEFINE_TYPED_TABLE(AcDbLinetypeTable, AcDbLinetypeTableRecord, AcDbLinetypeTableIterator)
DERO_DEFINE_TYPED_TABLE(AcDbRegAppTable, AcDbRegAppTableRecord, AcDbRegAppTableIterator)
DERO_DEFINE_TYPED_TABLE(AcDbTextStyleTable, AcDbTextStyleTableRecord, AcDbTextStyleTableIterator)
DERO_DEFINE_TYPED_TABLE(AcDbDimStyleTable, AcDbDimStyleTableRecord, AcDbDimStyleTableIterator)
DERO_DEFINE_TYPED_TABLE(AcDbViewportTable, AcDbViewportTableRecord, AcDbViewportTableIterator)
DERO_DEFINE_TYPED_TABLE(AcDbViewTable, AcDbViewTableRecord, AcDbViewTableIterator)
DERO_DEFINE_TYPED_TABLE(AcDbUCSTable, AcDbUCSTableRecord, AcDbUCSTableIterator)
