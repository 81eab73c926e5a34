#include "platform/cad/db_dictionary.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/cad/db_database.h"
#include "platform/cad/db_group.h"
#include "platform/cad/resbuf.h"
#include "platform/text/gbk.h"

using platform::cad::PeekObject;

DERO_RX_DEFINE_MEMBERS(AcDbDictionary, "DICTIONARY", AcDbObject)

AcDbDictionary::AcDbDictionary(const AcDbDictionary& other) : AcDbObject(other)
{
    // A copied dictionary starts empty: it owns no entries of the original.
}

int AcDbDictionary::find(const char* key) const
{
    if (key == nullptr)
        return -1;
    if (!byKeyBuilt_) {
        byKey_.clear();
        byKey_.reserve(entries_.size());
        for (std::size_t i = 0; i < entries_.size(); ++i)
            byKey_.emplace(platform::text::GbkToUpper(entries_[i].key), i);
        byKeyBuilt_ = true;
    }
    // Erased entries stay filed under their key: the first one of the key still there is found.
    std::size_t found = entries_.size();
    auto [first, last] = byKey_.equal_range(platform::text::GbkToUpper(key));
    for (auto it = first; it != last; ++it)
        if (it->second < found && !entries_[it->second].id.isErased())
            found = it->second;
    return found < entries_.size() ? static_cast<int>(found) : -1;
}

int AcDbDictionary::find(AcDbObjectId id) const
{
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].id == id)
            return static_cast<int>(i);
    return -1;
}

Acad::ErrorStatus AcDbDictionary::getAt(const char* key, AcDbObject*& object, AcDb::OpenMode mode) const
{
    object = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = getAt(key, id);
    return es == Acad::eOk ? acdbOpenAcDbObject(object, id, mode) : es;
}

Acad::ErrorStatus AcDbDictionary::getAt(const char* key, AcDbObjectId& id) const
{
    int i = find(key);
    if (i < 0) {
        id.setNull();
        return Acad::eKeyNotFound;
    }
    id = entries_[static_cast<std::size_t>(i)].id;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::nameAt(AcDbObjectId id, char*& key) const
{
    key = nullptr;
    std::string text;
    Acad::ErrorStatus es = nameAt(id, text);
    if (es == Acad::eOk)
        key = acutNewString(text.c_str());
    return es;
}

Acad::ErrorStatus AcDbDictionary::nameAt(AcDbObjectId id, std::string& key) const
{
    int i = find(id);
    if (i < 0)
        return Acad::eKeyNotFound;
    key = entries_[static_cast<std::size_t>(i)].key;
    return Acad::eOk;
}

bool AcDbDictionary::has(const char* key) const { return find(key) >= 0; }

bool AcDbDictionary::has(AcDbObjectId id) const
{
    int i = find(id);
    return i >= 0 && !id.isErased();
}

Adesk::UInt32 AcDbDictionary::numEntries() const
{
    return static_cast<Adesk::UInt32>(
        std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return !e.id.isErased(); }));
}

