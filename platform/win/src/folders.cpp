// The temporary and Windows folders, module file names and free disk space.
#include "guard.h"
#include "platform/win/folders.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <mutex>

#include "file_support.h"
#include "fold_case.h"
#include "platform/win/machine.h"
#include "program_module.h"
#include "platform/text/gbk.h"
#include "platform/win/path_mapping.h"

namespace platform::win {
namespace {

std::mutex overrideMutex;
std::optional<std::uint64_t> freeSpaceOverride;

// The folder's Windows form; the folder is made when missing, as it always exists on Windows.
std::u16string StandardFolder(std::u16string_view windowsPath) {
    const std::string native = MapToLinux(windowsPath);
    if (!native.empty()) mkdir(native.c_str(), 0777);
    return std::u16string(windowsPath);
}

struct ModuleSearch {
    std::uintptr_t address;
    std::string path;
    bool found = false;
};

int VisitModule(dl_phdr_info* info, std::size_t, void* context) {
    auto* search = static_cast<ModuleSearch*>(context);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const auto& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD) continue;
        const std::uintptr_t start = info->dlpi_addr + header.p_vaddr;
        if (search->address >= start && search->address < start + header.p_memsz) {
            search->path = info->dlpi_name ? info->dlpi_name : "";
            search->found = true;
            return 1;
        }
    }
    return 0;
}

std::string ProgramPath() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

// The Linux path of the module, or "" when no loaded module holds the address.
std::string ModulePath(HMODULE module) {
    if (!module) return ProgramPath();
    ModuleSearch search{reinterpret_cast<std::uintptr_t>(module), {}};
    dl_iterate_phdr(VisitModule, &search);
    if (!search.found) return {};
    // The program itself is listed with an empty name.
    return search.path.empty() ? ProgramPath() : search.path;
}

int VisitProgram(dl_phdr_info* info, std::size_t, void* context) {
    // The program is listed first; its handle is the start of its first loaded segment.
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        if (info->dlpi_phdr[i].p_type == PT_LOAD) {
            *static_cast<std::uintptr_t*>(context) = info->dlpi_addr + info->dlpi_phdr[i].p_vaddr;
            break;
        }
    }
    return 1;
}

}  // namespace

HMODULE ProgramBase() {
    std::uintptr_t base = 0;
    dl_iterate_phdr(VisitProgram, &base);
    return reinterpret_cast<HMODULE>(base);
}

namespace {

template <typename Char>
DWORD CopyTruncated(std::basic_string_view<Char> text, Char* buffer, DWORD size) {
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (text.size() < size) {
        std::copy(text.begin(), text.end(), buffer);
        buffer[text.size()] = 0;
        return static_cast<DWORD>(text.size());
    }
    std::copy_n(text.begin(), size - 1, buffer);
    buffer[size - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

BOOL FreeSpaceCore(std::u16string_view folder, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                   PULARGE_INTEGER totalFree) {
    const FilePath path = ResolveFilePath(folder.empty() ? std::u16string_view(u".") : folder);
    if (!path.ok()) {
        SetLastError(static_cast<DWORD>(path.error));
        return FALSE;
    }
    struct statvfs fs;
    if (statvfs(path.native.c_str(), &fs) != 0) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::uint64_t available = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
    std::uint64_t free = static_cast<std::uint64_t>(fs.f_bfree) * fs.f_frsize;
    std::uint64_t size = static_cast<std::uint64_t>(fs.f_blocks) * fs.f_frsize;
    // The machine facts may say how full a drive is.
    if (folder.size() >= 2 && folder[1] == u':') {
        const char16_t drive = FoldChar(folder[0]);
        const MachineFacts facts = ReadMachineFacts();
        if (const auto it = facts.freeSpace.find(drive); it != facts.freeSpace.end()) {
            available = free = it->second;
            size = std::max(size, free);
        }
    }
    {
        std::lock_guard lock(overrideMutex);
        if (freeSpaceOverride) {
            available = free = *freeSpaceOverride;
            size = std::max(size, free);
        }
    }
    if (freeToCaller) freeToCaller->QuadPart = available;
    if (total) total->QuadPart = size;
    if (totalFree) totalFree->QuadPart = free;
    return TRUE;
}

}  // namespace

HMODULE ModuleFromAddress(const void* address) {
    Dl_info info;
    if (!address || dladdr(address, &info) == 0) return nullptr;
    return static_cast<HMODULE>(info.dli_fbase);
}

void SetFreeDiskSpaceOverride(std::optional<std::uint64_t> bytes) {
    std::lock_guard lock(overrideMutex);
    freeSpaceOverride = bytes;
}

}  // namespace platform::win

using platform::win::CopyOrNeed;

DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer) {
    return platform::win::Guard<DWORD>(0u, [&]() -> DWORD {
        const std::u16string path = platform::win::StandardFolder(u"C:\\Temp") + u"\\";
        return CopyOrNeed(std::u16string_view(path), buffer, bufferLength);
    });
}

DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer) {
    return platform::win::Guard<DWORD>(0u, [&]() -> DWORD {
        const std::string path = platform::text::Utf16ToGbk(platform::win::StandardFolder(u"C:\\Temp") + u"\\");
        return CopyOrNeed(std::string_view(path), buffer, bufferLength);
    });
}

UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size) {
    return platform::win::Guard<UINT>(0u, [&]() -> UINT {
        const std::u16string path = platform::win::StandardFolder(u"C:\\Windows");
        return CopyOrNeed(std::u16string_view(path), buffer, size);
    });
}

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
    return platform::win::Guard<UINT>(0u, [&]() -> UINT {
        const std::string path = platform::text::Utf16ToGbk(platform::win::StandardFolder(u"C:\\Windows"));
        return CopyOrNeed(std::string_view(path), buffer, size);
    });
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
    return platform::win::Guard<DWORD>(0u, [&]() -> DWORD {
        const std::string native = platform::win::ModulePath(module);
        if (native.empty()) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return 0;
        }
        const std::u16string path = platform::win::MapToWindows(native);
        return platform::win::CopyTruncated(std::u16string_view(path), buffer, size);
    });
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    return platform::win::Guard<DWORD>(0u, [&]() -> DWORD {
        const std::string native = platform::win::ModulePath(module);
        if (native.empty()) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return 0;
        }
        const std::string path = platform::win::MapToWindowsA(native);
        // A cut must not leave half of a double-byte character before the terminator.
        if (buffer && size > 0 && path.size() >= size) {
            const std::string cut = platform::text::TruncateGbk(path, size - 1);
            platform::win::CopyTruncated(std::string_view(cut), buffer, size);
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return size;
        }
        return platform::win::CopyTruncated(std::string_view(path), buffer, size);
    });
}

BOOL GetDiskFreeSpaceExW(LPCWSTR folder, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                         PULARGE_INTEGER totalFree) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL {
        return platform::win::FreeSpaceCore(platform::win::View(folder), freeToCaller, total, totalFree);
    });
}

BOOL GetDiskFreeSpaceExA(LPCSTR folder, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                         PULARGE_INTEGER totalFree) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL {
        return platform::win::FreeSpaceCore(platform::win::Widen(folder), freeToCaller, total, totalFree);
    });
}
