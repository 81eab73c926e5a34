// Win32 file handles over the open-file table.
#include "platform/win/file_handles.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <map>
#include <mutex>

#include "file_support.h"
#include "guard.h"
#include "kernel_objects.h"
#include "open_files.h"
#include "platform/win/threads.h"

namespace platform::win {
namespace {

std::mutex handleMutex;
std::map<std::uintptr_t, OpenFilePtr> handles;
// Apart from the find handles' numbers, so that one kind is never taken for the other.
std::uintptr_t nextHandle = 0x100000;

BOOL Fail(LONG error) {
    SetLastError(static_cast<DWORD>(error));
    return FALSE;
}

HANDLE AddHandle(OpenFilePtr file) {
    std::lock_guard lock(handleMutex);
    const std::uintptr_t id = nextHandle;
    handles.emplace(id, std::move(file));
    nextHandle += 4;
    return reinterpret_cast<HANDLE>(id);
}

OpenFilePtr Find(HANDLE handle) {
    std::lock_guard lock(handleMutex);
    const auto it = handles.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == handles.end() ? nullptr : it->second;
}

HANDLE CreateFileCore(std::u16string_view path, DWORD access, DWORD shareMode, DWORD disposition, DWORD attributes) {
    OpenRequest request;
    request.read = (access & GENERIC_READ) != 0;
    request.write = (access & GENERIC_WRITE) != 0;
    request.share = shareMode;
    request.disposition = disposition;
    request.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    LONG error = ERROR_SUCCESS;
    bool existed = false;
    OpenFilePtr file = OpenFileCore(path, request, &error, &existed);
    if (!file) {
        SetLastError(static_cast<DWORD>(error));
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE handle = AddHandle(std::move(file));
    const bool reportsExisting = existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
    SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL ReadFileCore(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
    if (read) *read = 0;
    const OpenFilePtr file = Find(handle);
    if (!file) return Fail(ERROR_INVALID_HANDLE);
    if (overlapped || !read || (!buffer && toRead > 0)) return Fail(ERROR_INVALID_PARAMETER);
    std::size_t done = 0;
    const LONG error = ReadCore(*file, buffer, toRead, &done);
    *read = static_cast<DWORD>(done);
    return error ? Fail(error) : TRUE;
}

BOOL WriteFileCore(HANDLE handle, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped) {
    if (written) *written = 0;
    const OpenFilePtr file = Find(handle);
    if (!file) return Fail(ERROR_INVALID_HANDLE);
    if (overlapped || !written || (!buffer && toWrite > 0)) return Fail(ERROR_INVALID_PARAMETER);
    std::size_t done = 0;
    const LONG error = WriteCore(*file, buffer, toWrite, &done);
    *written = static_cast<DWORD>(done);
    return error ? Fail(error) : TRUE;
}

BOOL SetFilePointerCore(HANDLE handle, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD method) {
    const OpenFilePtr file = Find(handle);
    if (!file) return Fail(ERROR_INVALID_HANDLE);
    std::int64_t position = 0;
    if (const LONG error = SeekCore(*file, distance.QuadPart, method, &position)) return Fail(error);
    if (newPosition) newPosition->QuadPart = position;
    return TRUE;
}

BOOL GetFileSizeCore(HANDLE handle, PLARGE_INTEGER size) {
    const OpenFilePtr file = Find(handle);
    if (!file) return Fail(ERROR_INVALID_HANDLE);
    if (!size) return Fail(ERROR_INVALID_PARAMETER);
    std::int64_t bytes = 0;
    if (const LONG error = SizeCore(*file, &bytes)) return Fail(error);
    size->QuadPart = bytes;
    return TRUE;
}

BOOL FlushCoreOf(HANDLE handle) {
    const OpenFilePtr file = Find(handle);
    if (!file) return Fail(ERROR_INVALID_HANDLE);
    if (const LONG error = FlushCore(*file)) return Fail(error);
    return TRUE;
}

timespec TimeOf(const FILETIME* time) {
    if (!time) return timespec{0, UTIME_OMIT};
    const ULONGLONG ticks = (ULONGLONG(time->dwHighDateTime) << 32) | time->dwLowDateTime;
    // 1601 to 1970 in 100-nanosecond ticks.
    const std::int64_t sinceEpoch = static_cast<std::int64_t>(ticks) - 116444736000000000LL;
    std::int64_t seconds = sinceEpoch / 10000000;
    std::int64_t rest = sinceEpoch % 10000000;
    if (rest < 0) {
        rest += 10000000;
        --seconds;
    }
    return timespec{static_cast<time_t>(seconds), static_cast<long>(rest * 100)};
}

BOOL SetFileTimeCore(HANDLE handle, const FILETIME* lastAccess, const FILETIME* lastWrite) {
    const OpenFilePtr file = Find(handle);
    if (!file) return Fail(ERROR_INVALID_HANDLE);
    if (!file->canWrite) return Fail(ERROR_ACCESS_DENIED);
    const timespec times[2] = {TimeOf(lastAccess), TimeOf(lastWrite)};
    if (::futimens(file->fd, times) != 0) return Fail(ERROR_ACCESS_DENIED);
    return TRUE;
}

// A FILE_BASIC_INFO time: 0 and -1 leave the time as it is.
timespec TimeOf(const LARGE_INTEGER& ticks) {
    if (ticks.QuadPart == 0 || ticks.QuadPart == -1) return timespec{0, UTIME_OMIT};
    const FILETIME time{static_cast<DWORD>(ticks.QuadPart & 0xFFFFFFFF), static_cast<DWORD>(ticks.QuadPart >> 32)};
    return TimeOf(&time);
}

BOOL SetBasicInfoCore(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS infoClass, const void* info, DWORD size) {
    if (infoClass != FileBasicInfo || !info || size < sizeof(FILE_BASIC_INFO)) return Fail(ERROR_INVALID_PARAMETER);
    const OpenFilePtr file = Find(handle);
    if (!file) return Fail(ERROR_INVALID_HANDLE);
    if (!file->canWrite) return Fail(ERROR_ACCESS_DENIED);
    const auto& basic = *static_cast<const FILE_BASIC_INFO*>(info);
    const timespec times[2] = {TimeOf(basic.LastAccessTime), TimeOf(basic.LastWriteTime)};
    if (times[0].tv_nsec != UTIME_OMIT || times[1].tv_nsec != UTIME_OMIT) {
        if (::futimens(file->fd, times) != 0) return Fail(ERROR_ACCESS_DENIED);
    }
    if (basic.FileAttributes != 0) {
        struct stat st;
        if (::fstat(file->fd, &st) != 0) return Fail(ErrnoToWin32(errno));
        const mode_t mode = ModeWithAttributes(st.st_mode, basic.FileAttributes);
        if (mode != (st.st_mode & 07777) && ::fchmod(file->fd, mode) != 0) return Fail(ErrnoToWin32(errno));
    }
    return TRUE;
}

BOOL CloseHandleCore(HANDLE handle) {
    OpenFilePtr file;
    {
        std::lock_guard lock(handleMutex);
        const auto it = handles.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == handles.end()) {
            return CloseKernelHandle(handle) || CloseKernelObject(handle) ? TRUE : Fail(ERROR_INVALID_HANDLE);
        }
        file = std::move(it->second);
        handles.erase(it);
    }
    if (const LONG error = CloseCore(*file)) return Fail(error);
    return TRUE;
}

}  // namespace

HANDLE LendFileHandle(const OpenFilePtr& file) { return AddHandle(file); }

void TakeBackFileHandle(HANDLE handle) {
    std::lock_guard lock(handleMutex);
    handles.erase(reinterpret_cast<std::uintptr_t>(handle));
}

}  // namespace platform::win

using platform::win::Guard;
using platform::win::View;
using platform::win::Widen;

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD flagsAndAttributes, HANDLE) {
    return Guard<HANDLE>(INVALID_HANDLE_VALUE, [&] {
        return platform::win::CreateFileCore(View(path), access, shareMode, disposition, flagsAndAttributes);
    });
}
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD flagsAndAttributes, HANDLE) {
    return Guard<HANDLE>(INVALID_HANDLE_VALUE, [&] {
        return platform::win::CreateFileCore(Widen(path), access, shareMode, disposition, flagsAndAttributes);
    });
}
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
    return Guard<BOOL>(FALSE, [&] { return platform::win::ReadFileCore(file, buffer, toRead, read, overlapped); });
}
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped) {
    return Guard<BOOL>(FALSE, [&] { return platform::win::WriteFileCore(file, buffer, toWrite, written, overlapped); });
}
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD moveMethod) {
    return Guard<BOOL>(FALSE, [&] { return platform::win::SetFilePointerCore(file, distance, newPosition, moveMethod); });
}
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
    return Guard<BOOL>(FALSE, [&] { return platform::win::GetFileSizeCore(file, size); });
}
BOOL FlushFileBuffers(HANDLE file) {
    return Guard<BOOL>(FALSE, [&] { return platform::win::FlushCoreOf(file); });
}
BOOL SetFileTime(HANDLE file, const FILETIME*, const FILETIME* lastAccess, const FILETIME* lastWrite) {
    return Guard<BOOL>(FALSE, [&] { return platform::win::SetFileTimeCore(file, lastAccess, lastWrite); });
}
BOOL SetFileInformationByHandle(HANDLE file, FILE_INFO_BY_HANDLE_CLASS infoClass, LPVOID info, DWORD size) {
    return Guard<BOOL>(FALSE, [&] { return platform::win::SetBasicInfoCore(file, infoClass, info, size); });
}
BOOL CloseHandle(HANDLE handle) {
    return Guard<BOOL>(FALSE, [&] { return platform::win::CloseHandleCore(handle); });
}
