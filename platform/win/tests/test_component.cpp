// A component library as an installer registers it: DllRegisterServer records its class in the
// registry; DllUnregisterServer removes it.
#include "platform/win/registry.h"

extern "C" __attribute__((visibility("default"))) HRESULT DllRegisterServer() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, u"CLSID\\{0D3E5C1A-7B21-4F0E-9A55-3C0FFEE00001}\\InprocServer32",
                        0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return E_FAIL;
    static const char16_t kPath[] = u"x.dll";
    const LONG result =
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kPath), sizeof kPath);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? S_OK : E_FAIL;
}
