// What a database tells those who watch it (the undo journal, the spatial index). Every change of
// an object is announced here before it happens, once per opening for write.
#pragma once

#include "platform/cad/db_object_id.h"

class AcDbObject;

namespace platform::cad {

class DatabaseObserver {
public:
    virtual ~DatabaseObserver() = default;
    // The object became resident (appended, or took an id over by hand-over).
    virtual void ObjectAppended(const AcDbObject& /*object*/) {}
    // The object is about to change; it still holds its old state (a journal copies it now).
    virtual void ObjectWillBeModified(const AcDbObject& /*object*/) {}
    // A modified object was closed: its new state is final.
    virtual void ObjectModified(const AcDbObject& /*object*/) {}
    virtual void ObjectErased(const AcDbObject& /*object*/, bool /*erased*/) {}
};

}  // namespace platform::cad
