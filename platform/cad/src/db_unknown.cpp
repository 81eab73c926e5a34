#include "platform/cad/db_unknown.h"

#include "dxf_common_codes.h"

DERO_RX_DEFINE_MEMBERS(AcDbUnknownEntity, "", AcDbEntity)
DERO_RX_DEFINE_MEMBERS(AcDbUnknownObject, "", AcDbObject)

namespace {
// Tags that AcDbObject and AcDbEntity own; everything else of an unknown type is raw.
bool IsCommonTag(int code)
{
    return code == -1 || code == 0 || platform::cad::IsCommonEntityCode(code);
}

platform::cad::DxfTagList RawPart(const platform::cad::DxfTagList& tags, bool entity)
{
    // Only the common part in front of the class's own subclass is AcDbObject's and AcDbEntity's;
    // from there on every tag is the class's, whatever its code (a LAYOUT names its block with a
    // 330, which must not be taken for the owner).
    platform::cad::DxfTagList raw;
    bool inReactors = false;
    bool common = true;
    for (const auto& tag : tags) {
        if (common) {
            if (tag.code == 102) {
                inReactors = !tag.text.empty() && tag.text[0] == '{';
                continue;
            }
            if (inReactors)
                continue;
            if (tag.code == 100) {
                if (entity && tag.text == "AcDbEntity")
                    continue;
                common = false;
            } else if (IsCommonTag(tag.code) &&
                       (entity || tag.code == 5 || tag.code == 330 || tag.code == 0 || tag.code == -1)) {
                continue;
            }
        }
        raw.push_back(tag);
    }
    return raw;
}
}  // namespace

Acad::ErrorStatus AcDbUnknownEntity::getGeomExtents(AcDbExtents& extents) const
{
    // The points it was read with are the best guess of where it lies.
    extents = AcDbExtents();
    for (const auto& tag : raw_)
        if (tag.code >= 10 && tag.code <= 18)
            extents.addPoint(tag.point);
    return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

void AcDbUnknownEntity::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbEntity::dxfOutFields(filer);
    for (const auto& tag : raw_)
        filer->writeTag(tag);
}

Acad::ErrorStatus AcDbUnknownEntity::dxfInFields(const AcDbDxfFiler* filer)
{
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    raw_ = RawPart(filer->tags(), true);
    return Acad::eOk;
}

void AcDbUnknownObject::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbObject::dxfOutFields(filer);
    for (const auto& tag : raw_)
        filer->writeTag(tag);
}

Acad::ErrorStatus AcDbUnknownObject::dxfInFields(const AcDbDxfFiler* filer)
{
    Acad::ErrorStatus es = AcDbObject::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    raw_ = RawPart(filer->tags(), false);
    return Acad::eOk;
}
