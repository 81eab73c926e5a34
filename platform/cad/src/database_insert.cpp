#include "database_insert.h"

#include <algorithm>
#include <deque>
#include <map>

#include "platform/cad/db_arc.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dimension.h"
#include "platform/cad/db_ellipse.h"
#include "platform/cad/db_kept_symbol_records.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_point.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_spline.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_text.h"
#include "platform/cad/db_unknown.h"
#include "platform/cad/xdata_rules.h"

using platform::cad::PeekObject;

namespace {

// Copies what entities of one drawing refer to into another, by name.
// notPreserved, when given, is the source drawing, whose entities may move rather than be copied.
class RecordCopier {
public:
    RecordCopier(AcDbDatabase* target, AcDbDatabase* notPreserved) : target_(target), notPreserved_(notPreserved) {}

    AcDbObjectId Map(AcDbObjectId sourceRecord, AcDbObjectId targetTable)
    {
        if (sourceRecord.isNull())
            return {};
        auto found = map_.find(sourceRecord);
        if (found != map_.end())
            return found->second;
        auto* record = AcDbSymbolTableRecord::cast(PeekObject(sourceRecord));
        auto* table = AcDbSymbolTable::cast(PeekObject(targetTable));
        if (record == nullptr || table == nullptr)
            return {};
        AcDbObjectId id;
        if (record->name().empty() || table->getAt(record->name().c_str(), id) != Acad::eOk) {
            id = Copy(record, targetTable);
        }
        map_[sourceRecord] = id;
        return id;
    }

    // The target's block of that name; one the target lacks is made now and filled by the copy
    // under way, so that a long chain of nested blocks costs no stack.
    AcDbObjectId MapBlock(AcDbObjectId sourceBlock)
    {
        auto* block = AcDbBlockTableRecord::cast(PeekObject(sourceBlock));
        if (block == nullptr)
            return {};
        auto* table = AcDbBlockTable::cast(PeekObject(target_->blockTableId()));
        AcDbObjectId id;
        if (table->getAt(block->name().c_str(), id) == Acad::eOk)
            return id;
        if (NewBlock(block->name().c_str(), block->origin(), id) != Acad::eOk)
            return {};
        toFill_.push_back({block->entityIds(), id});
        return id;
    }

    Acad::ErrorStatus CopyBlock(const AcDbObjectIdArray& entities, const char* name, const AcGePoint3d& origin,
                                AcDbObjectId& blockId)
    {
        Acad::ErrorStatus es = NewBlock(name, origin, blockId);
        if (es != Acad::eOk)
            return es;
        FillAll(entities, blockId, nullptr);
        return Acad::eOk;
    }

    void FillAll(const AcDbObjectIdArray& entities, AcDbObjectId blockId, platform::cad::CopiedIds* copied)
    {
        Fill(entities, blockId, copied);
        while (!toFill_.empty()) {
            Pending next = std::move(toFill_.front());
            toFill_.pop_front();
            Fill(next.entities, next.block, nullptr);
        }
    }

private:
    struct Pending {
        AcDbObjectIdArray entities;  // of the source
        AcDbObjectId block;          // of the target
    };

    Acad::ErrorStatus NewBlock(const char* name, const AcGePoint3d& origin, AcDbObjectId& blockId)
    {
        AcDbBlockTable* table = nullptr;
        Acad::ErrorStatus es = target_->getBlockTable(table, AcDb::kForWrite);
        if (es != Acad::eOk)
            return es;
        auto* block = new AcDbBlockTableRecord;
        es = block->setName(name);
        if (es == Acad::eOk)
            es = table->add(blockId, block);
        table->close();
        if (es != Acad::eOk) {
            delete block;
            return es;
        }
        block->setOrigin(origin);
        block->close();
        return Acad::eOk;
    }

