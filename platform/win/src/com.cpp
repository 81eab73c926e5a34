// COM apartments, the class table and BSTR strings.
#include "platform/win/com.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace platform::win {
namespace {

struct Apartment {
    int initializations = 0;
    DWORD model = COINIT_APARTMENTTHREADED;
};
thread_local Apartment apartment;

struct ClassEntry {
    CLSID clsid;
    ComClassFactory factory;
};

std::mutex classMutex;
std::vector<ClassEntry>& Classes() {
    static auto* classes = new std::vector<ClassEntry>();
    return *classes;
}

HRESULT Initialize(DWORD model) {
    model &= COINIT_APARTMENTTHREADED;
    if (apartment.initializations > 0) {
        if (apartment.model != model)
            return RPC_E_CHANGED_MODE;
        ++apartment.initializations;
        return S_FALSE;
    }
    apartment.model = model;
    apartment.initializations = 1;
    return S_OK;
}

// The length prefix sits in the four bytes before the text, as callers of SysStringByteLen expect.
constexpr std::size_t kPrefix = sizeof(std::uint32_t);

}  // namespace

void RegisterComClass(REFCLSID clsid, ComClassFactory factory) {
    std::lock_guard lock(classMutex);
    for (ClassEntry& entry : Classes()) {
        if (entry.clsid == clsid) {
            entry.factory = factory;
            return;
        }
    }
    Classes().push_back({clsid, factory});
}

int ComInitializations() {
    return apartment.initializations;
}

}  // namespace platform::win

HRESULT CoInitialize(LPVOID) {
    return platform::win::Initialize(COINIT_APARTMENTTHREADED);
}
HRESULT CoInitializeEx(LPVOID, DWORD model) {
    return platform::win::Initialize(model);
}
HRESULT OleInitialize(LPVOID) {
    return platform::win::Initialize(COINIT_APARTMENTTHREADED);
}
void OleUninitialize() {
    CoUninitialize();
}

void CoUninitialize() {
    if (platform::win::apartment.initializations > 0)
        --platform::win::apartment.initializations;
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD, REFIID iid, LPVOID* object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (platform::win::apartment.initializations == 0)
        return CO_E_NOTINITIALIZED;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    platform::win::ComClassFactory factory = nullptr;
    {
        std::lock_guard lock(platform::win::classMutex);
        for (const auto& entry : platform::win::Classes())
            if (entry.clsid == clsid)
                factory = entry.factory;
    }
    if (!factory)
        return REGDB_E_CLASSNOTREG;
    try {
        return factory(iid, object);
    } catch (...) {
        *object = nullptr;
        return E_OUTOFMEMORY;
    }
}

LPVOID CoTaskMemAlloc(std::size_t bytes) {
    return std::malloc(bytes ? bytes : 1);
}
void CoTaskMemFree(LPVOID block) {
    std::free(block);
}

BSTR SysAllocStringLen(const WCHAR* text, UINT length) {
    using platform::win::kPrefix;
    const std::size_t bytes = static_cast<std::size_t>(length) * sizeof(WCHAR);
    if (bytes > 0xFFFFFFF0u)
        return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(kPrefix + bytes + sizeof(WCHAR)));
    if (!block)
        return nullptr;
    const std::uint32_t prefix = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &prefix, kPrefix);
    auto* result = reinterpret_cast<WCHAR*>(block + kPrefix);
    if (text)
        std::memcpy(result, text, bytes);
    else
        std::memset(result, 0, bytes);
    result[length] = 0;
    return result;
}

BSTR SysAllocString(const WCHAR* text) {
    if (!text)
        return nullptr;
    UINT length = 0;
    while (text[length])
        ++length;
    return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text) {
    if (text)
        std::free(reinterpret_cast<unsigned char*>(text) - platform::win::kPrefix);
}

UINT SysStringByteLen(BSTR text) {
    if (!text)
        return 0;
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<unsigned char*>(text) - platform::win::kPrefix,
                platform::win::kPrefix);
    return bytes;
}

UINT SysStringLen(BSTR text) {
    return SysStringByteLen(text) / sizeof(WCHAR);
}
