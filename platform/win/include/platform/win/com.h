// COM as far as programs here use it: per-thread initialisation, objects made by class id from a
// table that libraries register their classes into, and BSTR strings.
//
// Interfaces are abstract classes whose objects count their own references (IUnknown); an
// object's class registers a factory with RegisterComClass, usually from a static initialiser of
// the library that implements it (the shell link of shell_link.h is one).
#pragma once

#include <cstddef>

#include "platform/win/win_types.h"

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}
inline bool IsEqualGUID(REFGUID a, REFGUID b) {
    return a == b;
}
inline bool IsEqualIID(REFIID a, REFIID b) {
    return a == b;
}
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) {
    return a == b;
}

constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;  // objects end themselves in Release
};
using LPUNKNOWN = IUnknown*;

constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106u);
constexpr HRESULT STG_E_FILENOTFOUND = static_cast<HRESULT>(0x80030002u);

// The HRESULT of a Win32 error code.
constexpr HRESULT HRESULT_FROM_WIN32(DWORD error) {
    return error == 0 ? S_OK : static_cast<HRESULT>((error & 0xFFFFu) | 0x80070000u);
}

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_ALL = 0x17;

// The thread's first initialisation gives S_OK, each further one S_FALSE (and must be ended as
// well); one in the other threading model than the thread's gives RPC_E_CHANGED_MODE and does not
// count. CoInitialize and OleInitialize take the single-threaded apartment.
HRESULT CoInitialize(LPVOID reserved);
HRESULT CoInitializeEx(LPVOID reserved, DWORD model);
void CoUninitialize();
HRESULT OleInitialize(LPVOID reserved);
void OleUninitialize();

// CO_E_NOTINITIALIZED on a thread that has not initialised COM, CLASS_E_NOAGGREGATION with an
// outer object, REGDB_E_CLASSNOTREG for a class nobody registered; else the factory's answer.
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object);

// Memory handed between a COM object and its caller (IPersistFile::GetCurFile).
LPVOID CoTaskMemAlloc(std::size_t bytes);
void CoTaskMemFree(LPVOID block);

// Length-prefixed wide strings. A null BSTR is the empty string.
using BSTR = WCHAR*;
BSTR SysAllocString(const WCHAR* text);                  // null for null
BSTR SysAllocStringLen(const WCHAR* text, UINT length);  // text may be null: zeros
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

namespace platform::win {

// Makes a new object of the class and asks it for iid (the object is released when it lacks it).
using ComClassFactory = HRESULT (*)(REFIID iid, void** object);

// Registers (or replaces) the factory of a class for every thread.
void RegisterComClass(REFCLSID clsid, ComClassFactory factory);

// How many initialisations of the calling thread are not yet ended.
int ComInitializations();

}  // namespace platform::win
