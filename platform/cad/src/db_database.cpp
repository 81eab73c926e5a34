#include "platform/cad/db_database.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_map>

#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/system_variables.h"

namespace {
// Entity names carry a database serial so that a stale or forged name is refused, never followed.
std::mutex gRegistryMutex;
std::unordered_map<std::int64_t, AcDbDatabase*>& Registry()
{
    static std::unordered_map<std::int64_t, AcDbDatabase*> registry;
    return registry;
}
std::atomic<std::int64_t> gNextSerial{1};
// Counts drawings dropped from the registry. Every entity name is looked up by serial, millions of
// times in a long command: a thread remembers its last answer for as long as no drawing has gone.
std::atomic<std::uint64_t> gRegistryDrops{0};

AcDbObjectId AddRoot(AcDbDatabase* db, AcDbObject* object, AcDbObjectId owner)
{
    object->setOwnerId(owner);
    AcDbObjectId id;
    db->addAcDbObject(id, object);
    object->close();
    return id;
}

template <typename Table, typename Record>
AcDbObjectId AddRecord(AcDbObjectId tableId, Record* record, const char* name)
{
    record->setName(name);
    Table* table = nullptr;
    AcDbObjectId id;
    if (acdbOpenObject(table, tableId, AcDb::kForWrite) != Acad::eOk) {
        delete record;
        return id;
    }
    if (table->add(id, record) == Acad::eOk)
        record->close();
    else
        delete record;
    table->close();
    return id;
}

AcDbObjectId FindRecord(AcDbObjectId tableId, const char* name)
{
    auto* table = AcDbSymbolTable::cast(platform::cad::PeekObject(tableId));
    AcDbObjectId id;
    if (table != nullptr)
        table->getAt(name, id);
    return id;
}
}  // namespace

AcDbDatabase::AcDbDatabase(bool buildDefaultDrawing, bool /*noDocument*/) : objects_(this), serial_(gNextSerial++)
{
    {
        std::lock_guard<std::mutex> lock(gRegistryMutex);
        Registry()[serial_] = this;
    }
    buildTables();
    if (buildDefaultDrawing)
        buildDefaults();
}

AcDbDatabase::~AcDbDatabase()
{
    if (acdbHostApplicationServices()->working_ == this)
        acdbHostApplicationServices()->working_ = nullptr;
    std::lock_guard<std::mutex> lock(gRegistryMutex);
    Registry().erase(serial_);
    gRegistryDrops.fetch_add(1, std::memory_order_release);
}

AcDbDatabase* AcDbDatabase::fromSerial(std::int64_t serial)
{
    thread_local std::int64_t lastSerial = 0;  // serials start at 1
    thread_local AcDbDatabase* lastDatabase = nullptr;
    thread_local std::uint64_t lastDrops = 0;
    if (serial == lastSerial && serial != 0 && lastDrops == gRegistryDrops.load(std::memory_order_acquire))
        return lastDatabase;
    std::lock_guard<std::mutex> lock(gRegistryMutex);
    auto it = Registry().find(serial);
    if (it == Registry().end())
        return nullptr;
    lastSerial = serial;
    lastDatabase = it->second;
    lastDrops = gRegistryDrops.load(std::memory_order_relaxed);
    return it->second;
}

void AcDbDatabase::buildTables()
{
    nod_ = AddRoot(this, new AcDbDictionary, AcDbObjectId());
    blockTable_ = AddRoot(this, new AcDbBlockTable, AcDbObjectId());
    layerTable_ = AddRoot(this, new AcDbLayerTable, AcDbObjectId());
    linetypeTable_ = AddRoot(this, new AcDbLinetypeTable, AcDbObjectId());
    textStyleTable_ = AddRoot(this, new AcDbTextStyleTable, AcDbObjectId());
    regAppTable_ = AddRoot(this, new AcDbRegAppTable, AcDbObjectId());
}

