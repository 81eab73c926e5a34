#include "browser/index_xrecord.h"

#include <algorithm>

#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/resbuf.h"

namespace {

constexpr std::size_t kChunkBytes = 255;
constexpr int kLengthGroup = 90;
constexpr int kChunkGroup = 310;

// Opens the named sub-dictionary for reading; null when it or its parent is missing.
AcDbDictionary* OpenSubDictionary(const char* dictionaryName) {
    AcDbDictionary* named = nullptr;
    if (acdbHostApplicationServices()->workingDatabase()->getNamedObjectsDictionary(named, AcDb::kForRead) != Acad::eOk)
        return nullptr;
    AcDbObject* object = nullptr;
    Acad::ErrorStatus es = named->getAt(dictionaryName, object, AcDb::kForRead);
    named->close();
    if (es != Acad::eOk) return nullptr;
    auto* sub = AcDbDictionary::cast(object);
    if (sub == nullptr) object->close();
    return sub;
}

// The data list: the length, then the chunks. Null when memory runs out.
resbuf* BuildImageList(const std::uint8_t* bytes, std::size_t length) {
    resbuf* head = acutBuildList(kLengthGroup, static_cast<long>(length), RTNONE);
    resbuf* tail = head;
    for (std::size_t offset = 0; head != nullptr && offset < length; offset += kChunkBytes) {
        ads_binary chunk{static_cast<short>(std::min(kChunkBytes, length - offset)),
                         const_cast<char*>(reinterpret_cast<const char*>(bytes + offset))};
        tail->rbnext = acutBuildList(kChunkGroup, &chunk, RTNONE);
        if (tail->rbnext == nullptr) {
            acutRelRb(head);
            return nullptr;
        }
        tail = tail->rbnext;
    }
    return head;
}

}  // namespace

bool WriteIndexXrecord(const char* dictionaryName, const char* key, const std::uint8_t* bytes, std::size_t length) {
    if (length > 0x7FFFFFFF) return false;
    AcDbDictionary* named = nullptr;
    if (acdbHostApplicationServices()->workingDatabase()->getNamedObjectsDictionary(named, AcDb::kForWrite) != Acad::eOk)
        return false;
    AcDbObject* object = nullptr;
    AcDbDictionary* sub = nullptr;
    if (named->getAt(dictionaryName, object, AcDb::kForWrite) == Acad::eOk) {
        sub = AcDbDictionary::cast(object);
        if (sub == nullptr) object->close();
    } else {
        sub = new AcDbDictionary;
        AcDbObjectId id;
        if (named->setAt(dictionaryName, sub, id) != Acad::eOk) {
            delete sub;
            sub = nullptr;
        }
    }
    named->close();
    if (sub == nullptr) return false;

    resbuf* list = BuildImageList(bytes, length);
    bool ok = false;
    if (list != nullptr) {
        auto* record = new AcDbXrecord;
        AcDbObjectId id;
        if (sub->setAt(key, record, id) == Acad::eOk) {
            ok = record->setFromRbChain(*list) == Acad::eOk;
            record->close();
        } else {
            delete record;
        }
        acutRelRb(list);
    }
    sub->close();
    return ok;
}

void EraseIndexXrecord(const char* dictionaryName, const char* key) {
    AcDbDictionary* sub = OpenSubDictionary(dictionaryName);
    if (sub == nullptr) return;
    AcDbObject* object = nullptr;
    if (sub->getAt(key, object, AcDb::kForWrite) == Acad::eOk) {
        if (auto* record = AcDbXrecord::cast(object)) record->clearData();
        object->erase();
        object->close();
    }
    sub->close();
}

std::optional<std::vector<std::uint8_t>> ReadIndexXrecord(const char* dictionaryName, const char* key,
                                                          bool* damaged) {
    if (damaged != nullptr) *damaged = false;
    AcDbDictionary* sub = OpenSubDictionary(dictionaryName);
    if (sub == nullptr) return std::nullopt;
    AcDbObject* object = nullptr;
    Acad::ErrorStatus es = sub->getAt(key, object, AcDb::kForRead);
    sub->close();
    if (es != Acad::eOk) return std::nullopt;
    // From here on there is a record, and anything short of an image means it is damaged.
    if (damaged != nullptr) *damaged = true;
    resbuf* list = nullptr;
    if (auto* record = AcDbXrecord::cast(object)) record->rbChain(&list);
    object->close();
    if (list == nullptr || list->restype != kLengthGroup || list->resval.rlong < 0) {
        acutRelRb(list);
        return std::nullopt;
    }
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
    acutRelRb(list);
    if (!ok || image.size() != length) return std::nullopt;
    if (damaged != nullptr) *damaged = false;
    return image;
}
