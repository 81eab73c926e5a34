#include "platform/cad/resbuf.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "platform/cad/group_codes.h"

using platform::cad::GroupKindOf;
using platform::cad::GroupValueKind;
using platform::cad::IsKnownGroupCode;

resbuf* acutNewRb(int type)
{
    // malloc, not calloc: listings run to millions of these, and the C library keeps freed blocks
    // of this size at hand only for malloc. The members are cleared one by one because a memset of
    // the whole block is turned back into calloc by the compiler.
    auto* rb = static_cast<resbuf*>(std::malloc(sizeof(resbuf)));
    if (rb != nullptr) {
        rb->rbnext = nullptr;
        rb->restype = static_cast<short>(type);
        std::memset(&rb->resval, 0, sizeof(rb->resval));
    }
    return rb;
}

int acutRelRb(resbuf* rb)
{
    while (rb != nullptr) {
        resbuf* next = rb->rbnext;
        GroupValueKind kind = GroupKindOf(rb->restype);
        if (kind == GroupValueKind::String)
            std::free(rb->resval.rstring);
        else if (kind == GroupValueKind::Binary)
            std::free(rb->resval.rbinary.buf);
        std::free(rb);
        rb = next;
    }
    return RTNORM;
}

char* acutNewString(const char* text)
{
    if (text == nullptr)
        return nullptr;
    std::size_t n = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(std::malloc(n));
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
