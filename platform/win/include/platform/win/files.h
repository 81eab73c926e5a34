// Win32 file and folder calls on the mapped root. Narrow forms take GBK, wide forms UTF-16; all
// leave a Win32 error code for GetLastError when they fail.
//
// Read-only is kept in the file's mode bits (no write bit) and enforced here, so that it holds
// even for root, as it would on Windows.
#pragma once

#include "platform/win/last_error.h"
#include "platform/win/win_types.h"

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x00000004;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
// Set on symbolic links, which stand for Windows' junctions and links. A link that points at
// nothing still has attributes of its own, as a reparse point does.
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x00000400;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard, GetFileExMaxInfoLevel };

struct WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
};

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security);
// Removes an empty folder only, or a link to a folder (the link alone, as a junction goes).
BOOL RemoveDirectoryW(LPCWSTR path);
BOOL RemoveDirectoryA(LPCSTR path);
// The running program's own file is locked while it runs: ERROR_ACCESS_DENIED.
BOOL DeleteFileW(LPCWSTR path);
BOOL DeleteFileA(LPCSTR path);
// The copy is written beside the target and renamed into place, so a failed copy never leaves a
// partial target behind. Attributes and the write time go with it.
BOOL CopyFileW(LPCWSTR source, LPCWSTR target, BOOL failIfExists);
BOOL CopyFileA(LPCSTR source, LPCSTR target, BOOL failIfExists);
// Renames a file or folder; fails when the target exists.
BOOL MoveFileW(LPCWSTR source, LPCWSTR target);
BOOL MoveFileA(LPCSTR source, LPCSTR target);

DWORD GetFileAttributesW(LPCWSTR path);
DWORD GetFileAttributesA(LPCSTR path);
// Only FILE_ATTRIBUTE_READONLY has an effect; the other bits are accepted and ignored.
BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes);
BOOL SetFileAttributesA(LPCSTR path, DWORD attributes);
BOOL GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID info);
BOOL GetFileAttributesExA(LPCSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID info);

// Lists the folder at the time of the first call, sorted without case; "." and ".." are listed
// except in a drive's top folder, as on Windows.
HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data);
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data);
BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data);
BOOL FindClose(HANDLE find);
