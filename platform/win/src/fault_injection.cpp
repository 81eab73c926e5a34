#include "platform/win/fault_injection.h"

#include <mutex>
#include <string>
#include <vector>

#include "fold_case.h"

namespace platform::win {
namespace {

struct Fault {
    FaultKind kind;
    std::u16string pattern;
    DWORD error;
};

std::mutex faultMutex;
std::vector<Fault> faults;

}  // namespace

void InjectFault(FaultKind kind, std::u16string_view pattern, DWORD error) {
    std::lock_guard lock(faultMutex);
    faults.push_back({kind, std::u16string(pattern), error});
}

void ClearFaults() {
    std::lock_guard lock(faultMutex);
    faults.clear();
}

DWORD CheckFault(FaultKind kind, std::u16string_view windowsPath) {
    std::lock_guard lock(faultMutex);
    for (const auto& fault : faults) {
        if (fault.kind == kind && MatchWildcard(fault.pattern, windowsPath)) return fault.error;
    }
    return ERROR_SUCCESS;
}

}  // namespace platform::win
