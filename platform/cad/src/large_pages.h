// A hint for the large buffers of reading a drawing (its text, its groups, its records): touched
// once in order, they are mapped by the kernel with a fault every 2 MB rather than every 4 KB.
#pragma once

#include <cstddef>
#include <cstdint>

#include <sys/mman.h>

namespace platform::cad {

// Asks for large pages over the whole 2 MB pages inside the buffer; nothing changes if the kernel
// declines.
inline void AskForLargePages(void* data, std::size_t bytes) {
    constexpr std::uintptr_t kLarge = 2u << 20;
    auto begin = (reinterpret_cast<std::uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
    auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kLarge - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace platform::cad
