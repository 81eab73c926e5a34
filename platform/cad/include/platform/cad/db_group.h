// GROUP: an ordered, named set of entities filed in the group dictionary. Members know their
// groups through persistent reactors.
#pragma once

#include <string>
#include <vector>

#include "platform/cad/db_object.h"

class AcDbEntity;

class AcDbGroup : public AcDbObject {
    DERO_RX_DECLARE_MEMBERS(AcDbGroup)

public:
    explicit AcDbGroup(const char* description = nullptr, bool selectable = true);

    // Heap copy of the key under which the group is filed (free with acutDelString).
    Acad::ErrorStatus getName(char*& name) const;
    std::string name() const;
    const char* description() const { return description_.c_str(); }
    Acad::ErrorStatus setDescription(const char* text);
    bool isSelectable() const { return selectable_; }
    Acad::ErrorStatus setSelectable(bool selectable);
    bool isAnonymous() const { return anonymous_; }
    Acad::ErrorStatus setAnonymous();

    // Membership; the group must be open for write. eAlreadyInDb for a member already in it,
    // eNotAnEntity for an object that is not an entity, eWrongDatabase across drawings.
    Acad::ErrorStatus append(AcDbObjectId id);
    Acad::ErrorStatus append(const AcDbObjectIdArray& ids);
    Acad::ErrorStatus prepend(AcDbObjectId id);
    Acad::ErrorStatus insertAt(Adesk::UInt32 index, AcDbObjectId id);
    Acad::ErrorStatus remove(AcDbObjectId id);
    Acad::ErrorStatus removeAt(Adesk::UInt32 index);
    Acad::ErrorStatus clear();
    // Members that are not erased, in order.
    Adesk::UInt32 numEntities() const;
    Adesk::UInt32 allEntityIds(AcDbObjectIdArray& ids) const;
    bool has(const AcDbEntity* entity) const;
#ifdef DERO_HOST_EXTRAS
    bool has(AcDbObjectId id) const;
#endif
    Acad::ErrorStatus getIndex(AcDbObjectId id, Adesk::UInt32& index) const;

    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;
    void objectAppended() override;

private:
    friend class AcDbDictionary;
    Acad::ErrorStatus add(Adesk::UInt32 index, AcDbObjectId id);
    std::string description_;
    bool selectable_ = true;
    bool anonymous_ = false;
    std::vector<AcDbObjectId> members_;
};
