#include "platform/cad/db_block_table_record.h"

#include "platform/cad/db_database.h"
#include "platform/cad/db_text.h"
#include "platform/text/gbk.h"

using platform::cad::PeekObject;

DERO_RX_DEFINE_MEMBERS(AcDbBlockTableRecord, "BLOCK_RECORD", AcDbSymbolTableRecord)

AcDbBlockTableRecord::AcDbBlockTableRecord(const AcDbBlockTableRecord& other)
    : AcDbSymbolTableRecord(other), origin_(other.origin_), comments_(other.comments_)
{
    // A copied block starts empty: its entities belong to the original.
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* entity)
{
    AcDbObjectId id;
    return appendAcDbEntity(id, entity);
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& id, AcDbEntity* entity)
{
    id.setNull();
    if (entity == nullptr)
        return Acad::eNullEntityPointer;
    if (!isDatabaseResident())
        return Acad::eNotInDatabase;
    if (entity->isDatabaseResident())
        return Acad::eAlreadyInDb;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    // Entity properties refer to records of one drawing; a foreign layer would dangle.
    if (!entity->layerId().isNull() && entity->layerId().database() != database())
        return Acad::eWrongDatabase;
    entity->setOwnerId(objectId());
    Acad::ErrorStatus es = database()->addAcDbObject(id, entity);
    if (es != Acad::eOk)
        return es;
    entities_.push_back(id);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::adoptEntity(AcDbObjectId entity)
{
    auto* ent = AcDbEntity::cast(PeekObject(entity));
    if (ent == nullptr)
        return Acad::eNotAnEntity;
    if (entity.database() != database())
        return Acad::eWrongDatabase;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    ent->setOwnerId(objectId());
    entities_.push_back(entity);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::newIterator(AcDbBlockTableRecordIterator*& iterator, bool atBeginning,
                                                    bool skipDeleted) const
{
    iterator = new AcDbBlockTableRecordIterator(entityIds(true));
    iterator->start(atBeginning, skipDeleted);
    return Acad::eOk;
}

AcDbObjectIdArray AcDbBlockTableRecord::entityIds(bool withErased) const
{
    AcDbObjectIdArray ids;
    for (const auto& id : entities_)
        if (withErased || !id.isErased())
            ids.append(id);
    return ids;
}

Acad::ErrorStatus AcDbBlockTableRecord::setOrigin(const AcGePoint3d& origin)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    origin_ = origin;
    return Acad::eOk;
}

bool AcDbBlockTableRecord::isLayout() const
{
    return platform::text::GbkEqualNoCase(name(), ACDB_MODEL_SPACE) ||
           platform::text::GbkCompareNoCase(name().substr(0, 12), ACDB_PAPER_SPACE) == 0;
}

bool AcDbBlockTableRecord::hasAttributeDefinitions() const
{
    for (const auto& id : entities_)
        if (!id.isErased() && AcDbAttributeDefinition::cast(PeekObject(id)) != nullptr)
            return true;
    return false;
}

Acad::ErrorStatus AcDbBlockTableRecord::setComments(const char* text)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    comments_ = text != nullptr ? text : "";
    return Acad::eOk;
}

void AcDbBlockTableRecord::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbSymbolTableRecord::dxfOutFields(filer);
    filer->writeSubclass("AcDbBlockTableRecord");
    if (!layout_.isNull())
        filer->writeObjectId(340, layout_);
    filer->writePoint(10, origin_);
    if (!comments_.empty())
        filer->writeString(4, comments_);
}

Acad::ErrorStatus AcDbBlockTableRecord::dxfInFields(const AcDbDxfFiler* filer)
{
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (const auto* t = filer->find(10))
        origin_ = t->point;
    if (const auto* t = filer->find(4))
        comments_ = t->text;
    if (const auto* t = filer->find(340))
        layout_ = t->id;
    return Acad::eOk;
}

void AcDbBlockTableRecord::subObjectIds(AcDbObjectIdArray& ids) const
{
    for (const auto& id : entities_)
        ids.append(id);
}

void AcDbBlockTableRecordIterator::skip()
{
    while (index_ < ids_.length() && ids_[index_].isErased())
        ++index_;
}

void AcDbBlockTableRecordIterator::start(bool atBeginning, bool skipDeleted)
{
    index_ = atBeginning ? 0 : ids_.length();
    if (skipDeleted)
        skip();
}

void AcDbBlockTableRecordIterator::step(bool /*forward*/, bool skipDeleted)
{
    ++index_;
    if (skipDeleted)
        skip();
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntityId(AcDbObjectId& id) const
{
    if (done())
        return Acad::eInvalidIndex;
    id = ids_[index_];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntity(AcDbEntity*& entity, AcDb::OpenMode mode,
                                                          bool openErased) const
{
    entity = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = getEntityId(id);
    return es == Acad::eOk ? acdbOpenObject(entity, id, mode, openErased) : es;
}
