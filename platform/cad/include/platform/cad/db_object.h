// AcDbObject: what every object of a drawing has — id, handle, owner, open state, erase state,
// XData per registered application, persistent reactors and an extension dictionary.
//
// A resident object is owned by its database and reached by opening its id; close() hands it back.
// Several readers or one writer may hold it. Every change goes through beginModify(), the one place
// where write access is checked and the database's observers (the undo journal) hear of it.
#pragma once

#include <string>
#include <vector>

#include "platform/cad/acad_status.h"
#include "platform/cad/db_dxf_filer.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/object_table.h"
#include "platform/cad/rx_object.h"
#include "platform/cad/xdata_item_list.h"

struct resbuf;

namespace platform::cad {
struct XDataApp {
    std::string app;  // as registered in the application table
    XDataItemList items;
};
class ObjectTable;
class UndoJournal;
}  // namespace platform::cad

class AcDbObject : public AcRxObject {
    DERO_RX_DECLARE_ABSTRACT_MEMBERS(AcDbObject)

public:
    AcDbObject() = default;
    AcDbObject(const AcDbObject& other);
    AcDbObject& operator=(const AcDbObject&) = delete;
    ~AcDbObject() override;

    AcDbObjectId objectId() const { return AcDbObjectId(stub_); }
    AcDbObjectId id() const { return objectId(); }
    AcDbObjectId ownerId() const { return ownerId_; }
    Acad::ErrorStatus setOwnerId(AcDbObjectId owner);
    AcDbDatabase* database() const;
    AcDbHandle objectHandle() const;
    void getAcDbHandle(AcDbHandle& handle) const { handle = objectHandle(); }
    bool isDatabaseResident() const { return stub_ != nullptr; }

    // Open state.
    Acad::ErrorStatus close();
    Acad::ErrorStatus upgradeOpen();
    Acad::ErrorStatus downgradeOpen();
    bool isReadEnabled() const;
    bool isWriteEnabled() const;
    int openReaders() const { return readers_; }

    bool isErased() const;
    // Erases (true) or restores (false); needs write access.
    Acad::ErrorStatus erase(bool erasing = true);

    // XData: one chain (1001 application, items) for the application, or for all when app is null;
    // null when there is none. The caller frees the chain with acutRelRb.
    resbuf* xData(const char* app = nullptr) const;
    // Replaces the XData of every application named in the chain; refused as a whole when an
    // application is not registered or a string item is longer than 255 bytes.
    Acad::ErrorStatus setXData(const resbuf* chain);
    const std::vector<platform::cad::XDataApp>& xdataApps() const { return xdata_; }
    // Whether the changes of the current or last opening for write touched only XData, which
    // leaves the object's geometry as it was (the host's spatial index need not measure it again).
    bool changedOnlyXData() const { return !changedBeyondXData_; }
    // Replaces the data of each application given (already checked against the rules).
    Acad::ErrorStatus setXDataApps(const std::vector<platform::cad::XDataApp>& apps);
    Acad::ErrorStatus setXDataApps(std::vector<platform::cad::XDataApp>&& apps);

    // Persistent reactors (the groups an entity belongs to, for instance).
    void addPersistentReactor(AcDbObjectId reactor);
    Acad::ErrorStatus removePersistentReactor(AcDbObjectId reactor);
#ifdef DERO_HOST_EXTRAS
    const AcDbObjectIdArray& persistentReactorIds() const { return reactors_; }
#endif
    // The object's reactors as the host hands them out: each persistent one stands for its
    // reactor object (acdbIsPersistentReactor, acdbPersistentReactorObjectId). The array holds
    // until this thread asks again.
    const AcDbVoidPtrArray* reactors() const;

    AcDbObjectId extensionDictionary() const { return extDict_; }
    Acad::ErrorStatus createExtensionDictionary();
    // Links a dictionary that is already resident (a drawing reader's use).
    Acad::ErrorStatus setExtensionDictionary(AcDbObjectId dictionary);

    // Hands this object's id, handle, owner, reactors and (optionally) XData and extension
    // dictionary to newObject, which takes its place in the database open for write. This object
    // leaves the database; the caller deletes it. Returns eObjectToBeDeleted on success.
    virtual Acad::ErrorStatus handOverTo(AcDbObject* newObject, bool keepXData = true, bool keepExtDict = true);

    // The DXF type name (group 0): the class's, or the one an unknown object was read with.
    virtual const char* dxfTypeName() const { return isA()->dxfName(); }

    // Definition fields, without -1, the DXF name (0) and XData.
    virtual void dxfOutFields(AcDbDxfFiler* filer) const;
    // Applies the fields present in the list; fields absent keep their values. Validates before it
    // changes anything.
    virtual Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer);

    // Sub-objects that live and die with this one (vertices, attributes, end markers).
    virtual void subObjectIds(AcDbObjectIdArray& ids) const;
    // Called when the object has just become resident, so that sub-objects follow it in.
    virtual void objectAppended() {}

    // A copy for the host's undo journal. Unlike clone(), it keeps the lists of owned objects (by
    // id) as they are, so that putting it back restores the object exactly.
    virtual AcDbObject* journalCopy() const { return static_cast<AcDbObject*>(clone()); }

protected:
    // True when the object may change now; tells the database's observers once per opening.
    bool beginModify();
    // beginModify for a change of XData only.
    bool beginModifyXData();
    // The object currently held by an id, without opening it (for reading sub-objects' data).
    static AcDbObject* peek(AcDbObjectId id);

private:
    template <typename F>
    void changeBookkeeping(F&& change);

private:
    friend class platform::cad::ObjectTable;
    friend class platform::cad::UndoJournal;
    friend class AcDbDatabase;
    friend Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*&, AcDbObjectId, AcDb::OpenMode, bool);

    platform::cad::ObjectStub* stub_ = nullptr;
    AcDbObjectId ownerId_;
    int readers_ = 0;
    bool writing_ = false;
    bool modifiedThisOpen_ = false;
    // Set by every change but an XData one; a copy or a new object counts as changed throughout.
    bool changedBeyondXData_ = true;
    std::vector<platform::cad::XDataApp> xdata_;
    AcDbObjectIdArray reactors_;
    AcDbObjectId extDict_;
};

// A reactor handed out by reactors(): whether it stands for a reactor object, and which.
bool acdbIsPersistentReactor(void* reactor);
AcDbObjectId acdbPersistentReactorObjectId(void* reactor);

// Opens the object of an id. Fails with eNullObjectId, eWasErased (unless openErased),
// eWasOpenForWrite, eWasOpenForRead (write wanted while readers hold it) or eAtMaxReaders.
Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErased = false);

// Opens the object as class T; eNotThatKindOfClass (and nothing left open) when it is not one.
template <typename T>
Acad::ErrorStatus acdbOpenObject(T*& object, AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false)
{
    object = nullptr;
    AcDbObject* opened = nullptr;
    Acad::ErrorStatus es = acdbOpenAcDbObject(opened, id, mode, openErased);
    if (es != Acad::eOk)
        return es;
    object = T::cast(opened);
    if (object == nullptr) {
        opened->close();
        return Acad::eNotThatKindOfClass;
    }
    return Acad::eOk;
}
