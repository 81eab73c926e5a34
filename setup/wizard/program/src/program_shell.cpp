#include "program_shell.h"

#include "platform/win/shell.h"

namespace Setup::detail {

void OpenProgram(const std::u16string& program) {
    ShellExecuteW(nullptr, u"open", program.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool StartSuspended(std::u16string commandLine, StartedProcess* started) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &process))
        return false;
    started->process = process.hProcess;
    started->thread = process.hThread;
    return true;
}

}  // namespace Setup::detail
