// The model space and block definitions of the working drawing.
#pragma once

#include "platform/cad/db_object_id.h"

class AcDbEntity;

// Appends a new entity to "*Model_Space" of the working drawing. True with the new id when the
// append succeeded; the entity then stays open for write (the caller closes it). On failure the
// caller still owns the entity.
bool AppendToModelSpace(AcDbEntity* entity, AcDbObjectId& id);

// Makes the block definition available in the working drawing: true at once when the drawing has
// it; otherwise reads "<name>.dwg" from the host's search path and inserts it as a block of that
// name. False when the file is missing or unreadable, the insert fails, or the block is still
// missing afterwards.
bool InsertBlockFromFile(const char* blockName);
