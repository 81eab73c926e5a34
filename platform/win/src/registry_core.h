// The registry operations in one form (UTF-16 names, raw value bytes); the W and A entry points
// add the Win32 buffer rules and, for A, the GBK conversions.
#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/registry.h"
#include "reg_tree.h"
#include "utf16_bytes.h"

namespace platform::win::registry {

LONG OpenKey(HKEY key, std::u16string_view subKey, REGSAM access, PHKEY result);
LONG CreateKey(HKEY key, std::u16string_view subKey, REGSAM access, PHKEY result, LPDWORD disposition);
LONG CloseKey(HKEY key);
LONG QueryValue(HKEY key, std::u16string_view name, DWORD* type, std::vector<BYTE>* data);
LONG SetValue(HKEY key, std::u16string_view name, DWORD type, std::vector<BYTE> data);
LONG DeleteValue(HKEY key, std::u16string_view name);
LONG EnumKey(HKEY key, DWORD index, std::u16string* name, FILETIME* lastWrite);
LONG EnumValue(HKEY key, DWORD index, RegValue* value);

struct KeyInfo {
    std::vector<std::u16string> subkeys;
    std::vector<std::u16string> valueNames;
    DWORD maxValueSize = 0;
    FILETIME lastWrite{};
};
LONG QueryInfo(HKEY key, KeyInfo* info);
// Fills RegQueryInfoKey's figures (every pointer may be null). nameLength measures a name in the
// caller's units: UTF-16 units for W callers, GBK bytes for A callers. Keys have no class here.
void DeliverKeyInfo(const KeyInfo& info, DWORD (*nameLength)(const std::u16string&), LPDWORD classLength,
                    LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values,
                    LPDWORD maxValueNameLength, LPDWORD maxValueLength, LPDWORD securityDescriptor,
                    PFILETIME lastWrite);
LONG DeleteKey(HKEY key, std::u16string_view subKey);
LONG CopyTree(HKEY key, std::u16string_view subKey, HKEY destination);

inline bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Hands a value's bytes to a caller's buffer by the Win32 rules: no buffer gives the size; a short
// buffer gives ERROR_MORE_DATA and the size needed.
inline LONG DeliverData(const std::vector<BYTE>& bytes, LPBYTE data, LPDWORD dataSize) {
    if (data && !dataSize) return ERROR_INVALID_PARAMETER;
    if (!dataSize) return ERROR_SUCCESS;
    const auto size = static_cast<DWORD>(bytes.size());
    if (data) {
        if (*dataSize < size) {
            *dataSize = size;
            return ERROR_MORE_DATA;
        }
        if (size) std::memcpy(data, bytes.data(), size);
    }
    *dataSize = size;
    return ERROR_SUCCESS;
}

// Hands a name to a caller's buffer: the length in characters must leave room for the zero.
template <typename Char>
LONG DeliverName(std::basic_string_view<Char> name, Char* buffer, LPDWORD length) {
    if (!buffer || !length) return ERROR_INVALID_PARAMETER;
    if (*length <= name.size()) return ERROR_MORE_DATA;
    std::copy(name.begin(), name.end(), buffer);
    buffer[name.size()] = 0;
    *length = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

}  // namespace platform::win::registry
