// Win32 file handles on the mapped root: open, read, write, seek, size, flush and close.
//
// Narrow paths are GBK, wide paths UTF-16, both in Windows form. Failures leave a Win32 error for
// GetLastError. Share modes are kept between the handles of this process (and the C runtime's files
// of crt_files.h): a second open that the first one's share mode does not allow, or whose own share
// mode does not allow the first one's access, fails with ERROR_SHARING_VIOLATION. Only synchronous
// use is offered: the OVERLAPPED argument must be null.
#pragma once

#include "platform/win/files.h"  // FILE_ATTRIBUTE_*
#include "platform/win/last_error.h"
#include "platform/win/win_types.h"

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;

constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
constexpr DWORD FILE_SHARE_DELETE = 0x00000004;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;

struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

// CREATE_ALWAYS and OPEN_ALWAYS on an existing file succeed with ERROR_ALREADY_EXISTS as the last
// error (0 when the file was created). FILE_ATTRIBUTE_READONLY on a new file makes it read-only;
// other attributes and the flags are accepted and ignored. Folders cannot be opened.
HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);

// At the end of the file a read succeeds with 0 bytes read. A write writes everything or fails;
// *written then says how much reached the file.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped);

// Moving before the start fails with ERROR_NEGATIVE_SEEK; past the end is allowed (a write there
// fills the gap with zeros).
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD moveMethod);
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
BOOL FlushFileBuffers(HANDLE file);
// The handle is gone after the call even when it reports a failure.
BOOL CloseHandle(HANDLE handle);

// Sets the times given (a null pointer leaves that time as it is). The creation time is accepted
// and not kept: the files underneath have none.
BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite);

enum FILE_INFO_BY_HANDLE_CLASS { FileBasicInfo = 0 };

// Times in FILETIME ticks.
struct FILE_BASIC_INFO {
    LARGE_INTEGER CreationTime;
    LARGE_INTEGER LastAccessTime;
    LARGE_INTEGER LastWriteTime;
    LARGE_INTEGER ChangeTime;
    DWORD FileAttributes;
};

// Only FileBasicInfo is offered, on a handle open for writing. A time of 0 or -1 is left as it is,
// and the attributes when 0; FILE_ATTRIBUTE_NORMAL clears them. Of the attributes the file keeps
// read-only, as SetFileAttributes does; the creation and change times are accepted and not kept.
BOOL SetFileInformationByHandle(HANDLE file, FILE_INFO_BY_HANDLE_CLASS infoClass, LPVOID info, DWORD size);
