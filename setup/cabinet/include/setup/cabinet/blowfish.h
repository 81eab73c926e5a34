// Blowfish (16 rounds), the cipher of enciphered cabinets.
#pragma once
#include <cstddef>
#include <cstdint>

namespace Cabinet {

struct BlowfishState {
    bool keySet = false;
    std::uint32_t p[18] = {};
    std::uint32_t s[4][256] = {};
};

// Length 0 leaves the state without a key; bytes past the first 72 have no effect.
void BlowfishSetKey(BlowfishState* state, const unsigned char* key, std::size_t length);
// block[0] is the left half.
void BlowfishEncryptBlock(const BlowfishState* state, std::uint32_t block[2]);
void BlowfishDecryptBlock(const BlowfishState* state, std::uint32_t block[2]);
// Deciphers (direction 0) or enciphers (1) count blocks of 8 bytes in place, each half stored least
// significant byte first. Returns the number of blocks done: 0 without a key.
std::size_t DecipherBlocks(const BlowfishState* state, int direction, unsigned char* first, std::size_t count);

}  // namespace Cabinet
