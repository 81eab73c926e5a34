// The walk over the sub-entities of a complex entity (polyline vertices, block-reference
// attributes) that vertexIterator() and attributeIterator() hand out.
#pragma once

#include <vector>

#include "platform/cad/db_object_id.h"

class AcDbEntity;

// Skips erased sub-entities. For an owner not yet in a drawing it walks the owner's pending
// sub-entities, which entity() gives (objectId() is then null).
class AcDbObjectIterator {
public:
    AcDbObjectIterator(AcDbObjectIdArray ids, std::vector<AcDbEntity*> pending);
    void start(bool atEnd = false);
    bool done() const;
    void step(bool backwards = false, bool skipErased = true);
    AcDbObjectId objectId() const;
    AcDbEntity* entity();
    bool seek(AcDbObjectId id);

private:
    int Count() const;
    bool visible(int index) const;
    AcDbObjectIdArray ids_;
    std::vector<AcDbEntity*> pending_;
    int index_ = 0;
};
