#include "platform/cad/ads_entity.h"

#include <cstring>

#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/xdata_rules.h"
#include "platform/text/gbk.h"

using platform::cad::DxfTag;
using platform::cad::DxfTagList;
using platform::cad::ObjectStub;
using platform::cad::PeekObject;

// Entity names hold the database's serial and the object's slot number plus one, so that a name
// that outlived its drawing, or was made up, is refused rather than followed.
Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name)
{
    id.setNull();
    if (name == nullptr || name[1] <= 0)
        return Acad::eInvalidAdsName;
    AcDbDatabase* db = AcDbDatabase::fromSerial(name[0]);
    if (db == nullptr)
        return Acad::eInvalidAdsName;
    ObjectStub* stub = db->objects().At(static_cast<std::uint64_t>(name[1] - 1));
    if (stub == nullptr || stub->object == nullptr)
        return Acad::eInvalidAdsName;
    id = AcDbObjectId(stub);
    return Acad::eOk;
}

Acad::ErrorStatus acdbGetAdsName(ads_name name, AcDbObjectId id)
{
    if (name == nullptr)
        return Acad::eInvalidInput;
    ads_name_clear(name);
    if (id.isNull() || id.database() == nullptr)
        return Acad::eNullObjectId;
    name[0] = id.database()->serial();
    name[1] = static_cast<std::int64_t>(id.stub()->index) + 1;
    return Acad::eOk;
}

namespace {
AcDbObject* LiveObject(const ads_name name, AcDbObjectId& id)
{
    if (acdbGetObjectId(id, name) != Acad::eOk || id.isErased())
        return nullptr;
    return PeekObject(id);
}

bool MatchesApp(const resbuf* apps, const std::string& app)
{
    for (const resbuf* rb = apps; rb != nullptr; rb = rb->rbnext) {
        if ((rb->restype != RTSTR && rb->restype != 1001) || rb->resval.rstring == nullptr)
            continue;
        if (std::strcmp(rb->resval.rstring, "*") == 0 || platform::text::GbkEqualNoCase(rb->resval.rstring, app))
            return true;
    }
    return false;
}

// The list an entity's fields are written to on their way to a chain. Reads come one after another
// by the million, so the list of the last read, emptied, takes the next one: room for a usual
// entity's fields is a block the size the heap hands out from its general lists, dearer than
// writing the fields. A list grown for a very long entity is not kept.
constexpr std::size_t kUsualTags = 40;
constexpr std::size_t kMostTagsKept = 1024;

DxfTagList& SpareTags()
{
    thread_local DxfTagList spare __attribute__((tls_model("initial-exec")));
    return spare;
}

DxfTagList TakeSpareTags()
{
    DxfTagList tags = std::move(SpareTags());
    tags.clear();
    if (tags.capacity() < kUsualTags)
        tags.reserve(kUsualTags);
    return tags;
}

void KeepSpareTags(DxfTagList&& tags)
{
    if (tags.capacity() > kMostTagsKept)
        return;
    tags.clear();
    SpareTags() = std::move(tags);
}
}  // namespace

resbuf* acdbEntGet(const ads_name entity) { return acdbEntGetX(entity, nullptr); }

resbuf* acdbEntGetX(const ads_name entity, const resbuf* apps)
{
    AcDbObjectId id;
    AcDbObject* object = LiveObject(entity, id);
    if (object == nullptr)
        return nullptr;
    AcDbDxfFiler filer(TakeSpareTags());
    filer.writeObjectId(-1, id);
    filer.writeString(0, object->dxfTypeName());
    object->dxfOutFields(&filer);
    resbuf* list = platform::cad::TagsToResbuf(filer.tags());
    KeepSpareTags(std::move(filer.tags()));
    if (list == nullptr || apps == nullptr)
        return list;
    // The applications asked for follow a -3 marker, their items straight from the packed data.
    resbuf** link = &list;
    while (*link != nullptr)
        link = &(*link)->rbnext;
    bool any = false;
    for (const auto& app : object->xdataApps()) {
        if (!MatchesApp(apps, app.app))
            continue;
        if (!any) {
            if ((*link = acutNewRb(-3)) == nullptr) {
                acutRelRb(list);
                return nullptr;
            }
            link = &(*link)->rbnext;
            any = true;
        }
        if (!platform::cad::AppendXDataResbufs(app, link)) {
            acutRelRb(list);
            return nullptr;
        }
    }
    return list;
}

int acdbEntMod(const resbuf* list)
{
    DxfTagList tags;
    if (!platform::cad::ResbufToTags(list, tags))
        return RTERROR;
    AcDbObjectId id;
    DxfTagList fields, xdata;
    bool inXData = false;
    fields.reserve(tags.size());
    for (auto& tag : tags) {
        if (tag.code == -1 && id.isNull()) {
            id = tag.id;
            continue;
        }
        if (tag.code == -3) {
            inXData = true;
            continue;
        }
        (inXData ? xdata : fields).push_back(std::move(tag));
    }
    if (id.isNull() || id.isErased())
        return RTERROR;
    AcDbObject* peeked = PeekObject(id);
    if (peeked == nullptr)
        return RTERROR;
    for (const auto& tag : fields)
        if (tag.code == 0 && !platform::text::GbkEqualNoCase(tag.text, peeked->dxfTypeName()))
            return RTERROR;
    std::vector<platform::cad::XDataApp> apps;
    if (inXData && platform::cad::ParseXData(id.database(), xdata, apps) != Acad::eOk)
        return RTERROR;
    if (!platform::cad::MergedXDataFits(peeked->xdataApps(), apps))
        return RTERROR;
    AcDbObject* object = nullptr;
    if (acdbOpenAcDbObject(object, id, AcDb::kForWrite) != Acad::eOk)
        return RTERROR;
    AcDbDxfFiler filer(std::move(fields));
    Acad::ErrorStatus es = object->dxfInFields(&filer);
    if (es == Acad::eOk && !apps.empty())
        es = object->setXDataApps(std::move(apps));
    object->close();
    return es == Acad::eOk ? RTNORM : RTERROR;
}

