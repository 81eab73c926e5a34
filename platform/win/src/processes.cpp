// The process table: seeded from the machine facts of the current root, grown by launches.
#include "platform/win/processes.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "guard.h"
#include "kernel_objects.h"
#include "platform/text/format.h"
#include "platform/win/machine.h"
#include "platform/win/root.h"

namespace platform::win {
namespace {

struct Process {
    std::u16string program;
    std::vector<std::u16string> modules;  // the program first
};

struct ProcessTable {
    std::string root;  // the root the table was seeded from
    std::map<DWORD, Process> processes;
    DWORD nextId = 1000;
};

std::mutex tableMutex;
ProcessTable table;

// The table of the current root; a new root starts from its own facts.
ProcessTable& Table() {
    const std::string root = GetRoot();
    if (table.root != root) {
        table = ProcessTable{};
        table.root = root;
        for (const MachineProcess& seeded : ReadMachineFacts().processes) {
            Process process{seeded.program, {seeded.program}};
            process.modules.insert(process.modules.end(), seeded.modules.begin(), seeded.modules.end());
            table.processes.emplace(table.nextId, std::move(process));
            table.nextId += 4;
        }
    }
    return table;
}

std::u16string_view FileNameOf(std::u16string_view path) {
    const auto cut = path.find_last_of(u"\\/");
    return cut == std::u16string_view::npos ? path : path.substr(cut + 1);
}

struct ProcessSnapshot : KernelObject {
    std::vector<std::pair<DWORD, std::u16string>> processes;
    DWORD processId = 0;
    std::vector<std::u16string> modules;
    std::size_t nextProcess = 0;
    std::size_t nextModule = 0;
};

struct ProcessHandle : KernelObject {
    DWORD processId = 0;
};

template <std::size_t N>
void CopyName(WCHAR (&target)[N], std::u16string_view text) {
    const std::size_t n = std::min(text.size(), N - 1);
    std::copy_n(text.begin(), n, target);
    target[n] = 0;
}

BOOL Fail(LONG error) {
    SetLastError(static_cast<DWORD>(error));
    return FALSE;
}

HANDLE SnapshotCore(DWORD flags, DWORD processId) {
    auto snapshot = std::make_shared<ProcessSnapshot>();
    {
        std::lock_guard lock(tableMutex);
        ProcessTable& current = Table();
        if (flags & TH32CS_SNAPPROCESS)
            for (const auto& [id, process] : current.processes)
                snapshot->processes.emplace_back(id, process.program);
        if (flags & TH32CS_SNAPMODULE) {
            const auto it = current.processes.find(processId);
            if (it == current.processes.end()) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return INVALID_HANDLE_VALUE;
            }
            snapshot->processId = processId;
            snapshot->modules = it->second.modules;
        }
    }
    return AddKernelObject(std::move(snapshot));
}

BOOL NextProcess(HANDLE handle, LPPROCESSENTRY32W entry, bool first) {
    const auto snapshot = FindKernelObjectAs<ProcessSnapshot>(handle);
    if (!snapshot)
        return Fail(ERROR_INVALID_HANDLE);
    if (!entry || entry->dwSize < sizeof(PROCESSENTRY32W))
        return Fail(ERROR_BAD_LENGTH);
    if (first)
        snapshot->nextProcess = 0;
    if (snapshot->nextProcess >= snapshot->processes.size())
        return Fail(ERROR_NO_MORE_FILES);
    const auto& [id, program] = snapshot->processes[snapshot->nextProcess++];
    std::memset(reinterpret_cast<char*>(entry) + sizeof entry->dwSize, 0,
                sizeof *entry - sizeof entry->dwSize);
    entry->th32ProcessID = id;
    entry->cntThreads = 1;
    entry->pcPriClassBase = 8;
    CopyName(entry->szExeFile, FileNameOf(program));
    return TRUE;
}

BOOL NextModule(HANDLE handle, LPMODULEENTRY32W entry, bool first) {
    const auto snapshot = FindKernelObjectAs<ProcessSnapshot>(handle);
    if (!snapshot)
        return Fail(ERROR_INVALID_HANDLE);
    if (!entry || entry->dwSize < sizeof(MODULEENTRY32W))
        return Fail(ERROR_BAD_LENGTH);
    if (first)
        snapshot->nextModule = 0;
    if (snapshot->nextModule >= snapshot->modules.size())
        return Fail(ERROR_NO_MORE_FILES);
    const std::u16string& path = snapshot->modules[snapshot->nextModule++];
    std::memset(reinterpret_cast<char*>(entry) + sizeof entry->dwSize, 0,
                sizeof *entry - sizeof entry->dwSize);
    entry->th32ModuleID = 1;
    entry->th32ProcessID = snapshot->processId;
    entry->GlblcntUsage = entry->ProccntUsage = 0xFFFF;
    CopyName(entry->szModule, FileNameOf(path));
    CopyName(entry->szExePath, path);
    return TRUE;
}

HANDLE OpenCore(DWORD access, DWORD processId) {
    {
        std::lock_guard lock(tableMutex);
        if (!Table().processes.count(processId)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    }
    auto handle = std::make_shared<ProcessHandle>();
    handle->access = access;
    handle->processId = processId;
    return AddKernelObject(std::move(handle));
}

BOOL TerminateCore(HANDLE handle, UINT exitCode) {
    const auto process = FindKernelObjectAs<ProcessHandle>(handle);
    if (!process)
        return Fail(ERROR_INVALID_HANDLE);
    if (!(process->access & PROCESS_TERMINATE))
        return Fail(ERROR_ACCESS_DENIED);
    std::u16string program;
    {
        std::lock_guard lock(tableMutex);
        auto& processes = Table().processes;
        const auto it = processes.find(process->processId);
        if (it == processes.end())
            return Fail(ERROR_ACCESS_DENIED);  // ended already
        program = it->second.program;
        processes.erase(it);
    }
    RecordEvent(text::Format(u"terminate %u \"%s\" %u", process->processId, program, exitCode));
    return TRUE;
}

}  // namespace

DWORD AddRunningProcess(std::u16string_view program, const std::vector<std::u16string>& modules) {
    std::lock_guard lock(tableMutex);
    ProcessTable& current = Table();
    Process process{std::u16string(program), {std::u16string(program)}};
    process.modules.insert(process.modules.end(), modules.begin(), modules.end());
    const DWORD id = current.nextId;
    current.nextId += 4;
    current.processes.emplace(id, std::move(process));
    return id;
}

}  // namespace platform::win

