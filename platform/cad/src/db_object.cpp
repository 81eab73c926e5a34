#include "platform/cad/db_object.h"

#include <cstdlib>
#include <cstring>

#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/resbuf.h"
#include "platform/cad/xdata_rules.h"
#include "platform/text/gbk.h"

using platform::cad::DxfTag;
using platform::cad::ObjectStub;
using platform::cad::XDataApp;

namespace platform::cad {
AcDbObject* PeekObject(AcDbObjectId id)
{
    return id.stub() != nullptr ? id.stub()->object.get() : nullptr;
}
}  // namespace platform::cad

DERO_RX_DEFINE_MEMBERS(AcDbObject, "", AcRxObject)

AcDbObject::AcDbObject(const AcDbObject& other)
    : AcRxObject(other), xdata_(other.xdata_)
{
    // A copy is a new, non-resident object: no id, owner, open state, reactors or dictionary.
}

AcDbObject::~AcDbObject() = default;

AcDbObject* AcDbObject::peek(AcDbObjectId id) { return platform::cad::PeekObject(id); }

Acad::ErrorStatus AcDbObject::setOwnerId(AcDbObjectId owner)
{
    ownerId_ = owner;
    return Acad::eOk;
}

AcDbDatabase* AcDbObject::database() const { return stub_ != nullptr ? stub_->database : nullptr; }

