// Dictionaries: objects filed under keys that compare without regard to case. A walk goes by key
// (the host's default) or in insertion order. The dictionary owns its entries.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/cad/db_object.h"

class AcDbDictionaryIterator {
public:
    struct Entry {
        std::string key;
        AcDbObjectId id;
    };
    explicit AcDbDictionaryIterator(std::vector<Entry> entries) : entries_(std::move(entries)) {}
    const char* name() const;
    AcDbObjectId objectId() const;
    Acad::ErrorStatus getObject(AcDbObject*& object, AcDb::OpenMode mode) const;
    bool done() const { return index_ >= entries_.size(); }
    bool next();
    bool setPosition(AcDbObjectId id);

private:
    std::vector<Entry> entries_;
    std::size_t index_ = 0;
};

class AcDbDictionary : public AcDbObject {
    DERO_RX_DECLARE_MEMBERS(AcDbDictionary)

public:
    AcDbDictionary() = default;
    AcDbDictionary(const AcDbDictionary& other);

    Acad::ErrorStatus getAt(const char* key, AcDbObject*& object, AcDb::OpenMode mode) const;
    Acad::ErrorStatus getAt(const char* key, AcDbObjectId& id) const;
    // Heap copy of the key under which the id is filed (free with acutDelString).
    Acad::ErrorStatus nameAt(AcDbObjectId id, char*& key) const;
    Acad::ErrorStatus nameAt(AcDbObjectId id, std::string& key) const;
    bool has(const char* key) const;
    bool has(AcDbObjectId id) const;
    Adesk::UInt32 numEntries() const;

    // Files the object under the key; the dictionary must be open for write. A non-resident
    // object becomes resident (open for write: close it). An object already filed under the key
    // is erased and replaced. The key "*" files it under a new anonymous key "*A<n>".
    Acad::ErrorStatus setAt(const char* key, AcDbObject* value, AcDbObjectId& id);
    Acad::ErrorStatus remove(const char* key);
    Acad::ErrorStatus remove(const char* key, AcDbObjectId& removed);
    Acad::ErrorStatus remove(AcDbObjectId id);
    bool setName(const char* oldKey, const char* newKey);

    AcDbDictionaryIterator* newIterator(AcRx::DictIterType type = AcRx::kDictSorted) const;

    void dxfOutFields(AcDbDxfFiler* filer) const override;
    void subObjectIds(AcDbObjectIdArray& ids) const override;
    AcDbObject* journalCopy() const override
    {
        auto* copy = new AcDbDictionary(*this);
        copy->entries_ = entries_;
        copy->anonymousHighest_ = anonymousHighest_;
        copy->anonymousCounted_ = anonymousCounted_;
        return copy;
    }

private:
    struct Entry {
        std::string key;
        AcDbObjectId id;
    };
    int find(const char* key) const;
    int find(AcDbObjectId id) const;
    long nextAnonymousNumber();
    std::vector<Entry> entries_;  // insertion order
    // The positions of the entries by their key in upper case, so that filing one of many entries
    // does not read them all: kept as entries are appended, built again at the first look after
    // any other change. A journal copy starts without it.
    void forgetKeys() { byKeyBuilt_ = false; }
    mutable std::unordered_multimap<std::string, std::size_t> byKey_;
    mutable bool byKeyBuilt_ = false;
    // The highest "*A" number among the first anonymousCounted_ entries: appends are counted as
    // they come, any other change counts again from the start, so that a dictionary of many
    // anonymous groups takes a new one without reading them all.
    long anonymousHighest_ = 0;
    std::size_t anonymousCounted_ = 0;
};
