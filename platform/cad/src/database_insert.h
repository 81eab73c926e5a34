// Entities of one drawing copied into a block of another, with the records and blocks they need.
#pragma once

#include <utility>
#include <vector>

#include "platform/cad/db_database.h"

namespace platform::cad {

// Each copied entity's copy, found by the original's id. Entities are copied mostly in creation
// order: the pairs are kept in one list and sorted once, where a tree would take a node each.
class CopiedIds {
public:
    void Reserve(std::size_t count) { pairs_.reserve(count); }
    void Add(AcDbObjectId original, AcDbObjectId copy) { pairs_.emplace_back(original, copy); }
    // Sorts the list by original (each is copied once); before any Find.
    void Finish();
    // The copy of the original; null when it was not copied.
    AcDbObjectId Find(AcDbObjectId original) const;

private:
    std::vector<std::pair<AcDbObjectId, AcDbObjectId>> pairs_;
};

// Appends a copy of each source entity to the target's block, in order; copied maps each source
// entity to its copy (finished). With a source that is not preserved, the entities it can give up
// are moved rather than copied, with the same result in the target.
void CopyEntitiesInto(AcDbDatabase* target, const AcDbObjectIdArray& entities, AcDbObjectId block,
                      CopiedIds& copied, AcDbDatabase* notPreserved = nullptr);

}  // namespace platform::cad
