#include "platform/cad/db_xrecord.h"

#include "platform/cad/resbuf.h"

DERO_RX_DEFINE_MEMBERS(AcDbXrecord, "XRECORD", AcDbObject)

namespace {
// Codes an xrecord cannot hold: the entity-name and XData sentinels, handle (5, 105) and the
// XData groups themselves.
bool IsXrecordCode(int code)
{
    if (code < 0 || code == 5 || code == 105 || code >= 1000)
        return false;
    return platform::cad::IsKnownGroupCode(code);
}
}  // namespace

Acad::ErrorStatus AcDbXrecord::rbChain(resbuf** chain, AcDbDatabase* /*database*/) const
{
    if (chain == nullptr)
        return Acad::eInvalidInput;
    *chain = platform::cad::TagsToResbuf(data_);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbXrecord::setFromRbChain(const resbuf& chain, AcDbDatabase* /*database*/)
{
    platform::cad::DxfTagList tags;
    if (!platform::cad::ResbufToTags(&chain, tags))
        return Acad::eInvalidResBuf;
    // A single RTNONE buffer is how callers pass an empty list.
    if (tags.size() == 1 && tags[0].code == RTNONE)
        tags.clear();
    for (const auto& tag : tags)
        if (!IsXrecordCode(tag.code))
            return Acad::eInvalidResBuf;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    data_ = std::move(tags);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbXrecord::clearData()
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    data_.clear();
    return Acad::eOk;
}

void AcDbXrecord::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbObject::dxfOutFields(filer);
    filer->writeSubclass("AcDbXrecord");
    filer->writeInt(280, 1);
    for (const auto& tag : data_)
        filer->writeTag(tag);
}

Acad::ErrorStatus AcDbXrecord::dxfInFields(const AcDbDxfFiler* filer)
{
    // Everything after the subclass marker and the cloning flag is data.
    platform::cad::DxfTagList data;
    bool inData = false;
    for (const auto& tag : filer->tags()) {
        if (!inData) {
            if (tag.code == 100 && tag.text == "AcDbXrecord")
                inData = true;
            continue;
        }
        if (tag.code == 280 && data.empty())
            continue;
        if (!IsXrecordCode(tag.code))
            return Acad::eInvalidResBuf;
        data.push_back(tag);
    }
    Acad::ErrorStatus es = AcDbObject::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (inData)
        data_ = std::move(data);
    return Acad::eOk;
}