AcDbHandle AcDbObject::objectHandle() const { return stub_ != nullptr ? AcDbHandle(stub_->handle) : AcDbHandle(); }

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode, bool openErased)
{
    object = nullptr;
    ObjectStub* stub = id.stub();
    if (stub == nullptr)
        return Acad::eNullObjectId;
    AcDbObject* obj = stub->object.get();
    if (obj == nullptr)
        return Acad::eNullObjectPointer;
    if (stub->erased && !openErased)
        return Acad::eWasErased;
    if (obj->writing_)
        return Acad::eWasOpenForWrite;
    if (mode == AcDb::kForWrite) {
        if (obj->readers_ > 0)
            return Acad::eWasOpenForRead;
        // Entities on a locked layer can be read but not changed.
        if (auto* ent = AcDbEntity::cast(obj)) {
            auto* layer = AcDbLayerTableRecord::cast(platform::cad::PeekObject(ent->layerId()));
            if (layer != nullptr && layer->isLocked())
                return Acad::eOnLockedLayer;
        }
        obj->writing_ = true;
        obj->modifiedThisOpen_ = false;
        obj->changedBeyondXData_ = false;
        stub->database->objects().NoteOpened();
    } else {
        if (obj->readers_ >= 256)
            return Acad::eAtMaxReaders;
        if (obj->readers_++ == 0)
            stub->database->objects().NoteOpened();
    }
    object = obj;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::close()
{
    if (stub_ == nullptr) {
        // Closing an object that never entered a database ends its life, as on the host.
        delete this;
        return Acad::eOk;
    }
    if (writing_) {
        writing_ = false;
        stub_->database->objects().NoteClosed();
        if (modifiedThisOpen_) {
            modifiedThisOpen_ = false;
            for (auto* observer : stub_->database->observers())
                observer->ObjectModified(*this);
        }
        return Acad::eOk;
    }
    if (readers_ > 0) {
        if (--readers_ == 0)
            stub_->database->objects().NoteClosed();
        return Acad::eOk;
    }
    return Acad::eNotOpenForRead;
}

Acad::ErrorStatus AcDbObject::upgradeOpen()
{
    if (stub_ == nullptr)
        return Acad::eOk;
    if (writing_)
        return Acad::eWasOpenForWrite;
    if (readers_ == 0)
        return Acad::eNotOpenForRead;
    if (readers_ > 1)
        return Acad::eHadMultipleReaders;
    readers_ = 0;
    writing_ = true;
    modifiedThisOpen_ = false;
    changedBeyondXData_ = false;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::downgradeOpen()
{
    if (stub_ == nullptr)
        return Acad::eOk;
    if (!writing_)
        return Acad::eNotOpenForWrite;
    close();
    readers_ = 1;
    stub_->database->objects().NoteOpened();
    return Acad::eOk;
}

bool AcDbObject::isReadEnabled() const { return stub_ == nullptr || writing_ || readers_ > 0; }

bool AcDbObject::isWriteEnabled() const { return stub_ == nullptr || writing_; }

bool AcDbObject::isErased() const { return stub_ != nullptr && stub_->erased; }

bool AcDbObject::beginModify()
{
    if (!beginModifyXData())
        return false;
    changedBeyondXData_ = true;
    return true;
}

bool AcDbObject::beginModifyXData()
{
    if (stub_ == nullptr)
        return true;
    if (!writing_)
        return false;
    if (!modifiedThisOpen_) {
        modifiedThisOpen_ = true;
        for (auto* observer : stub_->database->observers())
            observer->ObjectWillBeModified(*this);
    }
    return true;
}

Acad::ErrorStatus AcDbObject::erase(bool erasing)
{
    if (stub_ == nullptr)
        return Acad::eNotInDatabase;
    if (!writing_)
        return Acad::eNotOpenForWrite;
    if (stub_->erased == erasing)
        return erasing ? Acad::eWasErased : Acad::eWasNotErased;
    beginModify();
    stub_->erased = erasing;
    for (auto* observer : stub_->database->observers())
        observer->ObjectErased(*this, erasing);
    return Acad::eOk;
}

resbuf* AcDbObject::xData(const char* app) const
{
    // Straight from the packed items: codes are read for every feature.
    const std::size_t appLength = app != nullptr ? std::strlen(app) : 0;
    resbuf* head = nullptr;
    resbuf** link = &head;
    for (const XDataApp& entry : xdata_) {
        if (app != nullptr && !(entry.app.size() == appLength && std::memcmp(entry.app.data(), app, appLength) == 0) &&
            !platform::text::GbkEqualNoCase(entry.app, app))
            continue;
        if (!platform::cad::AppendXDataResbufs(entry, link)) {
            acutRelRb(head);
            return nullptr;
        }
    }
    return head;
}

Acad::ErrorStatus AcDbObject::setXData(const resbuf* chain)
{
    AcDbDatabase* db = database() != nullptr ? database() : acdbHostApplicationServices()->workingDatabase();
    // Most calls replace the items of an application the object already has, so the list the
    // chain is parsed into is not kept by the object: its room serves the next call (taken, not
    // shared, so that a call made while this one runs has a list of its own).
    thread_local std::vector<XDataApp> spare __attribute__((tls_model("initial-exec")));
    std::vector<XDataApp> apps = std::move(spare);
    apps.clear();
    Acad::ErrorStatus es = platform::cad::ParseXData(db, chain, apps);
    if (es == Acad::eOk)
        es = setXDataApps(std::move(apps));
    apps.clear();
    spare = std::move(apps);
    return es;
}

Acad::ErrorStatus AcDbObject::setXDataApps(const std::vector<XDataApp>& apps)
{
    return setXDataApps(std::vector<XDataApp>(apps));
}

Acad::ErrorStatus AcDbObject::setXDataApps(std::vector<XDataApp>&& apps)
{
    if (!platform::cad::MergedXDataFits(xdata_, apps))
        return Acad::eXdataSizeExceeded;
    if (!beginModifyXData())
        return Acad::eNotOpenForWrite;
    platform::cad::ApplyXData(xdata_, std::move(apps));
    return Acad::eOk;
}

// Reactor lists change as bookkeeping of other objects (a group gaining a member), also while
// this object is closed; observers still hear of it, so that a journal can put it back.
template <typename F>
void AcDbObject::changeBookkeeping(F&& change)
{
    if (stub_ == nullptr || writing_) {
        if (writing_)
            beginModify();
        change();
        return;
    }
    for (auto* observer : stub_->database->observers())
        observer->ObjectWillBeModified(*this);
    change();
    for (auto* observer : stub_->database->observers())
        observer->ObjectModified(*this);
}

const AcDbVoidPtrArray* AcDbObject::reactors() const
{
    // Our host has persistent reactors only; each is handed out as its object's stub.
    thread_local AcDbVoidPtrArray handedOut;
    handedOut.setLogicalLength(0);
    for (int i = 0; i < reactors_.length(); ++i)
        handedOut.append(reactors_[i].stub());
    return &handedOut;
}

bool acdbIsPersistentReactor(void* reactor) { return reactor != nullptr; }

AcDbObjectId acdbPersistentReactorObjectId(void* reactor)
{
    return AcDbObjectId(static_cast<platform::cad::ObjectStub*>(reactor));
}

void AcDbObject::addPersistentReactor(AcDbObjectId reactor)
{
    if (!reactors_.contains(reactor))
        changeBookkeeping([&] { reactors_.append(reactor); });
}

Acad::ErrorStatus AcDbObject::removePersistentReactor(AcDbObjectId reactor)
{
    if (!reactors_.contains(reactor))
        return Acad::eKeyNotFound;
    changeBookkeeping([&] { reactors_.remove(reactor); });
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::createExtensionDictionary()
{
    if (stub_ == nullptr)
        return Acad::eNotInDatabase;
    if (!extDict_.isNull())
        return Acad::eAlreadyInDb;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    auto* dict = new AcDbDictionary;
    dict->setOwnerId(objectId());
    AcDbObjectId id;
    Acad::ErrorStatus es = stub_->database->addAcDbObject(id, dict);
    if (es != Acad::eOk) {
        delete dict;
        return es;
    }
    extDict_ = id;
    dict->close();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::setExtensionDictionary(AcDbObjectId dictionary)
{
    if (!dictionary.isNull() && AcDbDictionary::cast(platform::cad::PeekObject(dictionary)) == nullptr)
        return Acad::eWrongObjectType;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    extDict_ = dictionary;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::handOverTo(AcDbObject* newObject, bool keepXData, bool keepExtDict)
{
    if (newObject == nullptr)
        return Acad::eNullObjectPointer;
    if (newObject == this)
        return Acad::eSelfReference;
    if (stub_ == nullptr)
        return Acad::eNotInDatabase;
    if (!writing_)
        return Acad::eNotOpenForWrite;
    if (newObject->stub_ != nullptr)
        return Acad::eAlreadyInDb;
    beginModify();
    ObjectStub* stub = stub_;
    stub->object.release();  // the caller deletes this object
    stub->object.reset(newObject);
    newObject->stub_ = stub;
    newObject->ownerId_ = ownerId_;
    newObject->reactors_ = reactors_;
    if (keepXData)
        newObject->xdata_ = xdata_;
    if (keepExtDict)
        newObject->extDict_ = extDict_;
    newObject->writing_ = true;
    newObject->modifiedThisOpen_ = true;
    newObject->changedBeyondXData_ = true;
    stub_ = nullptr;
    writing_ = false;
    readers_ = 0;
    newObject->objectAppended();
    for (auto* observer : stub->database->observers())
        observer->ObjectAppended(*newObject);
    return Acad::eObjectToBeDeleted;
}

void AcDbObject::dxfOutFields(AcDbDxfFiler* filer) const
{
    filer->writeString(5, objectHandle().text());
    if (!reactors_.isEmpty()) {
        filer->writeString(102, "{ACAD_REACTORS");
        for (const auto& id : reactors_)
            filer->writeObjectId(330, id);
        filer->writeString(102, "}");
    }
    if (!extDict_.isNull()) {
        filer->writeString(102, "{ACAD_XDICTIONARY");
        filer->writeObjectId(360, extDict_);
        filer->writeString(102, "}");
    }
    filer->writeObjectId(330, ownerId_);
}

Acad::ErrorStatus AcDbObject::dxfInFields(const AcDbDxfFiler* /*filer*/)
{
    // Identity (handle, owner, reactors) is not changed through a definition list.
    return beginModify() ? Acad::eOk : Acad::eNotOpenForWrite;
}

void AcDbObject::subObjectIds(AcDbObjectIdArray& /*ids*/) const {}
