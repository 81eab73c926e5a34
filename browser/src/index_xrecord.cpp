#include "browser/index_xrecord.h"

#include <algorithm>

#include "drawingutil/host_objects.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/resbuf.h"

namespace {

using drawingutil::Chain;
using drawingutil::Opened;

constexpr std::size_t kChunkBytes = 255;
constexpr int kLengthGroup = 90;
constexpr int kChunkGroup = 310;

AcDbObjectId NamedObjectsId() {
    return acdbHostApplicationServices()->workingDatabase()->namedObjectsDictionaryId();
}

// Opens the named sub-dictionary; nothing open when it or its parent is missing.
Acad::ErrorStatus OpenSubDictionary(Opened<AcDbDictionary>& sub, const char* dictionaryName, AcDb::OpenMode mode) {
    AcDbObjectId id;
    {
        const Opened<AcDbDictionary> named(NamedObjectsId(), AcDb::kForRead);
        if (!named) return named.status();
        const Acad::ErrorStatus es = named->getAt(dictionaryName, id);
        if (es != Acad::eOk) return es;
    }
    return sub.openObject(id, mode);
}

// The data list: the length, then the chunks. Null when memory runs out.
Chain BuildImageList(const std::uint8_t* bytes, std::size_t length) {
    Chain head(acutBuildList(kLengthGroup, static_cast<long>(length), RTNONE));
    resbuf* tail = head.get();
    for (std::size_t offset = 0; head != nullptr && offset < length; offset += kChunkBytes) {
        ads_binary chunk{static_cast<short>(std::min(kChunkBytes, length - offset)),
                         const_cast<char*>(reinterpret_cast<const char*>(bytes + offset))};
        tail->rbnext = acutBuildList(kChunkGroup, &chunk, RTNONE);
        if (tail->rbnext == nullptr) return nullptr;
        tail = tail->rbnext;
    }
    return head;
}

}  // namespace

bool WriteIndexXrecord(const char* dictionaryName, const char* key, const std::uint8_t* bytes, std::size_t length) {
    if (length > 0x7FFFFFFF) return false;
    Opened<AcDbDictionary> sub;
    {
        Opened<AcDbDictionary> named(NamedObjectsId(), AcDb::kForWrite);
        if (!named) return false;
        AcDbObjectId id;
        if (named->getAt(dictionaryName, id) == Acad::eOk) {
            sub.openObject(id, AcDb::kForWrite);
        } else {
            auto* created = new AcDbDictionary;
            if (named->setAt(dictionaryName, created, id) != Acad::eOk) {
                delete created;
                return false;
            }
            created->close();
            sub.openObject(id, AcDb::kForWrite);
        }
    }
    if (!sub) return false;

    const Chain list = BuildImageList(bytes, length);
    if (list == nullptr) return false;
    auto* record = new AcDbXrecord;
    AcDbObjectId id;
    if (sub->setAt(key, record, id) != Acad::eOk) {
        delete record;
        return false;
    }
    const bool ok = record->setFromRbChain(*list) == Acad::eOk;
    record->close();
    return ok;
}

void EraseIndexXrecord(const char* dictionaryName, const char* key) {
    Opened<AcDbDictionary> sub;
    if (OpenSubDictionary(sub, dictionaryName, AcDb::kForRead) != Acad::eOk) return;
    AcDbObjectId id;
    if (sub->getAt(key, id) != Acad::eOk) return;
    const Opened<AcDbObject> object(id, AcDb::kForWrite);
    if (!object) return;
    if (auto* record = AcDbXrecord::cast(object.get())) record->clearData();
    object->erase();
}

std::optional<std::vector<std::uint8_t>> ReadIndexXrecord(const char* dictionaryName, const char* key,
                                                          bool* damaged) {
    if (damaged != nullptr) *damaged = false;
    AcDbObjectId id;
    {
        Opened<AcDbDictionary> sub;
        if (OpenSubDictionary(sub, dictionaryName, AcDb::kForRead) != Acad::eOk) return std::nullopt;
        if (sub->getAt(key, id) != Acad::eOk) return std::nullopt;
    }
    // From here on there is a record, and anything short of an image means it is damaged.
    if (damaged != nullptr) *damaged = true;
    Chain list;
    {
        const Opened<AcDbObject> object(id, AcDb::kForRead);
        if (!object) return std::nullopt;
        resbuf* chain = nullptr;
        if (auto* record = AcDbXrecord::cast(object.get())) record->rbChain(&chain);
        list.reset(chain);
    }
    if (list == nullptr || list->restype != kLengthGroup || list->resval.rlong < 0) return std::nullopt;
    // The image is built from the chunks and checked against the stated length, so a record whose
    // chunks say more or less than its length is refused rather than read past either end.
    std::vector<std::uint8_t> image;
    const auto length = static_cast<std::size_t>(list->resval.rlong);
    bool ok = true;
    for (resbuf* rb = list->rbnext; rb != nullptr && ok; rb = rb->rbnext) {
        if (rb->restype != kChunkGroup) continue;
        const auto size = static_cast<std::size_t>(std::max<short>(rb->resval.rbinary.clen, 0));
        ok = image.size() + size <= length;
        if (ok) image.insert(image.end(), rb->resval.rbinary.buf, rb->resval.rbinary.buf + size);
    }
    if (!ok || image.size() != length) return std::nullopt;
    if (damaged != nullptr) *damaged = false;
    return image;
}
