// The list of sub-entities of a complex entity (polyline vertices, block-reference attributes)
// with its end marker. Before the owner is resident the sub-entities are held here; once it is,
// they are resident objects owned by it and the list holds their ids.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "platform/cad/db_entity.h"
#include "platform/cad/object_table.h"

namespace platform::cad {

class SubEntityList {
public:
    SubEntityList() = default;
    SubEntityList(const SubEntityList& other);
    SubEntityList& operator=(const SubEntityList&) = delete;

    // Inserts before position pos (0..Size()); the caller has checked the owner may change. A
    // resident owner's new sub-entity is resident and open for write.
    Acad::ErrorStatus Insert(AcDbObject* owner, int index, AcDbEntity* entity, AcDbObjectId& id);
    // As Insert for each pair in turn, in one pass over the list: each entity goes before the
    // position it is paired with in the list as it stands now, positions ascending (a fitted
    // curve adds a vertex after each of its own). statuses and ids follow the order of entries.
    void InsertEach(AcDbObject* owner, const std::vector<std::pair<int, AcDbEntity*>>& entries,
                    std::vector<Acad::ErrorStatus>& statuses, std::vector<AcDbObjectId>& ids);
    // Entities in order, resident or pending, erased ones skipped.
    std::vector<const AcDbEntity*> Entities() const;
    // The same entities handed to visit one by one, with no list made (paths are built often).
    template <typename F>
    void ForEachEntity(F&& visit) const
    {
        for (const auto& id : ids_)
            if (!id.isErased())
                if (auto* e = AcDbEntity::cast(PeekObject(id)))
                    visit(e);
        for (const auto& e : pending_)
            visit(static_cast<const AcDbEntity*>(e.get()));
    }
    AcDbObjectIdArray Ids(bool withErased = false) const;
    std::vector<AcDbEntity*> PendingEntities() const;
    int IndexOf(AcDbObjectId id) const;
    int Size() const;
    AcDbObjectId SequenceEnd() const { return seqend_; }
    // Makes pending entities resident under the owner and (withEnd) adds the end marker.
    void MakeResident(AcDbObject* owner, bool withEnd);
    // Drops every entry (resident ones are erased).
    void Clear(AcDbObject* owner);
    // The entity at a position of the whole list (erased ones included), or null.
    const AcDbEntity* At(int pos) const;
    // Changes the entity at a position: opened for write when resident. False when it cannot be.
    template <typename F>
    bool Modify(int pos, F&& change)
    {
        if (pos < 0 || pos >= Size())
            return false;
        if (!pending_.empty()) {
            change(pending_[static_cast<std::size_t>(pos)].get());
            return true;
        }
        AcDbEntity* entity = nullptr;
        if (acdbOpenObject(entity, ids_[static_cast<std::size_t>(pos)], AcDb::kForWrite) != Acad::eOk)
            return false;
        change(entity);
        entity->close();
        return true;
    }
    // Takes an already resident entity of the owner's database into the list (a drawing reader's
    // use): the end marker when it is one, replacing any made before, otherwise the last entry.
    Acad::ErrorStatus Adopt(AcDbObject* owner, AcDbObjectId id);
    // Takes the entry out of the list; a resident one is erased, a pending one deleted.
    void Remove(int pos);
    // Holds the same resident entries as the other list (the undo journal's copy of an owner).
    void ShareIds(const SubEntityList& other)
    {
        pending_.clear();
        ids_ = other.ids_;
        seqend_ = other.seqend_;
    }

private:
    void AddEnd(AcDbObject* owner);
    std::vector<AcDbObjectId> ids_;
    std::vector<std::unique_ptr<AcDbEntity>> pending_;
    AcDbObjectId seqend_;
};

}  // namespace platform::cad
