// Blocks for the strings of result buffers. Chains are built and freed millions of times, so the
// host keeps the blocks of short strings freed with a chain for the next one. A block comes from
// the C library's heap, so a caller may still free it with free() or acutRelRb.
#pragma once

#include <cstddef>

namespace platform::cad {

// A block of at least the given bytes, for a string of a result buffer.
char* NewChainString(std::size_t bytes);
// Frees a string of a result buffer (null is let be).
void FreeChainString(char* text);

}  // namespace platform::cad
