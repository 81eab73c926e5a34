#include "setup/engine/registry_trees.h"

#include <string>
#include <vector>

#include "engine_support.h"
#include "platform/win/registry.h"

namespace Setup {
namespace {

struct Value {
    std::u16string name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Reads value index whole, growing the buffers until they fit.
bool ReadValue(HKEY key, DWORD index, DWORD nameHint, DWORD dataHint, Value* value) {
    std::vector<char16_t> name(std::max<DWORD>(nameHint, 255) + 1);
    std::vector<BYTE> data(std::max<DWORD>(dataHint, 1024));
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        const LONG result = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize);
        if (result == ERROR_SUCCESS) {
            value->name.assign(name.data(), nameLength);
            value->type = type;
            value->data.assign(data.begin(), data.begin() + dataSize);
            return true;
        }
        if (result != ERROR_MORE_DATA) return false;
        // Names are limited to 16383 characters; data only by memory.
        name.resize(16384);
        data.resize(std::max<std::size_t>(data.size() * 2, dataSize));
    }
    return false;
}

}  // namespace

bool CopyRegistryTree(HKEY source, HKEY destination) {
    DWORD subkeyCount = 0, valueCount = 0, longestName = 0, largestData = 0;
    if (RegQueryInfoKeyW(source, nullptr, nullptr, nullptr, &subkeyCount, nullptr, nullptr, &valueCount, &longestName,
                         &largestData, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    bool whole = true;
    std::vector<Value> values;
    for (DWORD i = 0; i < valueCount; ++i) {
        Value value;
        if (ReadValue(source, i, longestName, largestData, &value)) values.push_back(std::move(value));
        else whole = false;
    }
    std::vector<std::u16string> subkeys;
    for (DWORD i = 0; i < subkeyCount; ++i) {
        char16_t name[256] = {};
        DWORD length = 256;
        if (RegEnumKeyExW(source, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            subkeys.emplace_back(name, length);
        else whole = false;
    }

    for (const Value& value : values) {
        if (RegSetValueExW(destination, value.name.c_str(), 0, value.type, value.data.data(),
                           static_cast<DWORD>(value.data.size())) != ERROR_SUCCESS)
            whole = false;
    }
    for (const std::u16string& name : subkeys) {
        detail::RegKey from, to;
        if (!from.Open(source, name, KEY_READ) || !to.Create(destination, name, KEY_READ | KEY_WRITE) ||
            !CopyRegistryTree(from.get(), to.get()))
            whole = false;
    }
    return whole;
}

bool DeleteRegistryTree(HKEY key, std::u16string_view subkey) {
    constexpr std::size_t kPathLimit = 520;
    if (subkey.empty() || subkey.size() >= kPathLimit) return false;
    const std::u16string path(subkey);
    if (RegDeleteKeyW(key, path.c_str()) == ERROR_SUCCESS) return true;
    HKEY open = nullptr;
    const LONG opened = RegOpenKeyExW(key, path.c_str(), 0, KEY_READ | KEY_WRITE | DELETE, &open);
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;
    bool emptied = true;
    for (;;) {
        char16_t name[261] = {};
        DWORD length = 261;
        if (RegEnumKeyExW(open, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (!DeleteRegistryTree(open, std::u16string_view(name, length))) {
            emptied = false;
            break;
        }
    }
    RegCloseKey(open);
    return emptied && RegDeleteKeyW(key, path.c_str()) == ERROR_SUCCESS;
}

}  // namespace Setup
