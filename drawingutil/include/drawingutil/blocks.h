// The model space and block definitions of the working drawing.
#pragma once

#include "platform/cad/db_object_id.h"

class AcDbEntity;

// Appends a new entity to "*Model_Space" of the working drawing. True with the new id when the
// append succeeded; the entity then stays open for write (the caller closes it). On failure the
// caller still owns the entity.
bool AppendToModelSpace(AcDbEntity* entity, AcDbObjectId& id);
