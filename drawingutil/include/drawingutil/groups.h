// The groups an entity belongs to.
#pragma once

#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

// The first group of the drawing's group dictionary, in its order, that holds the entity; false
// when none does or the entity cannot be opened. `group` is meaningful only with true.
bool FindEntityGroup(const ads_name entity, AcDbObjectId& group);
// The entity's group when it has one; else a new selectable anonymous group holding it. False
// when the group dictionary cannot be opened for write or the group cannot be made.
bool CreateEntityGroup(const ads_name entity, AcDbObjectId& group);
