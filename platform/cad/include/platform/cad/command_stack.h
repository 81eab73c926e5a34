// The host's command stack: commands of the modules, filed in named groups, found by global or
// local name without regard to case. The group added last is searched first, so a module can
// shadow a command of another group.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/cad/acad_status.h"
#include "platform/cad/rx_object.h"
#include "platform/win/win_types.h"

using AcRxFunctionPtr = void (*)();
class AcEdUIContext;

// Command flags.
constexpr int ACRX_CMD_MODAL = 0x00000000;
constexpr int ACRX_CMD_TRANSPARENT = 0x00000001;
constexpr int ACRX_CMD_USEPICKSET = 0x00000002;
constexpr int ACRX_CMD_REDRAW = 0x00000004;
constexpr int ACRX_CMD_NOPERSPECTIVE = 0x00000008;
constexpr int ACRX_CMD_NOMULTIPLE = 0x00000010;
constexpr int ACRX_CMD_NOTILEMODE = 0x00000020;
constexpr int ACRX_CMD_NOPAPERSPACE = 0x00000040;
constexpr int ACRX_CMD_NOOEM = 0x00000100;
constexpr int ACRX_CMD_UNDEFINED = 0x00000200;
constexpr int ACRX_CMD_INPROGRESS = 0x00000400;
constexpr int ACRX_CMD_DEFUN = 0x00000800;
constexpr int ACRX_CMD_NONEWSTACK = 0x00010000;
constexpr int ACRX_CMD_NOINTERNALLOCK = 0x00020000;
constexpr int ACRX_CMD_DOCREADLOCK = 0x00080000;
constexpr int ACRX_CMD_DOCEXCLUSIVELOCK = 0x00100000;
constexpr int ACRX_CMD_SESSION = 0x00200000;

class AcEdCommand : public AcRxObject {
    DERO_RX_DECLARE_ABSTRACT_MEMBERS(AcEdCommand)

public:
    AcEdCommand(std::string group, std::string global, std::string local, int flags, AcRxFunctionPtr function,
                int functionCode, const void* owner)
        : group_(std::move(group)), global_(std::move(global)), local_(std::move(local)), flags_(flags),
          function_(function), functionCode_(functionCode), owner_(owner)
    {
    }
    const char* commandGlobalName() const { return global_.c_str(); }
    const char* commandLocalName() const { return local_.c_str(); }
    const char* groupName() const { return group_.c_str(); }
    int commandFlags() const { return flags_; }
    AcRxFunctionPtr functionAddr() const { return function_; }
    int functionCode() const { return functionCode_; }
    // The module that added the command (null for the host's own).
    const void* owner() const { return owner_; }

private:
    std::string group_, global_, local_;
    int flags_;
    AcRxFunctionPtr function_;
    int functionCode_;
    const void* owner_;
};

class AcEdCommandStack : public AcRxObject {
    DERO_RX_DECLARE_ABSTRACT_MEMBERS(AcEdCommandStack)

public:
    AcEdCommandStack() = default;
    AcEdCommandStack(const AcEdCommandStack&) = delete;
    AcEdCommandStack& operator=(const AcEdCommandStack&) = delete;

    // eDuplicateKey when the group has a command of that global or local name already;
    // eInvalidInput for an empty or blank-holding name or a null function.
    Acad::ErrorStatus addCommand(const char* cmdGroupName, const char* cmdGlobalName, const char* cmdLocalName,
                                 int commandFlags, AcRxFunctionPtr functionAddr, AcEdUIContext* UIContext = nullptr,
                                 int fcode = -1, HINSTANCE hResourceHandle = nullptr,
                                 AcEdCommand** cmdPtrPtr = nullptr);
    // eKeyNotFound when the group or the command does not exist.
    Acad::ErrorStatus removeCmd(const char* cmdGroupName, const char* cmdGlobalName);
    Acad::ErrorStatus removeGroup(const char* groupName);

    AcEdCommand* lookupGlobalCmd(const char* cmdName) const;
    AcEdCommand* lookupLocalCmd(const char* cmdName) const;
    // Global names first, then local ones.
    AcEdCommand* lookupCmd(const char* cmdName) const;

    // Host side: group names, the group searched first first.
    std::vector<std::string> groupNames() const;
    // Commands of a group in the order they were added.
    std::vector<const AcEdCommand*> groupCommands(const char* groupName) const;
    // Removes every command a module added; returns how many there were.
    int removeCommandsOf(const void* owner);

private:
    struct Group {
        std::string name;
        std::vector<std::unique_ptr<AcEdCommand>> commands;
    };
    Group* findGroup(const char* name);
    const Group* findGroup(const char* name) const;
    std::vector<Group> groups_;  // most recently added group last
};

// The command stack of the system registry (null only when someone removed it).
#define acedRegCmds (AcEdCommandStack::cast(acrxSysRegistry()->at(ACRX_COMMAND_DOCK)))

namespace platform::cad {
// The module whose entry point or command is running, recorded as the owner of what it adds.
const void* CurrentModule();
}  // namespace platform::cad
