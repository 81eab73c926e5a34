// The shell link object (CLSID_ShellLink): a shortcut's target, arguments, working folder,
// description, icon, show command and hot key, saved to and loaded from a ".lnk" file.
//
// The file is a readable text of our own rather than the binary Windows layout (UTF-8):
//
//     [Dero shell link]
//     Target=C:\Program Files\ZWCAD 2009\ZWCAD.EXE
//     Arguments=/p 地籍 /nologo acad.dwt
//     WorkingDirectory=C:\Program Files\Dero\system
//     Description=Dero 地籍
//     IconLocation=C:\Program Files\Dero\dero.ico
//     IconIndex=0
//     ShowCommand=1
//     Hotkey=0
//
// '%', carriage returns and line feeds in a value are written as %25, %0D and %0A. Saving writes
// the whole file anew (an existing one is replaced); a failed save leaves no file behind.
// Created with CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
// ...) on a thread that initialised COM; IPersistFile is had through QueryInterface.
#pragma once

#include "platform/win/com.h"
#include "platform/win/files.h"

constexpr CLSID CLSID_ShellLink = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID IID_IShellLinkW = {
    0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID IID_IPersist = {0x0000010C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID IID_IPersistFile = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

using LPCOLESTR = const WCHAR*;
using LPOLESTR = WCHAR*;
struct ITEMIDLIST;
using PIDLIST_ABSOLUTE = ITEMIDLIST*;
using PCIDLIST_ABSOLUTE = const ITEMIDLIST*;

constexpr DWORD STGM_READ = 0x00000000;

// The getters copy at most size - 1 characters and a terminating zero.
struct IShellLinkW : IUnknown {
    virtual HRESULT GetPath(LPWSTR file, int size, WIN32_FIND_DATAW* findData, DWORD flags) = 0;
    virtual HRESULT GetIDList(PIDLIST_ABSOLUTE* list) = 0;  // E_NOTIMPL: no item lists here
    virtual HRESULT SetIDList(PCIDLIST_ABSOLUTE list) = 0;  // E_NOTIMPL
    virtual HRESULT GetDescription(LPWSTR name, int size) = 0;
    virtual HRESULT SetDescription(LPCWSTR name) = 0;
    virtual HRESULT GetWorkingDirectory(LPWSTR folder, int size) = 0;
    virtual HRESULT SetWorkingDirectory(LPCWSTR folder) = 0;
    virtual HRESULT GetArguments(LPWSTR arguments, int size) = 0;
    virtual HRESULT SetArguments(LPCWSTR arguments) = 0;
    virtual HRESULT GetHotkey(WORD* hotkey) = 0;
    virtual HRESULT SetHotkey(WORD hotkey) = 0;
    virtual HRESULT GetShowCmd(int* show) = 0;
    virtual HRESULT SetShowCmd(int show) = 0;
    virtual HRESULT GetIconLocation(LPWSTR iconPath, int size, int* index) = 0;
    virtual HRESULT SetIconLocation(LPCWSTR iconPath, int index) = 0;
    virtual HRESULT SetRelativePath(LPCWSTR relativePath, DWORD reserved) = 0;  // accepted, not kept
    virtual HRESULT Resolve(HWND window, DWORD flags) = 0;                      // S_OK: nothing to find
    virtual HRESULT SetPath(LPCWSTR file) = 0;

protected:
    ~IShellLinkW() = default;
};

struct IPersist : IUnknown {
    virtual HRESULT GetClassID(CLSID* clsid) = 0;

protected:
    ~IPersist() = default;
};

struct IPersistFile : IPersist {
    // S_OK when changed since the last load or save, else S_FALSE.
    virtual HRESULT IsDirty() = 0;
    // STG_E_FILENOTFOUND for a missing file, E_FAIL for one that is not a link of this form.
    virtual HRESULT Load(LPCOLESTR fileName, DWORD mode) = 0;
    // A null name saves to the file loaded or saved last. Win32 failures come back as
    // HRESULT_FROM_WIN32 (a read-only file: E_ACCESSDENIED).
    virtual HRESULT Save(LPCOLESTR fileName, BOOL remember) = 0;
    virtual HRESULT SaveCompleted(LPCOLESTR fileName) = 0;
    // The current file in CoTaskMemAlloc memory, or S_FALSE and null when there is none.
    virtual HRESULT GetCurFile(LPOLESTR* fileName) = 0;

protected:
    ~IPersistFile() = default;
};

constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005u);
