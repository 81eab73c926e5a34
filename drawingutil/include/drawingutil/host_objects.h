// Holders of the host's open objects and result-buffer chains, so that every routine closes and
// frees what it opened on every path.
#pragma once

#include <memory>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_object.h"
#include "platform/cad/resbuf.h"

namespace drawingutil {

// A result-buffer chain freed with acutRelRb when the holder goes.
struct ChainRelease {
    void operator()(resbuf* chain) const { acutRelRb(chain); }
};
using Chain = std::unique_ptr<resbuf, ChainRelease>;

// The object id of an entity name; false for a name the host does not know.
inline bool IdOfName(const ads_name entity, AcDbObjectId& id)
{
    if (entity == nullptr)
        return false;
    return acdbGetObjectId(id, entity) == Acad::eOk && !id.isNull();
}

// An object opened through its id and closed when this goes out of scope.
template <typename T>
class Opened {
public:
    Opened() = default;
    Opened(AcDbObjectId id, AcDb::OpenMode mode) { openObject(id, mode); }
    // The entity an entity name stands for; nothing is open for a name the host does not know.
    Opened(const ads_name entity, AcDb::OpenMode mode)
    {
        AcDbObjectId id;
        if (IdOfName(entity, id))
            openObject(id, mode);
    }
    ~Opened() { close(); }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;

    Acad::ErrorStatus openObject(AcDbObjectId id, AcDb::OpenMode mode)
    {
        close();
        status_ = acdbOpenObject(object_, id, mode);
        return status_;
    }
    void close()
    {
        if (object_ != nullptr)
            object_->close();
        object_ = nullptr;
    }
    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    Acad::ErrorStatus status() const { return status_; }

private:
    T* object_ = nullptr;
    Acad::ErrorStatus status_ = Acad::eNullObjectId;
};

// The text of a possibly null argument.
inline const char* TextOrEmpty(const char* text) { return text != nullptr ? text : ""; }

}  // namespace drawingutil
