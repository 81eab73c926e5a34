// The A forms of the registry calls: names and string data in GBK, converted at this edge; the
// store keeps UTF-16 as Windows does, so A and W read each other's values.
#include "guard.h"
#include "platform/text/encoding.h"
#include "platform/win/registry.h"
#include "registry_core.h"

namespace reg = platform::win::registry;
using platform::text::GbkToUtf16;
using platform::text::Utf16ToGbk;

namespace {

std::u16string Name(LPCSTR text) { return text ? GbkToUtf16(text) : std::u16string(); }

// Stored UTF-16 string data as the GBK bytes an A caller sees (terminators included).
std::vector<BYTE> ToNarrowData(DWORD type, const std::vector<BYTE>& bytes) {
    if (!reg::IsStringType(type)) return bytes;
    const std::string text = Utf16ToGbk(platform::win::Utf16FromBytes(bytes));
    return std::vector<BYTE>(text.begin(), text.end());
}

}  // namespace

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
    return platform::win::GuardRegistry([&]() -> LONG {
        return reg::OpenKey(key, Name(subKey), access, result);
    });
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access, LPSECURITY_ATTRIBUTES, PHKEY result,
                     LPDWORD disposition) {
    return platform::win::GuardRegistry([&]() -> LONG {
        return reg::CreateKey(key, Name(subKey), access, result, disposition);
    });
}

LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    return platform::win::GuardRegistry([&]() -> LONG {
        if (data && !dataSize) return ERROR_INVALID_PARAMETER;
        DWORD storedType = 0;
        std::vector<BYTE> bytes;
        if (const LONG error = reg::QueryValue(key, Name(name), &storedType, &bytes)) return error;
        if (type) *type = storedType;
        return reg::DeliverData(ToNarrowData(storedType, bytes), data, dataSize);
    });
}

LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
    return platform::win::GuardRegistry([&]() -> LONG {
        if (!data && dataSize) return ERROR_NOACCESS;
        std::vector<BYTE> bytes(data, data + (data ? dataSize : 0));
        if (reg::IsStringType(type)) {
            bytes = platform::win::Utf16Bytes(GbkToUtf16(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
        }
        return reg::SetValue(key, Name(name), type, std::move(bytes));
    });
}

LONG RegDeleteValueA(HKEY key, LPCSTR name) {
    return platform::win::GuardRegistry([&]() -> LONG { return reg::DeleteValue(key, Name(name)); });
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD, LPSTR keyClass, LPDWORD classLength,
                   PFILETIME lastWrite) {
    return platform::win::GuardRegistry([&]() -> LONG {
        if (!name || !nameLength) return ERROR_INVALID_PARAMETER;
        std::u16string found;
        if (const LONG error = reg::EnumKey(key, index, &found, lastWrite)) return error;
        const std::string narrow = Utf16ToGbk(found);
        if (const LONG error = reg::DeliverName(std::string_view(narrow), name, nameLength)) return error;
        if (keyClass && classLength && *classLength > 0) {
            keyClass[0] = 0;
            *classLength = 0;
        }
        return ERROR_SUCCESS;
    });
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD, LPDWORD type, LPBYTE data,
                   LPDWORD dataSize) {
    return platform::win::GuardRegistry([&]() -> LONG {
        if (!name || !nameLength || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
        platform::win::RegValue value;
        if (const LONG error = reg::EnumValue(key, index, &value)) return error;
        const std::string narrow = Utf16ToGbk(value.name);
        if (const LONG error = reg::DeliverName(std::string_view(narrow), name, nameLength)) return error;
        if (type) *type = value.type;
        return reg::DeliverData(ToNarrowData(value.type, value.data), data, dataSize);
    });
}

LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classLength, LPDWORD, LPDWORD subKeys, LPDWORD maxSubKeyLength,
                      LPDWORD maxClassLength, LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                      LPDWORD securityDescriptor, PFILETIME lastWrite) {
    return platform::win::GuardRegistry([&]() -> LONG {
        reg::KeyInfo info;
        if (const LONG error = reg::QueryInfo(key, &info)) return error;
        if (keyClass && classLength && *classLength > 0) keyClass[0] = 0;
        reg::DeliverKeyInfo(
            info, [](const std::u16string& name) { return static_cast<DWORD>(Utf16ToGbk(name).size()); }, classLength, subKeys,
            maxSubKeyLength, maxClassLength, values, maxValueNameLength, maxValueLength, securityDescriptor, lastWrite);
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    return platform::win::GuardRegistry([&]() -> LONG { return reg::DeleteKey(key, Name(subKey)); });
}

LONG RegCopyTreeA(HKEY key, LPCSTR subKey, HKEY destination) {
    return platform::win::GuardRegistry([&]() -> LONG { return reg::CopyTree(key, Name(subKey), destination); });
}

LONG SHCopyKeyA(HKEY key, LPCSTR subKey, HKEY destination, DWORD) {
    return platform::win::GuardRegistry([&]() -> LONG { return reg::CopyTree(key, Name(subKey), destination); });
}
