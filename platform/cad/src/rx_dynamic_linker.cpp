#include "platform/cad/rx_dynamic_linker.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "platform/cad/command_stack.h"
#include "platform/cad/documents.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"
#include "platform/win/path_mapping.h"

DERO_RX_DEFINE_MEMBERS(AcRxDynamicLinker, "", AcRxObject)

namespace platform::cad {
namespace {

struct Module {
    std::string path;  // as loaded (Linux, UTF-8)
    std::string name;  // application name (GBK)
    void* handle = nullptr;
    AcRxEntryPointFn entry = nullptr;
    mutable bool locked = true;
    mutable bool mdiAware = false;
};

std::vector<std::unique_ptr<Module>>& Modules()
{
    static std::vector<std::unique_ptr<Module>> modules;
    return modules;
}

std::vector<ModuleCleanup>& Cleanups()
{
    static std::vector<ModuleCleanup> cleanups;
    return cleanups;
}

std::string g_lastError;
const void* g_currentModule = nullptr;

Module* FindById(void* appId)
{
    for (auto& m : Modules())
        if (m.get() == appId)
            return m.get();
    return nullptr;
}

std::string AppName(const std::string& path)
{
    std::string gbk = win::MapToWindowsA(path);
    std::size_t slash = text::GbkFindLastSeparator(gbk);
    std::string file = slash == std::string::npos ? gbk : gbk.substr(slash + 1);
    std::size_t dot = text::GbkFindLast(file, '.');
    return dot == std::string::npos ? file : file.substr(0, dot);
}

// The module named by a path or by its application name.
Module* FindByName(const char* fileName)
{
    if (fileName == nullptr)
        return nullptr;
    std::string path = win::MapToLinux(std::string_view(fileName));
    for (auto& m : Modules())
        if (m->path == path || text::GbkEqualNoCase(m->name, fileName) ||
            text::GbkEqualNoCase(m->name, AppName(path)))
            return m.get();
    return nullptr;
}

bool Fail(bool printit, std::string message)
{
    g_lastError = std::move(message);
    if (printit)
        acutPrintf("\n%s", g_lastError.c_str());
    return false;
}

// Takes back whatever the module left registered, then unmaps it.
void Release(Module* module)
{
    int left = 0;
    if (auto* stack = acedRegCmds)
        left += stack->removeCommandsOf(module);
    for (ModuleCleanup cleanup : Cleanups())
        left += cleanup(module);
    if (left > 0)
        acutPrintf("\n%s left %d registrations behind; the host removed them.", module->name.c_str(), left);
    dlclose(module->handle);
    auto& modules = Modules();
    modules.erase(std::find_if(modules.begin(), modules.end(), [&](auto& m) { return m.get() == module; }));
}

AcRx::AppRetCode Send(Module* module, AcRx::AppMsgCode msg)
{
    CurrentModuleScope scope(module);
    try {
        return module->entry(msg, module);
    } catch (...) {
        // An exception must not leave a module; if one does, the host survives it.
        acutPrintf("\n%s failed on message %d.", module->name.c_str(), static_cast<int>(msg));
        return AcRx::kRetError;
    }
}

}  // namespace

CurrentModuleScope::CurrentModuleScope(const void* module) : previous_(g_currentModule) { g_currentModule = module; }
CurrentModuleScope::~CurrentModuleScope() { g_currentModule = previous_; }

const void* CurrentModule() { return g_currentModule; }

const std::string& LastModuleError() { return g_lastError; }

std::vector<std::string> LoadedModules()
{
    std::vector<std::string> names;
    for (auto& m : Modules())
        names.push_back(m->name);
    return names;
}

AcRx::AppRetCode SendModuleMessage(void* appId, AcRx::AppMsgCode msg)
{
    Module* module = FindById(appId);
    return module == nullptr ? AcRx::kRetError : Send(module, msg);
}

void BroadcastModuleMessage(AcRx::AppMsgCode msg)
{
    // A module may load or unload others while it handles the message: walk a snapshot.
    std::vector<Module*> snapshot;
    for (auto& m : Modules())
        snapshot.push_back(m.get());
    for (Module* m : snapshot)
        if (FindById(m) != nullptr)
            Send(m, msg);
}

void UnloadAllModules()
{
    while (!Modules().empty()) {
        Module* module = Modules().back().get();
        module->locked = false;
        acrxDynamicLinker->unloadModule(module->path.c_str(), false);
        if (!Modules().empty() && Modules().back().get() == module)
            Release(module);
    }
}

void AddModuleCleanup(ModuleCleanup cleanup)
{
    if (std::find(Cleanups().begin(), Cleanups().end(), cleanup) == Cleanups().end())
        Cleanups().push_back(cleanup);
}

}  // namespace platform::cad

