// Tokens of this process, its privileges and restart requests.
#include "platform/win/security.h"

#include <atomic>
#include <cstring>

#include "fold_case.h"
#include "guard.h"
#include "kernel_objects.h"
#include "platform/text/format.h"
#include "platform/win/machine.h"

namespace platform::win {
namespace {

struct Token : KernelObject {};

struct Privilege {
    const char16_t* name;
    DWORD luid;
};

constexpr Privilege kPrivileges[] = {
    {u"SeBackupPrivilege", 17}, {u"SeRestorePrivilege", 18},    {u"SeShutdownPrivilege", 19},
    {u"SeDebugPrivilege", 20},  {u"SeSystemtimePrivilege", 12},
};
constexpr DWORD kShutdownLuid = 19;

// The process token's one privilege that matters here.
std::atomic<bool> shutdownEnabled{false};

BOOL Fail(LONG error) {
    SetLastError(static_cast<DWORD>(error));
    return FALSE;
}

BOOL OpenTokenCore(HANDLE process, DWORD access, HANDLE* token) {
    if (!token || !process)
        return Fail(ERROR_INVALID_PARAMETER);
    auto object = std::make_shared<Token>();
    object->access = access;
    *token = AddKernelObject(std::move(object));
    return TRUE;
}

BOOL InformationCore(HANDLE handle, TOKEN_INFORMATION_CLASS infoClass, LPVOID info, DWORD length,
                     LPDWORD returnLength) {
    const auto token = FindKernelObjectAs<Token>(handle);
    if (!token)
        return Fail(ERROR_INVALID_HANDLE);
    if (!(token->access & TOKEN_QUERY))
        return Fail(ERROR_ACCESS_DENIED);
    if (infoClass != TokenElevationType && infoClass != TokenElevation)
        return Fail(ERROR_INVALID_PARAMETER);
    if (returnLength)
        *returnLength = sizeof(DWORD);
    if (!info || length < sizeof(DWORD))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    const DWORD type = ReadMachineFacts().elevationType;
    const DWORD value = infoClass == TokenElevationType ? type : (type == TokenElevationTypeFull ? 1u : 0u);
    std::memcpy(info, &value, sizeof value);
    return TRUE;
}

BOOL LookupCore(LPCWSTR systemName, LPCWSTR name, PLUID luid) {
    if (!name || !luid)
        return Fail(ERROR_INVALID_PARAMETER);
    if (systemName && *systemName)
        return Fail(ERROR_BAD_NETPATH);
    for (const Privilege& privilege : kPrivileges) {
        if (EqualNoCase(std::u16string_view(privilege.name), std::u16string_view(name))) {
            luid->LowPart = privilege.luid;
            luid->HighPart = 0;
            return TRUE;
        }
    }
    return Fail(ERROR_NO_SUCH_PRIVILEGE);
}

BOOL AdjustCore(HANDLE handle, BOOL disableAll, PTOKEN_PRIVILEGES newState, DWORD bufferLength,
                PTOKEN_PRIVILEGES previousState, LPDWORD returnLength) {
    const auto token = FindKernelObjectAs<Token>(handle);
    if (!token)
        return Fail(ERROR_INVALID_HANDLE);
    if (!(token->access & TOKEN_ADJUST_PRIVILEGES))
        return Fail(ERROR_ACCESS_DENIED);
    if (!disableAll && !newState)
        return Fail(ERROR_INVALID_PARAMETER);
    const bool wasEnabled = shutdownEnabled;
    if (previousState) {
        if (bufferLength < sizeof(TOKEN_PRIVILEGES)) {
            if (returnLength)
                *returnLength = sizeof(TOKEN_PRIVILEGES);
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        }
        previousState->PrivilegeCount = 1;
        previousState->Privileges[0].Luid = LUID{kShutdownLuid, 0};
        previousState->Privileges[0].Attributes = wasEnabled ? SE_PRIVILEGE_ENABLED : 0;
        if (returnLength)
            *returnLength = sizeof(TOKEN_PRIVILEGES);
    }
    if (disableAll) {
        shutdownEnabled = false;
    } else {
        for (DWORD i = 0; i < newState->PrivilegeCount; ++i) {
            const LUID_AND_ATTRIBUTES& entry = newState->Privileges[i];
            if (entry.Luid.LowPart == kShutdownLuid && entry.Luid.HighPart == 0)
                shutdownEnabled = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
        }
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL ExitCore(UINT flags, DWORD reason) {
    const char16_t* what = u"logoff";
    if (flags & EWX_POWEROFF)
        what = u"poweroff";
    else if (flags & EWX_REBOOT)
        what = u"restart";
    else if (flags & EWX_SHUTDOWN)
        what = u"shutdown";
    if ((flags & (EWX_POWEROFF | EWX_REBOOT | EWX_SHUTDOWN)) && !shutdownEnabled)
        return Fail(ERROR_PRIVILEGE_NOT_HELD);
    RecordEvent(text::Format(u"%s flags=0x%X reason=0x%X", what, flags, reason));
    return TRUE;
}

}  // namespace

}  // namespace platform::win

BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) {
    return platform::win::Guard<BOOL>(FALSE,
                                      [&] { return platform::win::OpenTokenCore(process, access, token); });
}

BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS infoClass, LPVOID info, DWORD length,
                         LPDWORD returnLength) {
    return platform::win::Guard<BOOL>(
        FALSE, [&] { return platform::win::InformationCore(token, infoClass, info, length, returnLength); });
}

BOOL LookupPrivilegeValueW(LPCWSTR systemName, LPCWSTR name, PLUID luid) {
    return platform::win::Guard<BOOL>(FALSE,
                                      [&] { return platform::win::LookupCore(systemName, name, luid); });
}

BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState, DWORD bufferLength,
                           PTOKEN_PRIVILEGES previousState, LPDWORD returnLength) {
    return platform::win::Guard<BOOL>(FALSE, [&] {
        return platform::win::AdjustCore(token, disableAll, newState, bufferLength, previousState,
                                         returnLength);
    });
}

BOOL ExitWindowsEx(UINT flags, DWORD reason) {
    return platform::win::Guard<BOOL>(FALSE, [&] { return platform::win::ExitCore(flags, reason); });
}