Acad::ErrorStatus AcDbDictionary::setAt(const char* key, AcDbObject* value, AcDbObjectId& id)
{
    id.setNull();
    if (value == nullptr)
        return Acad::eNullObjectPointer;
    if (key == nullptr || *key == '\0')
        return Acad::eInvalidKey;
    if (!isDatabaseResident())
        return Acad::eNotInDatabase;
    if (value->isDatabaseResident() && value->database() != database())
        return Acad::eWrongDatabase;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    std::string name = key;
    bool anonymous = name == "*";
    // A fresh anonymous number names no entry yet, in any letter case.
    if (anonymous)
        name = "*A" + std::to_string(nextAnonymousNumber());
    int existing = anonymous ? -1 : find(name.c_str());
    if (existing >= 0) {
        // The old entry's object is erased and replaced.
        AcDbObjectId old = entries_[static_cast<std::size_t>(existing)].id;
        if (old == value->objectId())
            return Acad::eOk;
        AcDbObject* oldObject = nullptr;
        if (acdbOpenAcDbObject(oldObject, old, AcDb::kForWrite) == Acad::eOk) {
            oldObject->erase();
            oldObject->close();
        } else {
            return Acad::eWasOpenForWrite;
        }
        entries_.erase(entries_.begin() + existing);
        anonymousCounted_ = 0;
        forgetKeys();
    }
    value->setOwnerId(objectId());
    if (value->isDatabaseResident()) {
        id = value->objectId();
    } else {
        Acad::ErrorStatus es = database()->addAcDbObject(id, value);
        if (es != Acad::eOk)
            return es;
    }
    if (anonymous)
        if (auto* group = AcDbGroup::cast(value))
            group->anonymous_ = true;
    entries_.push_back(Entry{name, id});
    if (byKeyBuilt_)
        byKey_.emplace(platform::text::GbkToUpper(name), entries_.size() - 1);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::remove(const char* key)
{
    AcDbObjectId removed;
    return remove(key, removed);
}

Acad::ErrorStatus AcDbDictionary::remove(const char* key, AcDbObjectId& removed)
{
    removed.setNull();
    int i = find(key);
    if (i < 0)
        return Acad::eKeyNotFound;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    removed = entries_[static_cast<std::size_t>(i)].id;
    entries_.erase(entries_.begin() + i);
    anonymousCounted_ = 0;
    forgetKeys();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::remove(AcDbObjectId id)
{
    int i = find(id);
    if (i < 0)
        return Acad::eKeyNotFound;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    entries_.erase(entries_.begin() + i);
    anonymousCounted_ = 0;
    forgetKeys();
    return Acad::eOk;
}

bool AcDbDictionary::setName(const char* oldKey, const char* newKey)
{
    int i = find(oldKey);
    if (i < 0 || newKey == nullptr || *newKey == '\0')
        return false;
    int clash = find(newKey);
    if (clash >= 0 && clash != i)
        return false;
    if (!beginModify())
        return false;
    entries_[static_cast<std::size_t>(i)].key = newKey;
    anonymousCounted_ = 0;
    forgetKeys();
    return true;
}

// Anonymous entries are numbered after the highest number in use: "*A1", "*A2" ...
long AcDbDictionary::nextAnonymousNumber()
{
    if (anonymousCounted_ == 0 || anonymousCounted_ > entries_.size()) {
        anonymousHighest_ = 0;
        anonymousCounted_ = 0;
    }
    for (; anonymousCounted_ < entries_.size(); ++anonymousCounted_) {
        const std::string& key = entries_[anonymousCounted_].key;
        if (key.size() > 2 && (key[1] == 'A' || key[1] == 'a') && key[0] == '*') {
            char* end = nullptr;
            long n = std::strtol(key.c_str() + 2, &end, 10);
            if (end != nullptr && *end == '\0' && n > anonymousHighest_)
                anonymousHighest_ = n;
        }
    }
    return anonymousHighest_ + 1;
}

AcDbDictionaryIterator* AcDbDictionary::newIterator(AcRx::DictIterType type) const
{
    std::vector<AcDbDictionaryIterator::Entry> list;
    for (const Entry& e : entries_)
        if (!e.id.isErased())
            list.push_back({e.key, e.id});
    if (type == AcRx::kDictSorted)
        std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
            return platform::text::GbkCompareNoCase(a.key, b.key) < 0;
        });
    return new AcDbDictionaryIterator(std::move(list));
}

void AcDbDictionary::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbObject::dxfOutFields(filer);
    filer->writeSubclass("AcDbDictionary");
    filer->writeInt(281, 1);
    for (const Entry& e : entries_) {
        if (e.id.isErased())
            continue;
        filer->writeString(3, e.key);
        filer->writeObjectId(350, e.id);
    }
}

void AcDbDictionary::subObjectIds(AcDbObjectIdArray& ids) const
{
    for (const Entry& e : entries_)
        ids.append(e.id);
}

const char* AcDbDictionaryIterator::name() const { return done() ? nullptr : entries_[index_].key.c_str(); }

AcDbObjectId AcDbDictionaryIterator::objectId() const { return done() ? AcDbObjectId() : entries_[index_].id; }

Acad::ErrorStatus AcDbDictionaryIterator::getObject(AcDbObject*& object, AcDb::OpenMode mode) const
{
    object = nullptr;
    if (done())
        return Acad::eInvalidIndex;
    return acdbOpenAcDbObject(object, entries_[index_].id, mode);
}

bool AcDbDictionaryIterator::next()
{
    if (!done())
        ++index_;
    return !done();
}

bool AcDbDictionaryIterator::setPosition(AcDbObjectId id)
{
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].id == id) {
            index_ = i;
            return true;
        }
    return false;
}