namespace {
bool IsMainEntity(const ObjectStub* stub)
{
    if (stub == nullptr || stub->object == nullptr || AcDbEntity::cast(stub->object.get()) == nullptr)
        return false;
    auto* owner = AcDbBlockTableRecord::cast(PeekObject(stub->object->ownerId()));
    return owner != nullptr && owner->isLayout();
}

bool NextMain(AcDbDatabase* db, std::uint64_t from, ads_name result)
{
    for (std::uint64_t i = from; i < db->objects().Size(); ++i) {
        ObjectStub* stub = db->objects().At(i);
        if (!stub->erased && IsMainEntity(stub))
            return acdbGetAdsName(result, AcDbObjectId(stub)) == Acad::eOk;
    }
    return false;
}

// The first live sub-entity of an owner after position 'after' (-1: from the start).
bool NextSub(const AcDbObject* owner, AcDbObjectId after, ads_name result)
{
    AcDbObjectIdArray subs;
    owner->subObjectIds(subs);
    int start = after.isNull() ? 0 : subs.find(after) + 1;
    if (!after.isNull() && start == 0)
        return false;
    for (int i = start; i < subs.length(); ++i)
        if (!subs[i].isErased())
            return acdbGetAdsName(result, subs[i]) == Acad::eOk;
    return false;
}
}  // namespace

int acdbEntNext(const ads_name entity, ads_name result)
{
    if (result == nullptr)
        return RTERROR;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (entity == nullptr || ads_name_nil(entity)) {
        return NextMain(db, 0, result) ? RTNORM : RTERROR;
    }
    AcDbObjectId id;
    if (acdbGetObjectId(id, entity) != Acad::eOk)
        return RTERROR;
    AcDbObject* object = PeekObject(id);
    db = id.database();
    if (IsMainEntity(id.stub())) {
        if (NextSub(object, AcDbObjectId(), result))
            return RTNORM;
        return NextMain(db, id.stub()->index + 1, result) ? RTNORM : RTERROR;
    }
    // A vertex, attribute or end marker: its next sibling, or the entity after its owner.
    AcDbObject* owner = PeekObject(object->ownerId());
    if (owner == nullptr || AcDbEntity::cast(object) == nullptr)
        return RTERROR;
    if (NextSub(owner, id, result))
        return RTNORM;
    return NextMain(db, object->ownerId().stub()->index + 1, result) ? RTNORM : RTERROR;
}

int acdbEntLast(ads_name result)
{
    if (result == nullptr)
        return RTERROR;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    for (std::uint64_t i = db->objects().Size(); i-- > 0;) {
        ObjectStub* stub = db->objects().At(i);
        if (!stub->erased && IsMainEntity(stub))
            return acdbGetAdsName(result, AcDbObjectId(stub)) == Acad::eOk ? RTNORM : RTERROR;
    }
    return RTERROR;
}

int acdbEntDel(const ads_name entity)
{
    AcDbObjectId id;
    if (acdbGetObjectId(id, entity) != Acad::eOk || !IsMainEntity(id.stub()))
        return RTERROR;
    AcDbObject* object = nullptr;
    if (acdbOpenAcDbObject(object, id, AcDb::kForWrite, true) != Acad::eOk)
        return RTERROR;
    Acad::ErrorStatus es = object->erase(!object->isErased());
    object->close();
    return es == Acad::eOk ? RTNORM : RTERROR;
}

int acdbEntUpd(const ads_name entity)
{
    AcDbObjectId id;
    return acdbGetObjectId(id, entity) == Acad::eOk ? RTNORM : RTERROR;
}

int acdbHandEnt(const char* handle, ads_name result)
{
    if (handle == nullptr || result == nullptr)
        return RTERROR;
    AcDbHandle h(handle);
    if (h.isNull())
        return RTERROR;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    ObjectStub* stub = db->objects().FindHandle(h.value());
    if (stub == nullptr || stub->object == nullptr)
        return RTERROR;
    return acdbGetAdsName(result, AcDbObjectId(stub)) == Acad::eOk ? RTNORM : RTERROR;
}

int acdbRegApp(const char* application)
{
    if (application == nullptr)
        return RTERROR;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbRegAppTable* table = nullptr;
    if (db->getRegAppTable(table, AcDb::kForWrite) != Acad::eOk)
        return RTERROR;
    int result = RTERROR;
    if (*application != '\0' && !table->has(application)) {
        auto* record = new AcDbRegAppTableRecord;
        if (record->setName(application) == Acad::eOk && table->add(record) == Acad::eOk) {
            record->close();
            result = RTNORM;
        } else {
            delete record;
        }
    }
    table->close();
    return result;
}
