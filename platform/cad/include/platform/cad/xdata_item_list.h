// The items of one application's extended data, packed one after another into a single block of
// bytes. An object keeps them for as long as it lives and every read of its data walks them, so
// they take only the bytes their values need and turn into result buffers (or tags) straight from
// that block, with one allocation per change rather than one per item.
//
// An item is its group code (2 bytes) and its value: a string as its length (2 bytes), its bytes
// and a terminating zero; a binary chunk as its length and bytes; a real as 8 bytes; a point as a
// "written without z" flag and three reals; whole numbers as 8 bytes; an object reference as its
// id. Lists are built by ParseXData, which checks the host's rules first (16 KB at most in all).
//
// Most applications hold one short item (a code, a name, a number). Such a list keeps its bytes
// in itself rather than in a block of their own, so that reading it touches the memory that the
// application's name is in already instead of a block somewhere else in the heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>

#include "platform/cad/dxf_tag.h"

struct resbuf;

namespace platform::cad {

class XDataItemList {
public:
    // Walks the items, each read back as a tag; the tag it gives lives until the next step.
    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = DxfTag;
        using difference_type = std::ptrdiff_t;
        using pointer = const DxfTag*;
        using reference = const DxfTag&;

        const_iterator() = default;
        const_iterator(const unsigned char* at, const unsigned char* end);
        const DxfTag& operator*() const { return tag_; }
        const DxfTag* operator->() const { return &tag_; }
        const_iterator& operator++();
        bool operator==(const const_iterator& other) const { return at_ == other.at_; }
        bool operator!=(const const_iterator& other) const { return at_ != other.at_; }

    private:
        void Load();
        const unsigned char* at_ = nullptr;
        const unsigned char* next_ = nullptr;
        const unsigned char* end_ = nullptr;
        DxfTag tag_;
    };

    XDataItemList() = default;
    XDataItemList(std::initializer_list<DxfTag> tags);
    XDataItemList(const DxfTagList& tags);  // NOLINT: lists of tags stand for items wherever given
    XDataItemList(const XDataItemList& other);
    XDataItemList(XDataItemList&& other) noexcept;
    XDataItemList& operator=(const XDataItemList& other);
    XDataItemList& operator=(XDataItemList&& other) noexcept;
    ~XDataItemList();

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    const_iterator begin() const { return const_iterator(Bytes(), Bytes() + size_); }
    const_iterator end() const { return const_iterator(Bytes() + size_, Bytes() + size_); }
    // The item at a position, as a tag (walks the items before it).
    DxfTag operator[](std::size_t index) const;
    operator DxfTagList() const;  // NOLINT: the items as tags, for code that works on tag lists
    bool operator==(const XDataItemList& other) const;

    // The bytes the items take in a drawing, as the host's 16 KB limit counts them.
    std::size_t DrawingBytes() const;
    // Appends the items as result buffers at *link and moves link past them; false when memory ran
    // out (the buffers made so far stay linked, for the caller to free with its chain).
    bool AppendResbufs(resbuf**& link) const;

    // The bytes one item takes in this list: for a string or binary value, its length.
    static std::size_t PackedSize(GroupValueKind kind, std::size_t length);

    // Fills a list of known size item by item (the size and count given must be exact).
    class Packer {
    public:
        Packer(XDataItemList& list, std::size_t bytes, std::size_t count);
        void String(int code, const char* text, std::size_t length);
        void Binary(int code, const unsigned char* data, std::size_t length);
        void Real(int code, double value);
        void Point(int code, double x, double y, double z, bool flat);
        void Integer(int code, std::int64_t value);
        void Id(int code, AcDbObjectId id);
        void Marker(int code);
        void Tag(const DxfTag& tag);

    private:
        void Code(int code);
        void Put(const void* data, std::size_t size);
        unsigned char* at_;
    };

private:
    // Lists of up to this many bytes keep them in the list itself.
    static constexpr std::size_t kKeptBytes = 24;
    bool Kept() const { return size_ <= kKeptBytes; }
    const unsigned char* Bytes() const { return Kept() ? kept_ : heap_; }
    // Room for bytes (the old items are dropped); the caller fills all of it.
    unsigned char* Allocate(std::size_t bytes, std::size_t count);
    void Release();
    // Takes other's items, leaving it empty; this list holds none.
    void TakeFrom(XDataItemList& other) noexcept;

    union {
        unsigned char* heap_;
        unsigned char kept_[kKeptBytes];
    };
    std::uint32_t size_ = 0;
    std::uint32_t count_ = 0;
};

}  // namespace platform::cad