void AcDbDatabase::buildDefaults()
{
    AddRecord<AcDbLinetypeTable>(linetypeTable_, new AcDbLinetypeTableRecord, "ByBlock");
    AddRecord<AcDbLinetypeTable>(linetypeTable_, new AcDbLinetypeTableRecord, "ByLayer");
    auto* continuous = new AcDbLinetypeTableRecord;
    continuous->setComments("Solid line");
    celtype_ = AddRecord<AcDbLinetypeTable>(linetypeTable_, continuous, "Continuous");
    celtype_ = byLayerLinetype();
    auto* layer0 = new AcDbLayerTableRecord;
    layer0->setLinetypeObjectId(continuousLinetype());
    clayer_ = AddRecord<AcDbLayerTable>(layerTable_, layer0, "0");
    auto* standard = new AcDbTextStyleTableRecord;
    standard->setFileName("txt");
    textstyle_ = AddRecord<AcDbTextStyleTable>(textStyleTable_, standard, "Standard");
    AddRecord<AcDbRegAppTable>(regAppTable_, new AcDbRegAppTableRecord, "ACAD");
    AddRecord<AcDbBlockTable>(blockTable_, new AcDbBlockTableRecord, ACDB_MODEL_SPACE);
    AddRecord<AcDbBlockTable>(blockTable_, new AcDbBlockTableRecord, ACDB_PAPER_SPACE);

    AcDbDictionary* nod = nullptr;
    if (getNamedObjectsDictionary(nod, AcDb::kForWrite) == Acad::eOk) {
        AcDbObjectId id;
        auto* groups = new AcDbDictionary;
        if (nod->setAt("ACAD_GROUP", groups, id) == Acad::eOk)
            groups->close();
        else
            delete groups;
        nod->close();
    }
}

void AcDbDatabase::setRootIds(AcDbObjectId blockTable, AcDbObjectId layerTable, AcDbObjectId linetypeTable,
                              AcDbObjectId textStyleTable, AcDbObjectId regAppTable, AcDbObjectId nod)
{
    blockTable_ = blockTable;
    layerTable_ = layerTable;
    linetypeTable_ = linetypeTable;
    textStyleTable_ = textStyleTable;
    regAppTable_ = regAppTable;
    nod_ = nod;
}

void AcDbDatabase::setKeptTableIds(AcDbObjectId viewportTable, AcDbObjectId dimStyleTable, AcDbObjectId viewTable,
                                   AcDbObjectId ucsTable)
{
    viewportTable_ = viewportTable;
    dimStyleTable_ = dimStyleTable;
    viewTable_ = viewTable;
    ucsTable_ = ucsTable;
}

Acad::ErrorStatus AcDbDatabase::addAcDbObject(AcDbObjectId& id, AcDbObject* object)
{
    return addAcDbObject(id, object, AcDbHandle());
}

