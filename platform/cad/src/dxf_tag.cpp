#include "platform/cad/dxf_tag.h"

#include <cstdlib>
#include <cstring>
#include <numbers>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_dxf_filer.h"
#include "platform/cad/resbuf.h"
#include "resbuf_blocks.h"

namespace platform::cad {

DxfTag DxfTag::String(int code, std::string_view text)
{
    DxfTag t;
    t.code = code;
    t.text = std::string(text);
    return t;
}

DxfTag DxfTag::Real(int code, double value)
{
    DxfTag t;
    t.code = code;
    t.real = value;
    return t;
}

DxfTag DxfTag::Point(int code, const AcGePoint3d& point)
{
    DxfTag t;
    t.code = code;
    t.point = point;
    return t;
}

DxfTag DxfTag::Integer(int code, std::int64_t value)
{
    DxfTag t;
    t.code = code;
    t.integer = value;
    return t;
}

DxfTag DxfTag::Id(int code, AcDbObjectId id)
{
    DxfTag t;
    t.code = code;
    t.id = id;
    return t;
}

DxfTag DxfTag::Binary(int code, const void* data, std::size_t size)
{
    DxfTag t;
    t.code = code;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (bytes != nullptr)
        t.bytes.assign(bytes, bytes + size);
    return t;
}

DxfTag DxfTag::Marker(int code)
{
    DxfTag t;
    t.code = code;
    return t;
}

bool DxfTag::operator==(const DxfTag& o) const
{
    if (code != o.code)
        return false;
    switch (kind()) {
    case GroupValueKind::String:
        return text == o.text;
    case GroupValueKind::Real:
        return real == o.real;
    case GroupValueKind::Point:
        return point.x == o.point.x && point.y == o.point.y && point.z == o.point.z;
    case GroupValueKind::Int16:
    case GroupValueKind::Int32:
    case GroupValueKind::Int64:
    case GroupValueKind::Bool:
        return integer == o.integer;
    case GroupValueKind::Name:
        return id == o.id;
    case GroupValueKind::Binary:
        return bytes == o.bytes;
    case GroupValueKind::None:
        return true;
    }
    return true;
}

namespace {
// A heap copy of the text and its terminating zero; its length is known, so it is not measured.
char* NewString(const std::string& text)
{
    std::size_t n = text.size() + 1;
    char* copy = NewChainString(n);
    if (copy != nullptr)
        std::memcpy(copy, text.c_str(), n);
    return copy;
}
}  // namespace

resbuf* TagsToResbuf(const DxfTagList& tags) { return TagsToResbuf(tags.data(), tags.data() + tags.size()); }

resbuf* TagsToResbuf(const DxfTag* first, const DxfTag* last)
{
    resbuf* head = nullptr;
    resbuf* tail = nullptr;
    for (; first != last; ++first) {
        const DxfTag& tag = *first;
        resbuf* rb = acutNewRb(tag.code);
        if (rb == nullptr) {
            acutRelRb(head);
            return nullptr;
        }
        switch (tag.kind()) {
        case GroupValueKind::None:
            break;
        case GroupValueKind::String:
            rb->resval.rstring = NewString(tag.text);
            break;
        case GroupValueKind::Real:
            rb->resval.rreal = tag.real;
            break;
        case GroupValueKind::Point:
            rb->resval.rpoint[0] = tag.point.x;
            rb->resval.rpoint[1] = tag.point.y;
            rb->resval.rpoint[2] = tag.point.z;
            break;
        case GroupValueKind::Int16:
        case GroupValueKind::Bool:
            rb->resval.rint = static_cast<short>(tag.integer);
            break;
        case GroupValueKind::Int32:
            rb->resval.rlong = static_cast<std::int32_t>(tag.integer);
            break;
        case GroupValueKind::Int64:
            rb->resval.mnInt64 = tag.integer;
            break;
        case GroupValueKind::Name:
            if (tag.id.isNull())
                ads_name_clear(rb->resval.rlname);
            else
                acdbGetAdsName(rb->resval.rlname, tag.id);
            break;
        case GroupValueKind::Binary:
            rb->resval.rbinary.clen = static_cast<short>(tag.bytes.size());
            rb->resval.rbinary.buf = static_cast<char*>(std::malloc(tag.bytes.empty() ? 1 : tag.bytes.size()));
            if (!tag.bytes.empty() && rb->resval.rbinary.buf != nullptr)
                std::memcpy(rb->resval.rbinary.buf, tag.bytes.data(), tag.bytes.size());
            break;
        }
        if (head == nullptr)
            head = rb;
        else
            tail->rbnext = rb;
        tail = rb;
    }
    return head;
}

bool ResbufHoldsValue(const resbuf* rb)
{
    if (!IsKnownGroupCode(rb->restype))
        return false;
    switch (GroupKindOf(rb->restype)) {
    case GroupValueKind::String:
        return rb->resval.rstring != nullptr;
    case GroupValueKind::Name: {
        AcDbObjectId id;
        return ads_name_nil(rb->resval.rlname) || acdbGetObjectId(id, rb->resval.rlname) == Acad::eOk;
    }
    case GroupValueKind::Binary:
        return rb->resval.rbinary.clen >= 0 && (rb->resval.rbinary.clen == 0 || rb->resval.rbinary.buf != nullptr);
    default:
        return true;
    }
}

bool ResbufToTags(const resbuf* chain, DxfTagList& out)
{
    // Counted first: tags are large, and growing the list one by one copies them again and again.
    std::size_t count = 0;
    for (const resbuf* rb = chain; rb != nullptr; rb = rb->rbnext)
        ++count;
    DxfTagList tags;
    tags.reserve(count);
    for (const resbuf* rb = chain; rb != nullptr; rb = rb->rbnext) {
        if (!ResbufHoldsValue(rb))
            return false;
        DxfTag tag;
        tag.code = rb->restype;
        switch (tag.kind()) {
        case GroupValueKind::None:
            break;
        case GroupValueKind::String:
            tag.text = rb->resval.rstring;
            break;
        case GroupValueKind::Real:
            tag.real = rb->resval.rreal;
            break;
        case GroupValueKind::Point:
            tag.point.set(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]);
            break;
        case GroupValueKind::Int16:
        case GroupValueKind::Bool:
            tag.integer = rb->resval.rint;
            break;
        case GroupValueKind::Int32:
            tag.integer = static_cast<std::int32_t>(rb->resval.rlong);
            break;
        case GroupValueKind::Int64:
            tag.integer = rb->resval.mnInt64;
            break;
        case GroupValueKind::Name:
            if (!ads_name_nil(rb->resval.rlname))
                acdbGetObjectId(tag.id, rb->resval.rlname);
            break;
        case GroupValueKind::Binary:
            tag.bytes.assign(rb->resval.rbinary.buf, rb->resval.rbinary.buf + rb->resval.rbinary.clen);
            break;
        }
        tags.push_back(std::move(tag));
    }
    out = std::move(tags);
    return true;
}

}  // namespace platform::cad

const platform::cad::DxfTag* AcDbDxfFiler::find(int code) const
{
    for (const auto& tag : tags_)
        if (tag.code == code)
            return &tag;
    return nullptr;
}

void AcDbDxfFiler::writeAngle(int code, double radians)
{
    writeReal(code, unit_ == kDegrees ? radians * 180.0 / std::numbers::pi : radians);
}

double AcDbDxfFiler::angleOf(const platform::cad::DxfTag& tag) const
{
    return unit_ == kDegrees ? tag.real * std::numbers::pi / 180.0 : tag.real;
}