using namespace platform::cad;

bool AcRxDynamicLinker::loadModule(const char* fileName, bool printit, bool)
{
    g_lastError.clear();
    if (fileName == nullptr || *fileName == '\0')
        return Fail(printit, "No module named.");
    if (FindByName(fileName) != nullptr)
        return true;
    LONG error = 0;
    std::string path = platform::win::MapToLinux(std::string_view(fileName), &error);
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return Fail(printit, platform::text::Format("Module %s not found.", fileName));
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        return Fail(printit, platform::text::Format("Module %s cannot be loaded: %s", fileName, why ? why : "?"));
    }
    auto entry = reinterpret_cast<AcRxEntryPointFn>(dlsym(handle, "acrxEntryPoint"));
    auto version = reinterpret_cast<AcRxGetApiVersionFn>(dlsym(handle, "acrxGetApiVersion"));
    if (entry == nullptr || version == nullptr) {
        dlclose(handle);
        return Fail(printit, platform::text::Format("%s is not a module of this host: it lacks %s.", fileName,
                                                    entry == nullptr ? "acrxEntryPoint" : "acrxGetApiVersion"));
    }
    if (int v = version(); v != ACRX_API_VERSION) {
        dlclose(handle);
        return Fail(printit, platform::text::Format("%s was built for version %d of the host interface, not %d.",
                                                    fileName, v, ACRX_API_VERSION));
    }
    auto module = std::make_unique<Module>();
    module->path = path;
    module->name = AppName(path);
    module->handle = handle;
    module->entry = entry;
    Module* m = module.get();
    Modules().push_back(std::move(module));
    if (Send(m, AcRx::kInitAppMsg) != AcRx::kRetOK) {
        Release(m);
        return Fail(printit, platform::text::Format("%s refused to initialise.", fileName));
    }
    VisitDocumentsAsCurrent([&] {
        if (FindById(m) != nullptr)
            Send(m, AcRx::kLoadDwgMsg);
    });
    return FindById(m) != nullptr;
}

bool AcRxDynamicLinker::unloadModule(const char* fileName, bool printit, bool)
{
    g_lastError.clear();
    Module* m = FindByName(fileName);
    if (m == nullptr)
        return Fail(printit, platform::text::Format("Module %s is not loaded.", fileName ? fileName : ""));
    if (m->locked)
        return Fail(printit, platform::text::Format("Module %s is locked and cannot be unloaded.", m->name.c_str()));
    // Each open drawing hears that it goes away for this module, then the module itself.
    VisitDocumentsAsCurrent([&] {
        if (FindById(m) != nullptr)
            Send(m, AcRx::kUnloadDwgMsg);
    });
    if (FindById(m) == nullptr)
        return true;
    Send(m, AcRx::kUnloadAppMsg);
    if (FindById(m) != nullptr)
        Release(m);
    return true;
}

bool AcRxDynamicLinker::unlockApplication(void* appId) const
{
    Module* m = FindById(appId);
    if (m != nullptr)
        m->locked = false;
    return m != nullptr;
}

bool AcRxDynamicLinker::lockApplication(void* appId) const
{
    Module* m = FindById(appId);
    if (m != nullptr)
        m->locked = true;
    return m != nullptr;
}

bool AcRxDynamicLinker::isApplicationLocked(const char* appName) const
{
    Module* m = FindByName(appName);
    return m != nullptr && m->locked;
}

void* AcRxDynamicLinker::getSymbolAddress(const char* appName, const char* symbol) const
{
    Module* m = FindByName(appName);
    return m != nullptr && symbol != nullptr ? dlsym(m->handle, symbol) : nullptr;
}

bool AcRxDynamicLinker::registerAppMDIAware(void* appId) const
{
    Module* m = FindById(appId);
    if (m != nullptr)
        m->mdiAware = true;
    return m != nullptr;
}

bool AcRxDynamicLinker::registerAppNotMDIAware(void* appId) const
{
    Module* m = FindById(appId);
    if (m != nullptr)
        m->mdiAware = false;
    return m != nullptr;
}