Acad::ErrorStatus AcDbDatabase::addAcDbObject(AcDbObjectId& id, AcDbObject* object, AcDbHandle handle)
{
    id.setNull();
    if (object == nullptr)
        return Acad::eNullObjectPointer;
    if (object->stub_ != nullptr)
        return Acad::eAlreadyInDb;
    platform::cad::ObjectStub* stub = objects_.Add(object, handle.value());
    if (stub == nullptr)
        return Acad::eHandleInUse;
    object->stub_ = stub;
    object->writing_ = true;
    object->modifiedThisOpen_ = true;
    object->changedBeyondXData_ = true;
    id = AcDbObjectId(stub);
    object->objectAppended();
    for (auto* observer : observers_)
        observer->ObjectAppended(*object);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::addAcDbObject(AcDbObject* object)
{
    AcDbObjectId id;
    return addAcDbObject(id, object);
}

Acad::ErrorStatus AcDbDatabase::getAcDbObjectId(AcDbObjectId& id, bool /*createIfNotFound*/, const AcDbHandle& handle)
{
    platform::cad::ObjectStub* stub = objects_.FindHandle(handle.value());
    id = AcDbObjectId(stub);
    return stub != nullptr ? Acad::eOk : Acad::eUnknownHandle;
}

Acad::ErrorStatus AcDbDatabase::getBlockTable(AcDbBlockTable*& table, AcDb::OpenMode mode)
{
    return acdbOpenObject(table, blockTable_, mode);
}
Acad::ErrorStatus AcDbDatabase::getLayerTable(AcDbLayerTable*& table, AcDb::OpenMode mode)
{
    return acdbOpenObject(table, layerTable_, mode);
}
Acad::ErrorStatus AcDbDatabase::getLinetypeTable(AcDbLinetypeTable*& table, AcDb::OpenMode mode)
{
    return acdbOpenObject(table, linetypeTable_, mode);
}
Acad::ErrorStatus AcDbDatabase::getTextStyleTable(AcDbTextStyleTable*& table, AcDb::OpenMode mode)
{
    return acdbOpenObject(table, textStyleTable_, mode);
}
Acad::ErrorStatus AcDbDatabase::getRegAppTable(AcDbRegAppTable*& table, AcDb::OpenMode mode)
{
    return acdbOpenObject(table, regAppTable_, mode);
}
Acad::ErrorStatus AcDbDatabase::getNamedObjectsDictionary(AcDbDictionary*& dict, AcDb::OpenMode mode)
{
    return acdbOpenObject(dict, nod_, mode);
}
Acad::ErrorStatus AcDbDatabase::getGroupDictionary(AcDbDictionary*& dict, AcDb::OpenMode mode)
{
    dict = nullptr;
    AcDbObjectId id = groupDictionaryId();
    return id.isNull() ? Acad::eKeyNotFound : acdbOpenObject(dict, id, mode);
}

AcDbObjectId AcDbDatabase::groupDictionaryId() const
{
    auto* nod = AcDbDictionary::cast(platform::cad::PeekObject(nod_));
    AcDbObjectId id;
    if (nod != nullptr)
        nod->getAt("ACAD_GROUP", id);
    return id;
}

AcDbObjectId AcDbDatabase::modelSpaceId() const { return FindRecord(blockTable_, ACDB_MODEL_SPACE); }
AcDbObjectId AcDbDatabase::currentSpaceId() const { return modelSpaceId(); }
AcDbObjectId AcDbDatabase::paperSpaceId() const { return FindRecord(blockTable_, ACDB_PAPER_SPACE); }
AcDbObjectId AcDbDatabase::byLayerLinetype() const { return FindRecord(linetypeTable_, "ByLayer"); }
AcDbObjectId AcDbDatabase::byBlockLinetype() const { return FindRecord(linetypeTable_, "ByBlock"); }
AcDbObjectId AcDbDatabase::continuousLinetype() const { return FindRecord(linetypeTable_, "Continuous"); }

Acad::ErrorStatus AcDbDatabase::setClayer(AcDbObjectId layer)
{
    if (!AcDbLayerTableRecord::cast(platform::cad::PeekObject(layer)) || layer.database() != this || layer.isErased())
        return Acad::eInvalidInput;
    clayer_ = layer;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::setTextstyle(AcDbObjectId style)
{
    if (!AcDbTextStyleTableRecord::cast(platform::cad::PeekObject(style)) || style.database() != this)
        return Acad::eInvalidInput;
    textstyle_ = style;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::setCeltype(AcDbObjectId linetype)
{
    if (!AcDbLinetypeTableRecord::cast(platform::cad::PeekObject(linetype)) || linetype.database() != this)
        return Acad::eInvalidInput;
    celtype_ = linetype;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::setUcs(const AcGePoint3d& origin, const AcGeVector3d& xDir, const AcGeVector3d& yDir)
{
    AcGeVector3d x = xDir.normal(), y = yDir.normal();
    if (x.isZeroLength() || y.isZeroLength() || std::abs(x.dotProduct(y)) > 1e-9)
        return Acad::eInvalidInput;
    ucsOrigin_ = origin;
    ucsX_ = x;
    ucsY_ = y;
    return Acad::eOk;
}

namespace {

double RealVariable(const AcDbDatabase* db, const char* name)
{
    platform::cad::VariableValue value;
    platform::cad::GetDrawingVariable(db, name, value);
    return value.real;
}

Acad::ErrorStatus SetRealVariable(AcDbDatabase* db, const char* name, double real)
{
    platform::cad::VariableValue value;
    value.type = RTREAL;
    value.real = real;
    return platform::cad::SetDrawingVariable(db, name, value) ? Acad::eOk : Acad::eInvalidInput;
}

}  // namespace

double AcDbDatabase::userr1() const { return RealVariable(this, "USERR1"); }
Acad::ErrorStatus AcDbDatabase::setUserr1(double value) { return SetRealVariable(this, "USERR1", value); }
double AcDbDatabase::ltscale() const { return RealVariable(this, "LTSCALE"); }
Acad::ErrorStatus AcDbDatabase::setLtscale(double scale) { return SetRealVariable(this, "LTSCALE", scale); }

void AcDbDatabase::addObserver(platform::cad::DatabaseObserver* observer)
{
    if (observer != nullptr && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void AcDbDatabase::removeObserver(platform::cad::DatabaseObserver* observer)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

AcDbObjectIdArray AcDbDatabase::openObjectIds() const
{
    AcDbObjectIdArray ids;
    for (std::uint64_t i = 0; i < objects_.Size(); ++i) {
        platform::cad::ObjectStub* stub = objects_.At(i);
        if (stub->object != nullptr && (stub->object->openReaders() > 0 || stub->object->writing_))
            ids.append(AcDbObjectId(stub));
    }
    return ids;
}

AcDbDatabase* AcDbHostApplicationServices::workingDatabase() const
{
    if (working_ == nullptr) {
        if (fallback_ == nullptr)
            fallback_ = std::make_unique<AcDbDatabase>();
        working_ = fallback_.get();
    }
    return working_;
}

void AcDbHostApplicationServices::setWorkingDatabase(AcDbDatabase* database) { working_ = database; }

AcDbHostApplicationServices* acdbHostApplicationServices()
{
    static AcDbHostApplicationServices services;
    return &services;
}
