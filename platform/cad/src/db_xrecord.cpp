#include "platform/cad/db_xrecord.h"

#include "platform/cad/resbuf.h"

DERO_RX_DEFINE_MEMBERS(AcDbXrecord, "XRECORD", AcDbObject)

namespace {
// Codes an xrecord cannot hold: the entity-name and XData sentinels, handle (5, 105) and the
// application name that would start extended data. XData item codes are data like any other.
bool IsXrecordCode(int code)
{
    if (code < 0 || code == 5 || code == 105 || code == 1001)
        return false;
    return platform::cad::IsKnownGroupCode(code);
}

// Where the data starts in a list without the subclass marker: after the object's own groups
// (name, type, handle, the 102 brackets and the owner), as other programs write them.
std::size_t UnmarkedDataStart(const platform::cad::DxfTagList& tags)
{
    std::size_t k = 0;
    bool owner = false;
    while (k < tags.size()) {
        int code = tags[k].code;
        if (code == 102 && !tags[k].text.empty() && tags[k].text[0] == '{') {
            while (k < tags.size() && !(tags[k].code == 102 && tags[k].text == "}"))
                ++k;
            if (k < tags.size())
                ++k;
        } else if (code == -1 || code == 0 || code == 5 || code == 105 || (code == 330 && !owner)) {
            owner = owner || code == 330;
            ++k;
        } else {
            break;
        }
    }
    return k;
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
    // Everything after the subclass marker and the cloning flag is data; without the marker,
    // everything after the object's own groups.
    const platform::cad::DxfTagList& tags = filer->tags();
    std::size_t start = 0;
    bool marked = false;
    for (std::size_t k = 0; k < tags.size() && !marked; ++k)
        if (tags[k].code == 100 && tags[k].text == "AcDbXrecord") {
            start = k + 1;
            marked = true;
        }
    if (!marked)
        start = UnmarkedDataStart(tags);
    // A list of the object's own groups alone changes nothing of the data.
    bool inData = marked || start < tags.size();
    platform::cad::DxfTagList data;
    for (std::size_t k = start; k < tags.size(); ++k) {
        const auto& tag = tags[k];
        if (tag.code == 280 && k == start)
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
