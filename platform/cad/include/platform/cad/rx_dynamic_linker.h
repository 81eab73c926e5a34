// The dynamic linker: loads plug-in modules (shared objects exporting acrxEntryPoint and
// acrxGetApiVersion) and tells them what happens: 1 on load, 3 for every open drawing (also those
// opened later), 4 when a drawing closes, 2 on unload, 5 when one of their LISP functions is
// invoked.
#pragma once

#include <string>
#include <vector>

#include "platform/cad/rx_object.h"

namespace AcRx {
enum AppMsgCode {
    kNullMsg = 0,
    kInitAppMsg = 1,
    kUnloadAppMsg = 2,
    kLoadDwgMsg = 3,
    kUnloadDwgMsg = 4,
    kInvkSubrMsg = 5,
    kCfgMsg = 6,
    kEndMsg = 7,
    kQuitMsg = 8,
    kSaveMsg = 9,
};
enum AppRetCode { kRetOK = 0, kRetError = 3 };
}  // namespace AcRx

// The version a module's acrxGetApiVersion must answer to be loaded by this host.
constexpr int ACRX_API_VERSION = 16;

// The two exports of every module.
extern "C" {
using AcRxEntryPointFn = AcRx::AppRetCode (*)(AcRx::AppMsgCode msg, void* appId);
using AcRxGetApiVersionFn = int (*)();
}

class AcRxDynamicLinker : public AcRxObject {
    DERO_RX_DECLARE_ABSTRACT_MEMBERS(AcRxDynamicLinker)

public:
    AcRxDynamicLinker() = default;
    AcRxDynamicLinker(const AcRxDynamicLinker&) = delete;
    AcRxDynamicLinker& operator=(const AcRxDynamicLinker&) = delete;

    // Loads the module (a path of this machine, Windows form or POSIX; found without regard to
    // case) unless it is loaded already. With printit a failure is reported on the command line;
    // platform::cad::LastModuleError() always says why.
    bool loadModule(const char* fileName, bool printit, bool asCmd = false);
    // Refused while the module is locked (modules unlock themselves when they allow it).
    bool unloadModule(const char* fileName, bool printit, bool asCmd = false);
    // appId is what the module's entry point received.
    bool unlockApplication(void* appId) const;
    bool lockApplication(void* appId) const;
    bool isApplicationLocked(const char* appName) const;
    // The address of a symbol a loaded module exports (the module named as unloadModule takes
    // it); null when the module is not loaded or lacks the symbol. How modules of one process
    // reach the functions other modules offer beside their entry points.
    void* getSymbolAddress(const char* appName, const char* symbol) const;
    bool registerAppMDIAware(void* appId) const;
    bool registerAppNotMDIAware(void* appId) const;
};

#define acrxDynamicLinker (AcRxDynamicLinker::cast(acrxSysRegistry()->at(ACRX_DYNAMIC_LINKER)))

namespace platform::cad {

// Why the last load or unload failed (GBK), empty after a success.
const std::string& LastModuleError();

// Application names (file names without folder and extension) of the loaded modules, in load order.
std::vector<std::string> LoadedModules();

// Sends a message to one module (appId as its entry received it) or to all loaded modules in load
// order, with the module recorded as the current one meanwhile. The modules' results.
AcRx::AppRetCode SendModuleMessage(void* appId, AcRx::AppMsgCode msg);
void BroadcastModuleMessage(AcRx::AppMsgCode msg);

// Unloads every module, newest first, whatever their locks: the host's own end.
void UnloadAllModules();

// What the host removes after a module's unload because the module left it behind. Set by the
// services that keep such things (LISP functions, document reactors).
using ModuleCleanup = int (*)(const void* module);
void AddModuleCleanup(ModuleCleanup cleanup);

// Runs fn with the module recorded as the current one (restored afterwards).
class CurrentModuleScope {
public:
    explicit CurrentModuleScope(const void* module);
    ~CurrentModuleScope();
    CurrentModuleScope(const CurrentModuleScope&) = delete;
    CurrentModuleScope& operator=(const CurrentModuleScope&) = delete;

private:
    const void* previous_;
};

}  // namespace platform::cad
