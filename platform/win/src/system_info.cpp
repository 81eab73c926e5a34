// The computer name, the environment and short path forms.
#include "platform/win/system_info.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "file_support.h"
#include "fold_case.h"
#include "guard.h"
#include "platform/text/encoding.h"
#include "platform/win/machine.h"

extern char** environ;

namespace platform::win {
namespace {

// The value of the variable, compared without case as Windows does; false when it is not set.
bool FindVariable(std::u16string_view name, std::u16string* value) {
    const std::string wanted = FoldCase(std::string_view(text::Utf16ToUtf8(name)));
    if (wanted.empty() || wanted.find('=') != std::string::npos)
        return false;
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (!equals)
            continue;
        if (FoldCase(std::string_view(*entry, static_cast<std::size_t>(equals - *entry))) == wanted) {
            *value = text::Utf8ToUtf16(equals + 1);
            return true;
        }
    }
    return false;
}

}  // namespace
}  // namespace platform::win

BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL {
        if (!size) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const std::u16string name = platform::win::ReadMachineFacts().computerName;
        if (!buffer || *size <= name.size()) {
            *size = static_cast<DWORD>(name.size() + 1);
            SetLastError(ERROR_BUFFER_OVERFLOW);
            return FALSE;
        }
        std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
        *size = static_cast<DWORD>(name.size());
        return TRUE;
    });
}

DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
    return platform::win::Guard<DWORD>(0u, [&]() -> DWORD {
        std::u16string value;
        if (!platform::win::FindVariable(platform::win::View(name), &value)) {
            SetLastError(ERROR_ENVVAR_NOT_FOUND);
            return 0;
        }
        return platform::win::CopyOrNeed(std::u16string_view(value), buffer, size);
    });
}

DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD size) {
    return platform::win::Guard<DWORD>(0u, [&]() -> DWORD {
        const std::u16string_view path = platform::win::View(longPath);
        const platform::win::FilePath resolved = platform::win::ResolveFilePath(path);
        if (!resolved.ok()) {
            SetLastError(static_cast<DWORD>(resolved.error));
            return 0;
        }
        struct stat st;
        if (stat(resolved.native.c_str(), &st) != 0) {
            SetLastError(static_cast<DWORD>(platform::win::MissingError(resolved.native)));
            return 0;
        }
        return platform::win::CopyOrNeed(path, shortPath, size);
    });
}

DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
    return platform::win::Guard<DWORD>(0u, [&]() -> DWORD {
        const std::string path = longPath != nullptr ? longPath : "";
        const platform::win::FilePath resolved = platform::win::ResolveFilePath(platform::win::Widen(longPath));
        if (!resolved.ok()) {
            SetLastError(static_cast<DWORD>(resolved.error));
            return 0;
        }
        struct stat st;
        if (stat(resolved.native.c_str(), &st) != 0) {
            SetLastError(static_cast<DWORD>(platform::win::MissingError(resolved.native)));
            return 0;
        }
        if (shortPath == nullptr || size <= path.size())
            return static_cast<DWORD>(path.size() + 1);
        std::memcpy(shortPath, path.c_str(), path.size() + 1);
        return static_cast<DWORD>(path.size());
    });
}
