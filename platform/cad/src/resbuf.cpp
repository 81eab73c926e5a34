#include "platform/cad/resbuf.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include <malloc.h>

#include "platform/cad/group_codes.h"
#include "resbuf_blocks.h"

using platform::cad::GroupKindOf;
using platform::cad::GroupValueKind;
using platform::cad::IsKnownGroupCode;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kRecycleBlocks = false;  // the sanitizer must see every block freed
#else
constexpr bool kRecycleBlocks = true;
#endif

// Blocks of one size freed with a chain, kept for the next chain. Every read of an entity's data
// builds a chain and its caller frees it at once, so the same few thousand blocks serve millions
// of reads; handing them to the C library's heap each time costs far more (its small-block caches
// hold a handful of blocks, the rest goes through its general lists). The kept blocks are still
// the C library's own, so a block a caller frees with free() is no harm.
template <std::size_t kBytes>
class RecycledBlocks {
public:
    static_assert(kBytes >= sizeof(void*));

    RecycledBlocks() = default;
    RecycledBlocks(const RecycledBlocks&) = delete;
    RecycledBlocks& operator=(const RecycledBlocks&) = delete;
    ~RecycledBlocks()
    {
        while (head_ != nullptr)
            std::free(Pop());
        count_ = kMostKept;  // blocks freed after this (at exit) go straight back to the heap
    }

    void* Take() { return head_ != nullptr ? Pop() : std::malloc(kBytes); }

    void Give(void* block)
    {
        if (!kRecycleBlocks || count_ == kMostKept) {
            std::free(block);
            return;
        }
        std::memcpy(block, &head_, sizeof head_);
        head_ = block;
        ++count_;
    }

private:
    // Enough for the longest chains a command reads in a loop; a few hundred kilobytes at most.
    static constexpr std::size_t kMostKept = 4096;

    void* Pop()
    {
        void* block = head_;
        std::memcpy(&head_, block, sizeof head_);
        --count_;
        return block;
    }

    void* head_ = nullptr;
    std::size_t count_ = 0;
};

// Strings of a chain up to this size (with their zero) take a block of just this size: the
// smallest the C library hands out, so a short string costs no more than before.
constexpr std::size_t kShortStringBytes = 24;

// Each thread keeps its own blocks. The host library is loaded with the program, so its
// thread-local data can sit at a fixed place (no look-up through the loader on every buffer).
RecycledBlocks<sizeof(resbuf)>& RecycledBuffers()
{
    thread_local RecycledBlocks<sizeof(resbuf)> blocks __attribute__((tls_model("initial-exec")));
    return blocks;
}

RecycledBlocks<kShortStringBytes>& RecycledStrings()
{
    thread_local RecycledBlocks<kShortStringBytes> blocks __attribute__((tls_model("initial-exec")));
    return blocks;
}

}  // namespace

namespace platform::cad {

char* NewChainString(std::size_t bytes)
{
    if (kRecycleBlocks && bytes <= kShortStringBytes)
        return static_cast<char*>(RecycledStrings().Take());
    return static_cast<char*>(std::malloc(bytes));
}

void FreeChainString(char* text)
{
    // A caller may have put a block of its own in the chain: only blocks of the short strings'
    // size go back to their list.
    if (text != nullptr && kRecycleBlocks && malloc_usable_size(text) == kShortStringBytes)
        RecycledStrings().Give(text);
    else
        std::free(text);
}

}  // namespace platform::cad

resbuf* acutNewRb(int type)
{
    // Not calloc: the members are cleared one by one because a memset of the whole block is
    // turned into calloc by the compiler.
    auto* rb = static_cast<resbuf*>(RecycledBuffers().Take());
    if (rb != nullptr) {
        rb->rbnext = nullptr;
        rb->restype = static_cast<short>(type);
        std::memset(&rb->resval, 0, sizeof(rb->resval));
    }
    return rb;
}

int acutRelRb(resbuf* rb)
{
    auto& buffers = RecycledBuffers();
    while (rb != nullptr) {
        resbuf* next = rb->rbnext;
        GroupValueKind kind = GroupKindOf(rb->restype);
        if (kind == GroupValueKind::String)
            platform::cad::FreeChainString(rb->resval.rstring);
        else if (kind == GroupValueKind::Binary)
            std::free(rb->resval.rbinary.buf);
        buffers.Give(rb);
        rb = next;
    }
    return RTNORM;
}

char* acutNewString(const char* text)
{
    if (text == nullptr)
        return nullptr;
    std::size_t n = std::strlen(text) + 1;
    char* copy = platform::cad::NewChainString(n);
    if (copy != nullptr)
        std::memcpy(copy, text, n);
    return copy;
}

resbuf* acutBuildList(int type, ...)
{
    va_list args;
    va_start(args, type);
    resbuf* head = nullptr;
    resbuf* tail = nullptr;
    bool ok = true;
    // The list ends at 0 or at RTNONE, as callers of the host write it either way.
    for (int code = type; code != 0 && code != RTNONE && ok; code = va_arg(args, int)) {
        if (!IsKnownGroupCode(code)) {
            ok = false;
            break;
        }
        resbuf* rb = acutNewRb(code);
        if (rb == nullptr) {
            ok = false;
            break;
        }
        switch (GroupKindOf(code)) {
        case GroupValueKind::None:
            break;
        case GroupValueKind::String: {
            const char* text = va_arg(args, const char*);
            rb->resval.rstring = acutNewString(text);
            ok = rb->resval.rstring != nullptr;
            break;
        }
        case GroupValueKind::Real:
            rb->resval.rreal = va_arg(args, double);
            break;
        case GroupValueKind::Point: {
            const double* p = va_arg(args, const double*);
            if (p == nullptr)
                ok = false;
            else
                std::memcpy(rb->resval.rpoint, p, sizeof(rb->resval.rpoint));
            break;
        }
        case GroupValueKind::Int16:
        case GroupValueKind::Bool:
            rb->resval.rint = static_cast<short>(va_arg(args, int));
            break;
        case GroupValueKind::Int32:
            // Callers pass long; keep the host's 32-bit value whatever the upper half holds.
            rb->resval.rlong = static_cast<std::int32_t>(va_arg(args, long));
            break;
        case GroupValueKind::Int64:
            rb->resval.mnInt64 = va_arg(args, long long);
            break;
        case GroupValueKind::Name: {
            const std::int64_t* name = va_arg(args, const std::int64_t*);
            if (name == nullptr) {
                ok = false;
            } else {
                rb->resval.rlname[0] = name[0];
                rb->resval.rlname[1] = name[1];
            }
            break;
        }
        case GroupValueKind::Binary: {
            const ads_binary* chunk = va_arg(args, const ads_binary*);
            if (chunk == nullptr || chunk->clen < 0 || (chunk->clen > 0 && chunk->buf == nullptr)) {
                ok = false;
                break;
            }
            rb->resval.rbinary.clen = chunk->clen;
            rb->resval.rbinary.buf = static_cast<char*>(std::malloc(chunk->clen > 0 ? chunk->clen : 1));
            if (rb->resval.rbinary.buf == nullptr)
                ok = false;
            else if (chunk->clen > 0)
                std::memcpy(rb->resval.rbinary.buf, chunk->buf, static_cast<std::size_t>(chunk->clen));
            break;
        }
        }
        if (head == nullptr)
            head = rb;
        else
            tail->rbnext = rb;
        tail = rb;
    }
    va_end(args);
    if (!ok) {
        acutRelRb(head);
        return nullptr;
    }
    return head;
}
