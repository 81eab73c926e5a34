// Entities of one drawing copied into a block of another, with the records and blocks they need.
#pragma once

#include <map>

#include "platform/cad/db_database.h"

namespace platform::cad {

// Appends a copy of each source entity to the target's block, in order; copied maps each source
// entity to its copy. With a source that is not preserved, the entities it can give up are moved
// rather than copied, with the same result in the target.
void CopyEntitiesInto(AcDbDatabase* target, const AcDbObjectIdArray& entities, AcDbObjectId block,
                      std::map<AcDbObjectId, AcDbObjectId>& copied, AcDbDatabase* notPreserved = nullptr);

}  // namespace platform::cad
