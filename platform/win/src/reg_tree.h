// The in-memory form of one hive: keys keep the case they were created with and are found
// without it; sub-keys are held sorted by their folded names, values in the order first set
// (found through an index of their folded names, as a key may hold tens of thousands).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/win/win_types.h"

namespace platform::win {

struct RegValue {
    std::u16string name;  // empty: the default value
    DWORD type = 0;
    std::vector<BYTE> data;
};

class RegKey {
public:
    explicit RegKey(std::u16string name = {}) : name_(std::move(name)) {}
    ~RegKey();
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    const std::u16string& name() const { return name_; }
    const std::vector<RegValue>& values() const { return values_; }
    const std::map<std::u16string, std::unique_ptr<RegKey>>& subkeys() const { return subkeys_; }

    RegKey* Find(std::u16string_view name) const;
    RegKey& Ensure(std::u16string_view name, bool* created = nullptr);
    bool Remove(std::u16string_view name);

    const RegValue* FindValue(std::u16string_view name) const;
    // Replaces the data and type of an existing value in its place, or appends a new one.
    void SetValue(std::u16string_view name, DWORD type, std::vector<BYTE> data);
    bool RemoveValue(std::u16string_view name);

    // Copies the values and sub-keys of source into this key (values replaced, keys merged).
    void Merge(const RegKey& source);
    std::unique_ptr<RegKey> Clone() const;
    // Levels of keys below this one (0 for a key without sub-keys).
    std::size_t Height() const;

private:
    std::u16string name_;
    std::vector<RegValue> values_;
    std::unordered_map<std::u16string, std::size_t> valueIndex_;  // folded name -> place in values_
    std::map<std::u16string, std::unique_ptr<RegKey>> subkeys_;
};

// Windows' limit on the length of one key name.
constexpr std::size_t kMaxKeyNameLength = 255;

// Windows' limit on the depth of a key below its hive.
constexpr std::size_t kMaxKeyDepth = 512;

// Names must survive the line-based hive file: no line breaks, no unpaired UTF-16 surrogates.
// Windows would take them, but one such name would make the whole hive file unreadable.
bool IsStorableName(std::u16string_view name);

// Splits "a\b\c" into its names. A trailing backslash is allowed; a leading one or an empty name
// inside gives ERROR_BAD_PATHNAME, a name over 255 characters or one that cannot be stored ERROR_INVALID_PARAMETER.
LONG SplitKeyPath(std::u16string_view path, std::vector<std::u16string>& names);

}  // namespace platform::win
