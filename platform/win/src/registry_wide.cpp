// The W forms of the registry calls.
#include "guard.h"
#include "platform/win/registry.h"
#include "registry_core.h"

namespace reg = platform::win::registry;

namespace {
std::u16string_view Name(LPCWSTR text) { return text ? std::u16string_view(text) : std::u16string_view(); }
}  // namespace

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM access, PHKEY result) {
    return platform::win::GuardRegistry([&]() -> LONG {
        return reg::OpenKey(key, Name(subKey), access, result);
    });
}

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM access, LPSECURITY_ATTRIBUTES, PHKEY result,
                     LPDWORD disposition) {
    return platform::win::GuardRegistry([&]() -> LONG {
        return reg::CreateKey(key, Name(subKey), access, result, disposition);
    });
}

LONG RegCloseKey(HKEY key) {
    return platform::win::GuardRegistry([&]() -> LONG { return reg::CloseKey(key); });
}

LONG RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    return platform::win::GuardRegistry([&]() -> LONG {
        if (data && !dataSize) return ERROR_INVALID_PARAMETER;
        std::vector<BYTE> bytes;
        if (const LONG error = reg::QueryValue(key, Name(name), type, &bytes)) return error;
        return reg::DeliverData(bytes, data, dataSize);
    });
}

LONG RegSetValueExW(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
    return platform::win::GuardRegistry([&]() -> LONG {
        if (!data && dataSize) return ERROR_NOACCESS;
        return reg::SetValue(key, Name(name), type, std::vector<BYTE>(data, data + (data ? dataSize : 0)));
    });
}

LONG RegDeleteValueW(HKEY key, LPCWSTR name) {
    return platform::win::GuardRegistry([&]() -> LONG { return reg::DeleteValue(key, Name(name)); });
}

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD, LPWSTR keyClass,
                   LPDWORD classLength, PFILETIME lastWrite) {
    return platform::win::GuardRegistry([&]() -> LONG {
        if (!name || !nameLength) return ERROR_INVALID_PARAMETER;
        std::u16string found;
        if (const LONG error = reg::EnumKey(key, index, &found, lastWrite)) return error;
        if (const LONG error = reg::DeliverName(std::u16string_view(found), name, nameLength)) return error;
        if (keyClass && classLength && *classLength > 0) {
            keyClass[0] = 0;
            *classLength = 0;
        }
        return ERROR_SUCCESS;
    });
}

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD, LPDWORD type, LPBYTE data,
                   LPDWORD dataSize) {
    return platform::win::GuardRegistry([&]() -> LONG {
        if (!name || !nameLength || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
        platform::win::RegValue value;
        if (const LONG error = reg::EnumValue(key, index, &value)) return error;
        if (const LONG error = reg::DeliverName(std::u16string_view(value.name), name, nameLength)) return error;
        if (type) *type = value.type;
        return reg::DeliverData(value.data, data, dataSize);
    });
}

LONG RegQueryInfoKeyW(HKEY key, LPWSTR keyClass, LPDWORD classLength, LPDWORD, LPDWORD subKeys, LPDWORD maxSubKeyLength,
                      LPDWORD maxClassLength, LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                      LPDWORD securityDescriptor, PFILETIME lastWrite) {
    return platform::win::GuardRegistry([&]() -> LONG {
        reg::KeyInfo info;
        if (const LONG error = reg::QueryInfo(key, &info)) return error;
        if (keyClass && classLength && *classLength > 0) keyClass[0] = 0;
        reg::DeliverKeyInfo(
            info, [](const std::u16string& name) { return static_cast<DWORD>(name.size()); }, classLength, subKeys,
            maxSubKeyLength, maxClassLength, values, maxValueNameLength, maxValueLength, securityDescriptor, lastWrite);
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
    return platform::win::GuardRegistry([&]() -> LONG { return reg::DeleteKey(key, Name(subKey)); });
}

LONG RegCopyTreeW(HKEY key, LPCWSTR subKey, HKEY destination) {
    return platform::win::GuardRegistry([&]() -> LONG { return reg::CopyTree(key, Name(subKey), destination); });
}

LONG SHCopyKeyW(HKEY key, LPCWSTR subKey, HKEY destination, DWORD) {
    return platform::win::GuardRegistry([&]() -> LONG { return reg::CopyTree(key, Name(subKey), destination); });
}
