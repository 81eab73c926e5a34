// Values kept by a 64-bit key (an object's handle, a hash) in one open-addressed table: no node
// per entry, and a look-up mostly touches one slot. The tables of one export run hold tens of
// thousands of lines, points and notes, which a node-based map scatters over the heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace cadastral {

template <typename Value>
class HandleTable {
public:
    // The key's value, or null.
    const Value* Find(std::uint64_t key) const {
        if (slots_.empty()) return nullptr;
        for (std::size_t i = Home(key);; i = Next(i)) {
            if (slots_[i].entry == 0) return nullptr;
            if (slots_[i].key == key) return &values_[slots_[i].entry - 1];
        }
    }
    // The key's value, made with no arguments when the key is new; true when it was made. The value
    // stays where it is as the table grows.
    std::pair<Value*, bool> TryEmplace(std::uint64_t key) {
        if (2 * (values_.size() + 1) > slots_.size()) Grow();
        std::size_t i = Home(key);
        for (; slots_[i].entry != 0; i = Next(i))
            if (slots_[i].key == key) return {&values_[slots_[i].entry - 1], false};
        values_.emplace_back();
        slots_[i] = {key, values_.size()};
        return {&values_.back(), true};
    }

private:
    struct Slot {
        std::uint64_t key = 0;
        std::size_t entry = 0;  // 1 + the value's place, 0 for a free slot
    };
    std::size_t Home(std::uint64_t key) const {
        std::uint64_t h = key * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
        return static_cast<std::size_t>(h) & (slots_.size() - 1);
    }
    std::size_t Next(std::size_t i) const { return (i + 1) & (slots_.size() - 1); }
    void Grow() {
        std::vector<Slot> old(slots_.empty() ? 64 : 2 * slots_.size());
        old.swap(slots_);
        for (const Slot& slot : old) {
            if (slot.entry == 0) continue;
            std::size_t i = Home(slot.key);
            while (slots_[i].entry != 0) i = Next(i);
            slots_[i] = slot;
        }
    }
    std::vector<Slot> slots_;
    std::deque<Value> values_;
};

// Handles seen: Insert is true the first time a handle is given.
class HandleSet {
public:
    bool Contains(std::uint64_t handle) const { return table_.Find(handle) != nullptr; }
    bool Insert(std::uint64_t handle) { return table_.TryEmplace(handle).second; }

private:
    struct Nothing {};
    HandleTable<Nothing> table_;
};

// Texts seen, found by their hash; the rare second text of a hash goes to a set of its own.
class TextSet {
public:
    bool Contains(const std::string& text) const {
        const std::string* first = firsts_.Find(std::hash<std::string>{}(text));
        return first != nullptr && (*first == text || others_.count(text) != 0);
    }
    // True the first time a text is given.
    bool Insert(std::string text) {
        auto [first, made] = firsts_.TryEmplace(std::hash<std::string>{}(text));
        if (made) {
            *first = std::move(text);
            return true;
        }
        return *first != text && others_.insert(std::move(text)).second;
    }

private:
    HandleTable<std::string> firsts_;
    std::unordered_set<std::string> others_;
};

}  // namespace cadastral