    void Fill(const AcDbObjectIdArray& entities, AcDbObjectId blockId, platform::cad::CopiedIds* copied)
    {
        for (const auto& id : entities) {
            auto* entity = AcDbEntity::cast(PeekObject(id));
            if (entity == nullptr)
                continue;
            AcDbEntity* copy = notPreserved_ != nullptr ? notPreserved_->takeEntityForInsert(id) : nullptr;
            if (copy == nullptr)
                copy = static_cast<AcDbEntity*>(entity->clone());
            if (copy == nullptr)
                continue;
            Retarget(entity, copy);
            AcDbBlockTableRecord* open = nullptr;
            if (acdbOpenObject(open, blockId, AcDb::kForWrite) != Acad::eOk) {
                delete copy;
                continue;
            }
            AcDbObjectId copyId;
            if (open->appendAcDbEntity(copyId, copy) == Acad::eOk) {
                copy->close();
                if (copied != nullptr)
                    copied->Add(id, copyId);
            } else {
                delete copy;
            }
            open->close();
        }
    }

    AcDbObjectId Copy(const AcDbSymbolTableRecord* record, AcDbObjectId targetTable)
    {
        auto* copy = static_cast<AcDbSymbolTableRecord*>(record->clone());
        if (copy == nullptr)
            return {};
        if (auto* layer = AcDbLayerTableRecord::cast(copy))
            layer->setLinetypeObjectId(Map(AcDbLayerTableRecord::cast(record)->linetypeObjectId(), target_->linetypeTableId()));
        AcDbSymbolTable* table = nullptr;
        AcDbObjectId id;
        if (acdbOpenObject(table, targetTable, AcDb::kForWrite) != Acad::eOk) {
            delete copy;
            return {};
        }
        if (table->add(id, copy) == Acad::eOk)
            copy->close();
        else
            delete copy;
        table->close();
        return id;
    }

    void Retarget(const AcDbEntity* original, AcDbEntity* copy)
    {
        AcDbObjectId layer = Map(original->layerId(), target_->layerTableId());
        copy->setLayer(layer.isNull() ? target_->clayer() : layer, false);
        AcDbObjectId linetype = Map(original->linetypeId(), target_->linetypeTableId());
        if (!linetype.isNull())
            copy->setLinetype(linetype, false);
        if (auto* text = AcDbText::cast(copy)) {
            AcDbObjectId style = Map(AcDbText::cast(original)->textStyle(), target_->textStyleTableId());
            if (!style.isNull())
                text->setTextStyle(style);
        }
        if (auto* ref = AcDbBlockReference::cast(copy))
            ref->setBlockTableRecord(MapBlock(AcDbBlockReference::cast(original)->blockTableRecord()));
        if (auto* dim = AcDbDimension::cast(copy))
            dim->setDimBlockId(AcDbObjectId());
        if (auto* unknown = AcDbUnknownEntity::cast(copy))
            RetargetRaw(unknown);
        // XData names applications of this drawing; register those it lacks. Names already seen
        // registered are remembered: the table only grows while entities are copied.
        for (const auto& app : copy->xdataApps()) {
            if (std::find(registeredApps_.begin(), registeredApps_.end(), app.app) != registeredApps_.end())
                continue;
            std::string registered;
            if (platform::cad::FindRegisteredApp(target_, app.app, registered)) {
                registeredApps_.push_back(app.app);
                continue;
            }
            AcDbRegAppTable* apps = nullptr;
            if (target_->getRegAppTable(apps, AcDb::kForWrite) != Acad::eOk)
                continue;
            auto* record = new AcDbRegAppTableRecord;
            if (record->setName(app.app.c_str()) == Acad::eOk && apps->add(record) == Acad::eOk)
                record->close();
            else
                delete record;
            apps->close();
        }
    }

    // The tags of an entity kept as read name objects of the source, which may be gone once the
    // insert is over: a table record becomes this drawing's of that name, anything else is dropped.
    void RetargetRaw(AcDbUnknownEntity* copy)
    {
        platform::cad::DxfTagList tags = copy->rawTags();
        bool changed = false;
        for (auto& tag : tags) {
            if (tag.kind() != platform::cad::GroupValueKind::Name || tag.id.isNull())
                continue;
            tag.id = MapReference(tag.id);
            changed = true;
        }
        if (changed)
            copy->setRawTags(std::move(tags));
    }

