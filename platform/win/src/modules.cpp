// Modules by name: registered system modules and libraries loaded from the mapped root.
#include "platform/win/modules.h"

#include <dlfcn.h>
#include <link.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "file_support.h"
#include "fold_case.h"
#include "guard.h"
#include "platform/text/encoding.h"
#include "platform/win/fault_injection.h"
#include "platform/win/path_mapping.h"
#include "program_module.h"

namespace platform::win {
namespace {

struct SystemModule {
    std::u16string name;  // as registered
    std::map<std::string, FARPROC> exports;
    int loads = 0;
};

struct LoadedLibrary {
    void* library = nullptr;  // from dlopen
    std::u16string name;      // file name, for export faults
    int loads = 0;
};

std::mutex moduleMutex;
// Keyed by the folded name without ".dll"; the records never move, their addresses are handles.
std::map<std::u16string, std::unique_ptr<SystemModule>>& SystemModules() {
    static auto* modules = new std::map<std::u16string, std::unique_ptr<SystemModule>>();
    return *modules;
}
std::map<HMODULE, LoadedLibrary>& Libraries() {
    static auto* libraries = new std::map<HMODULE, LoadedLibrary>();
    return *libraries;
}

std::u16string_view FileNameOf(std::u16string_view path) {
    const auto cut = path.find_last_of(u"\\/");
    return cut == std::u16string_view::npos ? path : path.substr(cut + 1);
}

// The key of a bare module name ("cabinet" and "Cabinet.DLL" are one module), or "" for a path.
std::u16string SystemKey(std::u16string_view name) {
    if (name.find_first_of(u"\\/:") != std::u16string_view::npos)
        return {};
    std::u16string key = FoldCase(name);
    if (key.size() > 4 && key.compare(key.size() - 4, 4, u".DLL") == 0)
        key.resize(key.size() - 4);
    return key;
}

SystemModule* FindSystem(std::u16string_view name) {
    const std::u16string key = SystemKey(name);
    if (key.empty())
        return nullptr;
    const auto it = SystemModules().find(key);
    return it == SystemModules().end() ? nullptr : it->second.get();
}

HMODULE HandleOf(SystemModule* module) {
    return reinterpret_cast<HMODULE>(module);
}

SystemModule* SystemOf(HMODULE handle) {
    for (auto& [key, module] : SystemModules())
        if (HandleOf(module.get()) == handle)
            return module.get();
    return nullptr;
}

// A loaded library's handle is its base address, as GetModuleFileName expects of any module.
HMODULE BaseOf(void* library) {
    link_map* map = nullptr;
    if (dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || !map)
        return nullptr;
    return reinterpret_cast<HMODULE>(map->l_addr);
}

HMODULE Fail(LONG error) {
    SetLastError(static_cast<DWORD>(error));
    return nullptr;
}

HMODULE LoadCore(std::u16string_view name) {
    if (name.empty())
        return Fail(ERROR_INVALID_PARAMETER);
    if (const DWORD error = CheckFault(FaultKind::Load, name))
        return Fail(static_cast<LONG>(error));
    std::lock_guard lock(moduleMutex);
    if (SystemModule* module = FindSystem(name)) {
        ++module->loads;
        return HandleOf(module);
    }
    LONG error = ERROR_SUCCESS;
    const std::string native = MapToLinux(name, &error);
    if (native.empty())
        return Fail(error ? error : ERROR_MOD_NOT_FOUND);
    void* library = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return Fail(ERROR_MOD_NOT_FOUND);
    const HMODULE handle = BaseOf(library);
    if (!handle) {
        dlclose(library);
        return Fail(ERROR_MOD_NOT_FOUND);
    }
    LoadedLibrary& loaded = Libraries()[handle];
    if (loaded.library)
        dlclose(library);  // already loaded: dlopen counted once more
    else
        loaded.library = library;
    loaded.name = std::u16string(FileNameOf(name));
    ++loaded.loads;
    return handle;
}

BOOL FreeCore(HMODULE handle) {
    void* toClose = nullptr;
    {
        std::lock_guard lock(moduleMutex);
        if (SystemModule* module = SystemOf(handle)) {
            if (module->loads > 0)
                --module->loads;
            return TRUE;
        }
        const auto it = Libraries().find(handle);
        if (it == Libraries().end()) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return FALSE;
        }
        if (--it->second.loads == 0) {
            toClose = it->second.library;
            Libraries().erase(it);
        }
    }
    // Outside the lock: the library's destructors may load or free modules themselves.
    if (toClose)
        dlclose(toClose);
    return TRUE;
}

HMODULE HandleCore(LPCWSTR name) {
    if (!name)
        return ProgramBase();
    const std::u16string_view view(name);
    if (const DWORD error = CheckFault(FaultKind::Load, view))
        return Fail(static_cast<LONG>(error));
    std::lock_guard lock(moduleMutex);
    if (SystemModule* module = FindSystem(view))
        return HandleOf(module);
    const std::u16string_view wanted = FileNameOf(view);
    for (const auto& [handle, loaded] : Libraries())
        if (EqualNoCase(std::u16string_view(loaded.name), wanted))
            return handle;
    return Fail(ERROR_MOD_NOT_FOUND);
}

FARPROC ProcCore(HMODULE handle, LPCSTR exportName) {
    if (!exportName || reinterpret_cast<std::uintptr_t>(exportName) < 0x10000) {
        // Exports by ordinal are not offered.
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    std::u16string moduleName;
    FARPROC found = nullptr;
    {
        std::lock_guard lock(moduleMutex);
        if (SystemModule* module = SystemOf(handle)) {
            moduleName = module->name;
            const auto it = module->exports.find(exportName);
            if (it != module->exports.end())
                found = it->second;
        } else if (const auto it = Libraries().find(handle); it != Libraries().end()) {
            moduleName = it->second.name;
            found = reinterpret_cast<FARPROC>(dlsym(it->second.library, exportName));
        } else if (!handle) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        } else {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
    }
    const std::u16string faultName = moduleName + u"!" + text::GbkToUtf16(exportName);
    if (const DWORD error = CheckFault(FaultKind::Export, faultName)) {
        SetLastError(error);
        return nullptr;
    }
    if (!found)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return found;
}

}  // namespace

void RegisterSystemModule(std::u16string_view name, const std::vector<ModuleExport>& exports) {
    std::lock_guard lock(moduleMutex);
    const std::u16string key = SystemKey(name);
    auto& slot = SystemModules()[key];
    if (!slot)
        slot = std::make_unique<SystemModule>();
    slot->name = std::u16string(name);
    slot->exports.clear();
    for (const auto& entry : exports)
        slot->exports[entry.name] = entry.address;
}

}  // namespace platform::win

HMODULE LoadLibraryW(LPCWSTR name) {
    return platform::win::Guard<HMODULE>(nullptr,
                                         [&] { return platform::win::LoadCore(platform::win::View(name)); });
}

HMODULE LoadLibraryA(LPCSTR name) {
    return platform::win::Guard<HMODULE>(nullptr,
                                         [&] { return platform::win::LoadCore(platform::win::Widen(name)); });
}

BOOL FreeLibrary(HMODULE module) {
    return platform::win::Guard<BOOL>(FALSE, [&] { return platform::win::FreeCore(module); });
}

HMODULE GetModuleHandleW(LPCWSTR name) {
    return platform::win::Guard<HMODULE>(nullptr, [&] { return platform::win::HandleCore(name); });
}

FARPROC GetProcAddress(HMODULE module, LPCSTR exportName) {
    return platform::win::Guard<FARPROC>(nullptr,
                                         [&] { return platform::win::ProcCore(module, exportName); });
}
