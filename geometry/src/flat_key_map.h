#pragma once
// An open-addressing map from 64-bit keys to 32-bit values. Point clusters and the piece set look
// keys up several times per cut point; node-based maps spend most of that time allocating.
#include <cstdint>
#include <vector>

namespace geometry::detail {

class FlatKeyMap {
public:
    static constexpr uint32_t kNone = UINT32_MAX;

    uint32_t Find(uint64_t key) const {
        if (slots_.empty()) return kNone;
        for (size_t i = Hash(key) & mask_;; i = (i + 1) & mask_) {
            const Slot& slot = slots_[i];
            if (slot.value == kNone) return kNone;
            if (slot.key == key) return slot.value;
        }
    }

    // Sets the value of the key, adding the key when it is new. kNone cannot be stored.
    void Set(uint64_t key, uint32_t value) {
        if ((count_ + 1) * 2 > slots_.size()) Grow();
        for (size_t i = Hash(key) & mask_;; i = (i + 1) & mask_) {
            Slot& slot = slots_[i];
            if (slot.value == kNone) {
                slot = {key, value};
                ++count_;
                return;
            }
            if (slot.key == key) {
                slot.value = value;
                return;
            }
        }
    }

private:
    struct Slot {
        uint64_t key = 0;
        uint32_t value = kNone;
    };

    static size_t Hash(uint64_t key) {
        key ^= key >> 33;
        key *= 0xff51afd7ed558ccdULL;
        key ^= key >> 33;
        key *= 0xc4ceb9fe1a85ec53ULL;
        key ^= key >> 33;
        return static_cast<size_t>(key);
    }

    void Grow() {
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
        mask_ = slots_.size() - 1;
        count_ = 0;
        for (const Slot& slot : old) {
            if (slot.value != kNone) Set(slot.key, slot.value);
        }
    }

    std::vector<Slot> slots_;
    size_t mask_ = 0;
    size_t count_ = 0;
};

}  // namespace geometry::detail
