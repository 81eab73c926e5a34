// Thread-local storage slots.
#include "platform/win/thread_slots.h"

#include <array>
#include <bitset>
#include <mutex>

namespace {

constexpr std::size_t kSlots = 1088;  // as many as Windows offers

std::mutex slotMutex;
std::bitset<kSlots> taken;
// A slot freed and allocated again must read null on every thread: each use has a generation.
std::array<unsigned, kSlots> generation{};

struct Value {
    void* value = nullptr;
    unsigned generation = 0;
};
thread_local std::array<Value, kSlots> values;

BOOL Fail(LONG error) {
    SetLastError(static_cast<DWORD>(error));
    return FALSE;
}

bool Taken(DWORD slot, unsigned* gen) {
    std::lock_guard lock(slotMutex);
    if (slot >= kSlots || !taken[slot]) return false;
    *gen = generation[slot];
    return true;
}

}  // namespace

DWORD TlsAlloc() {
    std::lock_guard lock(slotMutex);
    for (std::size_t slot = 0; slot < kSlots; ++slot)
        if (!taken[slot]) {
            taken[slot] = true;
            ++generation[slot];
            return static_cast<DWORD>(slot);
        }
    SetLastError(static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    return TLS_OUT_OF_INDEXES;
}

BOOL TlsFree(DWORD slot) {
    std::lock_guard lock(slotMutex);
    if (slot >= kSlots || !taken[slot]) return Fail(ERROR_INVALID_PARAMETER);
    taken[slot] = false;
    return TRUE;
}

LPVOID TlsGetValue(DWORD slot) {
    unsigned gen = 0;
    if (!Taken(slot, &gen)) {
        Fail(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    SetLastError(0);
    const Value& value = values[slot];
    return value.generation == gen ? value.value : nullptr;
}

BOOL TlsSetValue(DWORD slot, LPVOID value) {
    unsigned gen = 0;
    if (!Taken(slot, &gen)) return Fail(ERROR_INVALID_PARAMETER);
    values[slot] = Value{value, gen};
    return TRUE;
}