    AcDbObjectId MapReference(AcDbObjectId source)
    {
        const AcDbObject* object = PeekObject(source);
        if (object == nullptr || object->database() == target_)
            return object != nullptr ? source : AcDbObjectId();
        if (AcDbBlockTableRecord::cast(object) != nullptr)
            return MapBlock(source);
        AcDbObjectId table;
        if (AcDbLayerTableRecord::cast(object) != nullptr)
            table = target_->layerTableId();
        else if (AcDbLinetypeTableRecord::cast(object) != nullptr)
            table = target_->linetypeTableId();
        else if (AcDbTextStyleTableRecord::cast(object) != nullptr)
            table = target_->textStyleTableId();
        else if (AcDbRegAppTableRecord::cast(object) != nullptr)
            table = target_->regAppTableId();
        else if (AcDbDimStyleTableRecord::cast(object) != nullptr)
            table = target_->dimStyleTableId();
        return table.isNull() ? AcDbObjectId() : Map(source, table);
    }

    AcDbDatabase* target_;
    AcDbDatabase* notPreserved_;
    std::map<AcDbObjectId, AcDbObjectId> map_;
    std::deque<Pending> toFill_;
    std::vector<std::string> registeredApps_;  // exactly as the copies name them
};

}  // namespace

void platform::cad::CopiedIds::Finish()
{
    auto byOriginal = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(pairs_.begin(), pairs_.end(), byOriginal))
        std::sort(pairs_.begin(), pairs_.end(), byOriginal);
}

AcDbObjectId platform::cad::CopiedIds::Find(AcDbObjectId original) const
{
    auto it = std::lower_bound(pairs_.begin(), pairs_.end(), original,
                               [](const auto& pair, AcDbObjectId id) { return pair.first < id; });
    return it != pairs_.end() && it->first == original ? it->second : AcDbObjectId();
}

void platform::cad::CopyEntitiesInto(AcDbDatabase* target, const AcDbObjectIdArray& entities, AcDbObjectId block,
                                     CopiedIds& copied, AcDbDatabase* notPreserved)
{
    RecordCopier copier(target, notPreserved);
    copied.Reserve(static_cast<std::size_t>(entities.length()));
    copier.FillAll(entities, block, &copied);
    copied.Finish();
}

Acad::ErrorStatus AcDbDatabase::insert(AcDbObjectId& blockId, const char* blockName, AcDbDatabase* source,
                                       bool preserveSourceDatabase)
{
    blockId.setNull();
    if (source == nullptr || source == this || blockName == nullptr || *blockName == '\0')
        return Acad::eInvalidInput;
    auto* table = AcDbBlockTable::cast(platform::cad::PeekObject(blockTable_));
    if (table == nullptr)
        return Acad::eNotInDatabase;
    if (table->has(blockName))
        return Acad::eDuplicateRecordName;
    auto* modelSpace = AcDbBlockTableRecord::cast(platform::cad::PeekObject(source->modelSpaceId()));
    if (modelSpace == nullptr)
        return Acad::eInvalidInput;
    RecordCopier copier(this, preserveSourceDatabase ? nullptr : source);
    return copier.CopyBlock(modelSpace->entityIds(), blockName, AcGePoint3d(), blockId);
}

namespace {
// Kinds whose copy is every field of the original (no sub-entities of their own): taken out of a
// drawing and cleared of what ties them to it, they are what clone() would give.
bool CopiesPlainly(const AcDbObject* object)
{
    const AcRxClass* kind = object->isA();
    return kind == AcDbLine::desc() || kind == AcDbCircle::desc() || kind == AcDbArc::desc() ||
           kind == AcDbText::desc() || kind == AcDbPolyline::desc() || kind == AcDbPoint::desc() ||
           kind == AcDbEllipse::desc() || kind == AcDbSpline::desc();
}
}  // namespace

AcDbEntity* AcDbDatabase::takeEntityForInsert(AcDbObjectId id)
{
    platform::cad::ObjectStub* stub = id.stub();
    if (stub == nullptr || stub->database != this || stub->object == nullptr || !observers_.empty())
        return nullptr;
    AcDbObject* object = stub->object.get();
    if (!CopiesPlainly(object) || object->readers_ != 0 || object->writing_)
        return nullptr;
    // The id stays in this drawing without an object: groups and dictionaries still name it, and
    // the insert maps it to the entity's new id.
    stub->object.release();
    object->stub_ = nullptr;
    object->ownerId_.setNull();
    object->modifiedThisOpen_ = false;
    object->changedBeyondXData_ = true;
    object->reactors_ = AcDbObjectIdArray();
    object->extDict_.setNull();
    return static_cast<AcDbEntity*>(object);
}
