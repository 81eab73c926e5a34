#include "setup/cabinet/blowfish.h"

#include <algorithm>
#include <cstring>

#include "blowfish_tables.h"

namespace Cabinet {
namespace {

std::uint32_t F(const BlowfishState* state, std::uint32_t x) {
    return ((state->s[0][x >> 24] + state->s[1][(x >> 16) & 0xFF]) ^ state->s[2][(x >> 8) & 0xFF]) +
           state->s[3][x & 0xFF];
}

std::uint32_t Load(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
void Store(std::uint32_t v, unsigned char* p) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

}  // namespace

void BlowfishEncryptBlock(const BlowfishState* state, std::uint32_t block[2]) {
    std::uint32_t left = block[0], right = block[1];
    for (int round = 0; round < 16; ++round) {
        left ^= state->p[round];
        right ^= F(state, left);
        std::swap(left, right);
    }
    std::swap(left, right);
    right ^= state->p[16];
    left ^= state->p[17];
    block[0] = left;
    block[1] = right;
}

void BlowfishDecryptBlock(const BlowfishState* state, std::uint32_t block[2]) {
    std::uint32_t left = block[0], right = block[1];
    for (int round = 17; round > 1; --round) {
        left ^= state->p[round];
        right ^= F(state, left);
        std::swap(left, right);
    }
    std::swap(left, right);
    right ^= state->p[1];
    left ^= state->p[0];
    block[0] = left;
    block[1] = right;
}

void BlowfishSetKey(BlowfishState* state, const unsigned char* key, std::size_t length) {
    state->keySet = false;
    if (length == 0 || !key) return;
    std::memcpy(state->p, kBlowfishInitialP, sizeof state->p);
    std::memcpy(state->s, kBlowfishInitialS, sizeof state->s);
    std::size_t next = 0;
    for (std::uint32_t& word : state->p) {
        std::uint32_t data = 0;
        for (int i = 0; i < 4; ++i) {
            data = (data << 8) | key[next];
            next = (next + 1) % length;
        }
        word ^= data;
    }
    std::uint32_t block[2] = {0, 0};
    for (int i = 0; i < 18; i += 2) {
        BlowfishEncryptBlock(state, block);
        state->p[i] = block[0];
        state->p[i + 1] = block[1];
    }
    for (auto& box : state->s)
        for (int i = 0; i < 256; i += 2) {
            BlowfishEncryptBlock(state, block);
            box[i] = block[0];
            box[i + 1] = block[1];
        }
    state->keySet = true;
}

std::size_t DecipherBlocks(const BlowfishState* state, int direction, unsigned char* first, std::size_t count) {
    if (!state->keySet) return 0;
    for (std::size_t i = 0; i < count; ++i) {
        unsigned char* bytes = first + 8 * i;
        std::uint32_t block[2] = {Load(bytes), Load(bytes + 4)};
        if (direction == 0)
            BlowfishDecryptBlock(state, block);
        else
            BlowfishEncryptBlock(state, block);
        Store(block[0], bytes);
        Store(block[1], bytes + 4);
    }
    return count;
}

}  // namespace Cabinet