HANDLE GetCurrentProcess() {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
}

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
    return platform::win::Guard<HANDLE>(INVALID_HANDLE_VALUE,
                                        [&] { return platform::win::SnapshotCore(flags, processId); });
}

BOOL Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry) {
    return platform::win::Guard<BOOL>(FALSE,
                                      [&] { return platform::win::NextProcess(snapshot, entry, true); });
}
BOOL Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry) {
    return platform::win::Guard<BOOL>(FALSE,
                                      [&] { return platform::win::NextProcess(snapshot, entry, false); });
}
BOOL Module32FirstW(HANDLE snapshot, LPMODULEENTRY32W entry) {
    return platform::win::Guard<BOOL>(FALSE,
                                      [&] { return platform::win::NextModule(snapshot, entry, true); });
}
BOOL Module32NextW(HANDLE snapshot, LPMODULEENTRY32W entry) {
    return platform::win::Guard<BOOL>(FALSE,
                                      [&] { return platform::win::NextModule(snapshot, entry, false); });
}

HANDLE OpenProcess(DWORD access, BOOL, DWORD processId) {
    return platform::win::Guard<HANDLE>(nullptr, [&] { return platform::win::OpenCore(access, processId); });
}

BOOL TerminateProcess(HANDLE process, UINT exitCode) {
    return platform::win::Guard<BOOL>(FALSE, [&] { return platform::win::TerminateCore(process, exitCode); });
}

BOOL SetPriorityClass(HANDLE process, DWORD priorityClass) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL {
        switch (priorityClass) {
            case NORMAL_PRIORITY_CLASS: case IDLE_PRIORITY_CLASS: case HIGH_PRIORITY_CLASS:
            case REALTIME_PRIORITY_CLASS: case BELOW_NORMAL_PRIORITY_CLASS: case ABOVE_NORMAL_PRIORITY_CLASS:
                break;
            default:
                return platform::win::Fail(ERROR_INVALID_PARAMETER);
        }
        if (process == GetCurrentProcess() || platform::win::FindKernelObjectAs<platform::win::ProcessHandle>(process))
            return TRUE;
        return platform::win::Fail(ERROR_INVALID_HANDLE);
    });
}
