#include "platform/cad/xdata_item_list.h"

#include <cstdlib>
#include <cstring>

#include "platform/cad/ads_entity.h"
#include "platform/cad/resbuf.h"
#include "resbuf_blocks.h"

namespace platform::cad {

namespace {

constexpr std::size_t kCodeBytes = 2;
constexpr std::size_t kLengthBytes = 2;

// The bytes of an item's value after its code (and after the length of a string or chunk).
std::size_t ValueBytes(GroupValueKind kind, std::size_t length)
{
    switch (kind) {
    case GroupValueKind::None:
        return 0;
    case GroupValueKind::String:
        return length + 1;
    case GroupValueKind::Binary:
        return length;
    case GroupValueKind::Real:
        return sizeof(double);
    case GroupValueKind::Point:
        return 1 + 3 * sizeof(double);
    case GroupValueKind::Name:
        return sizeof(ObjectStub*);
    case GroupValueKind::Int16:
    case GroupValueKind::Int32:
    case GroupValueKind::Int64:
    case GroupValueKind::Bool:
        return sizeof(std::int64_t);
    }
    return 0;
}

template <typename T>
T Read(const unsigned char*& at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    at += sizeof value;
    return value;
}

std::size_t PackedTagSize(const DxfTag& tag)
{
    switch (tag.kind()) {
    case GroupValueKind::String:
        return XDataItemList::PackedSize(GroupValueKind::String, tag.text.size());
    case GroupValueKind::Binary:
        return XDataItemList::PackedSize(GroupValueKind::Binary, tag.bytes.size());
    default:
        return XDataItemList::PackedSize(tag.kind(), 0);
    }
}

template <typename Tags>
void PackTags(XDataItemList& list, const Tags& tags)
{
    std::size_t bytes = 0, count = 0;
    for (const DxfTag& tag : tags) {
        bytes += PackedTagSize(tag);
        ++count;
    }
    XDataItemList::Packer packer(list, bytes, count);
    for (const DxfTag& tag : tags)
        packer.Tag(tag);
}

}  // namespace

std::size_t XDataItemList::PackedSize(GroupValueKind kind, std::size_t length)
{
    bool counted = kind == GroupValueKind::String || kind == GroupValueKind::Binary;
    return kCodeBytes + (counted ? kLengthBytes : 0) + ValueBytes(kind, length);
}

XDataItemList::XDataItemList(std::initializer_list<DxfTag> tags) { PackTags(*this, tags); }

XDataItemList::XDataItemList(const DxfTagList& tags) { PackTags(*this, tags); }

XDataItemList::XDataItemList(const XDataItemList& other)
{
    if (other.size_ != 0)
        std::memcpy(Allocate(other.size_, other.count_), other.Bytes(), other.size_);
}

XDataItemList::XDataItemList(XDataItemList&& other) noexcept { TakeFrom(other); }

XDataItemList& XDataItemList::operator=(const XDataItemList& other)
{
    if (this != &other)
        *this = XDataItemList(other);
    return *this;
}

XDataItemList& XDataItemList::operator=(XDataItemList&& other) noexcept
{
    if (this != &other) {
        Release();
        TakeFrom(other);
    }
    return *this;
}

void XDataItemList::TakeFrom(XDataItemList& other) noexcept
{
    size_ = other.size_;
    count_ = other.count_;
    if (Kept())
        std::memcpy(kept_, other.kept_, size_);
    else
        heap_ = other.heap_;
    other.size_ = 0;
    other.count_ = 0;
}

XDataItemList::~XDataItemList() { Release(); }

void XDataItemList::Release()
{
    if (!Kept())
        delete[] heap_;
    size_ = 0;
    count_ = 0;
}

unsigned char* XDataItemList::Allocate(std::size_t bytes, std::size_t count)
{
    // The new block is taken before the old one goes, so that a failed allocation leaves the list as it was.
    unsigned char* heap = bytes > kKeptBytes ? new unsigned char[bytes] : nullptr;
    Release();
    size_ = static_cast<std::uint32_t>(bytes);
    count_ = static_cast<std::uint32_t>(count);
    if (heap == nullptr)
        return kept_;
    heap_ = heap;
    return heap_;
}

DxfTag XDataItemList::operator[](std::size_t index) const
{
    auto it = begin();
    for (std::size_t i = 0; i < index && it != end(); ++i)
        ++it;
    return it != end() ? *it : DxfTag();
}

XDataItemList::operator DxfTagList() const
{
    DxfTagList tags;
    tags.reserve(count_);
    for (const DxfTag& tag : *this)
        tags.push_back(tag);
    return tags;
}

bool XDataItemList::operator==(const XDataItemList& other) const
{
    if (count_ != other.count_)
        return false;
    for (auto a = begin(), b = other.begin(); a != end(); ++a, ++b)
        if (!(*a == *b))
            return false;
    return true;
}

std::size_t XDataItemList::DrawingBytes() const
{
    // Each item as a drawing holds it: its code, then the value (a string or chunk with its length).
    std::size_t total = 0;
    const unsigned char* at = Bytes();
    const unsigned char* end = at + size_;
    while (at < end) {
        int code = Read<std::int16_t>(at);
        GroupValueKind kind = GroupKindOf(code);
        std::size_t length = 0;
        if (kind == GroupValueKind::String || kind == GroupValueKind::Binary)
            length = Read<std::uint16_t>(at);
        switch (kind) {
        case GroupValueKind::String:
        case GroupValueKind::Binary:
            total += length + 3;
            break;
        case GroupValueKind::Point:
            total += 26;
            break;
        case GroupValueKind::Real:
            total += 10;
            break;
        case GroupValueKind::Int32:
            total += 6;
            break;
        default:
            total += 4;
            break;
        }
        at += ValueBytes(kind, length);
    }
    return total;
}

bool XDataItemList::AppendResbufs(resbuf**& link) const
{
    const unsigned char* at = Bytes();
    const unsigned char* end = at + size_;
    while (at < end) {
        int code = Read<std::int16_t>(at);
        resbuf* rb = acutNewRb(code);
        if (rb == nullptr)
            return false;
        *link = rb;
        link = &rb->rbnext;
        switch (GroupKindOf(code)) {
        case GroupValueKind::None:
            break;
        case GroupValueKind::String: {
            std::size_t length = Read<std::uint16_t>(at);
            rb->resval.rstring = NewChainString(length + 1);
            if (rb->resval.rstring == nullptr)
                return false;
            std::memcpy(rb->resval.rstring, at, length + 1);
            at += length + 1;
            break;
        }
        case GroupValueKind::Binary: {
            std::size_t length = Read<std::uint16_t>(at);
            rb->resval.rbinary.clen = static_cast<short>(length);
            rb->resval.rbinary.buf = static_cast<char*>(std::malloc(length == 0 ? 1 : length));
            if (rb->resval.rbinary.buf == nullptr)
                return false;
            if (length != 0)
                std::memcpy(rb->resval.rbinary.buf, at, length);
            at += length;
            break;
        }
        case GroupValueKind::Real:
            rb->resval.rreal = Read<double>(at);
            break;
        case GroupValueKind::Point:
            ++at;  // the flag, which result buffers do not carry
            std::memcpy(rb->resval.rpoint, at, sizeof rb->resval.rpoint);
            at += sizeof rb->resval.rpoint;
            break;
        case GroupValueKind::Int16:
        case GroupValueKind::Bool:
            rb->resval.rint = static_cast<short>(Read<std::int64_t>(at));
            break;
        case GroupValueKind::Int32:
            rb->resval.rlong = static_cast<std::int32_t>(Read<std::int64_t>(at));
            break;
        case GroupValueKind::Int64:
            rb->resval.mnInt64 = Read<std::int64_t>(at);
            break;
        case GroupValueKind::Name: {
            AcDbObjectId id(Read<ObjectStub*>(at));
            if (id.isNull())
                ads_name_clear(rb->resval.rlname);
            else
                acdbGetAdsName(rb->resval.rlname, id);
            break;
        }
        }
    }
    return true;
}

XDataItemList::const_iterator::const_iterator(const unsigned char* at, const unsigned char* end)
    : at_(at), end_(end)
{
    Load();
}

XDataItemList::const_iterator& XDataItemList::const_iterator::operator++()
{
    at_ = next_;
    Load();
    return *this;
}

void XDataItemList::const_iterator::Load()
{
    if (at_ == nullptr || at_ >= end_)
        return;
    const unsigned char* at = at_;
    tag_.code = Read<std::int16_t>(at);
    tag_.text.clear();
    tag_.real = 0;
    tag_.point = AcGePoint3d();
    tag_.flat = false;
    tag_.integer = 0;
    tag_.id = AcDbObjectId();
    tag_.bytes.clear();
    switch (tag_.kind()) {
    case GroupValueKind::None:
        break;
    case GroupValueKind::String: {
        std::size_t length = Read<std::uint16_t>(at);
        tag_.text.assign(reinterpret_cast<const char*>(at), length);
        at += length + 1;
        break;
    }
    case GroupValueKind::Binary: {
        std::size_t length = Read<std::uint16_t>(at);
        tag_.bytes.assign(at, at + length);
        at += length;
        break;
    }
    case GroupValueKind::Real:
        tag_.real = Read<double>(at);
        break;
    case GroupValueKind::Point: {
        tag_.flat = *at++ != 0;
        double x = Read<double>(at);
        double y = Read<double>(at);
        double z = Read<double>(at);
        tag_.point.set(x, y, z);
        break;
    }
    case GroupValueKind::Int16:
    case GroupValueKind::Int32:
    case GroupValueKind::Int64:
    case GroupValueKind::Bool:
        tag_.integer = Read<std::int64_t>(at);
        break;
    case GroupValueKind::Name:
        tag_.id = AcDbObjectId(Read<ObjectStub*>(at));
        break;
    }
    next_ = at;
}

XDataItemList::Packer::Packer(XDataItemList& list, std::size_t bytes, std::size_t count)
{
    at_ = list.Allocate(bytes, count);
}

void XDataItemList::Packer::Put(const void* data, std::size_t size)
{
    if (size != 0)
        std::memcpy(at_, data, size);
    at_ += size;
}

void XDataItemList::Packer::Code(int code)
{
    auto packed = static_cast<std::int16_t>(code);
    Put(&packed, sizeof packed);
}

void XDataItemList::Packer::String(int code, const char* text, std::size_t length)
{
    Code(code);
    auto packed = static_cast<std::uint16_t>(length);
    Put(&packed, sizeof packed);
    Put(text, length);
    *at_++ = 0;
}

void XDataItemList::Packer::Binary(int code, const unsigned char* data, std::size_t length)
{
    Code(code);
    auto packed = static_cast<std::uint16_t>(length);
    Put(&packed, sizeof packed);
    Put(data, length);
}

void XDataItemList::Packer::Real(int code, double value)
{
    Code(code);
    Put(&value, sizeof value);
}

void XDataItemList::Packer::Point(int code, double x, double y, double z, bool flat)
{
    Code(code);
    *at_++ = flat ? 1 : 0;
    const double xyz[3] = {x, y, z};
    Put(xyz, sizeof xyz);
}

void XDataItemList::Packer::Integer(int code, std::int64_t value)
{
    Code(code);
    Put(&value, sizeof value);
}

void XDataItemList::Packer::Id(int code, AcDbObjectId id)
{
    Code(code);
    ObjectStub* stub = id.stub();
    Put(&stub, sizeof stub);
}

void XDataItemList::Packer::Marker(int code) { Code(code); }

void XDataItemList::Packer::Tag(const DxfTag& tag)
{
    switch (tag.kind()) {
    case GroupValueKind::None:
        Marker(tag.code);
        break;
    case GroupValueKind::String:
        String(tag.code, tag.text.data(), tag.text.size());
        break;
    case GroupValueKind::Binary:
        Binary(tag.code, tag.bytes.data(), tag.bytes.size());
        break;
    case GroupValueKind::Real:
        Real(tag.code, tag.real);
        break;
    case GroupValueKind::Point:
        Point(tag.code, tag.point.x, tag.point.y, tag.point.z, tag.flat);
        break;
    case GroupValueKind::Int16:
    case GroupValueKind::Int32:
    case GroupValueKind::Int64:
    case GroupValueKind::Bool:
        Integer(tag.code, tag.integer);
        break;
    case GroupValueKind::Name:
        Id(tag.code, tag.id);
        break;
    }
}

}  // namespace platform::cad
