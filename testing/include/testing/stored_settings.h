// The toolkit's number settings under HKCU\Software\Quorvane\Dero of a machine root, as the settings
// dialogs store them, for tests that run the host program on that root. The root is unset after.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win/registry.h"
#include "platform/win/root.h"

namespace dero::testing {

// Whether the setting was stored.
inline bool StoreSetting(const std::string& root, const char* name, std::int32_t value) {
    platform::win::SetRoot(root);
    HKEY key = nullptr;
    bool stored = RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quorvane\\Dero", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS;
    if (stored) {
        stored = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
                 ERROR_SUCCESS;
        RegCloseKey(key);
    }
    platform::win::SetRoot("");
    return stored;
}

// The stored setting; -1 when the key or value is missing.
inline std::int32_t StoredSetting(const std::string& root, const char* name) {
    platform::win::SetRoot(root);
    std::int32_t value = -1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quorvane\\Dero", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD size = sizeof value;
        if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
            value = -1;
        RegCloseKey(key);
    }
    platform::win::SetRoot("");
    return value;
}

}  // namespace dero::testing
