#include "platform/win/fault_injection.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "fold_case.h"
#include "platform/text/encoding.h"

namespace platform::win {
namespace {

struct Fault {
    FaultKind kind;
    std::u16string pattern;
    DWORD error;
};

std::mutex faultMutex;
std::vector<Fault> faults;
std::once_flag environmentOnce;

struct KindName {
    const char* name;
    FaultKind kind;
    DWORD defaultError;
};

constexpr KindName kKinds[] = {
    {"Copy", FaultKind::Copy, ERROR_ACCESS_DENIED},
    {"Delete", FaultKind::Delete, ERROR_ACCESS_DENIED},
    {"Create", FaultKind::Create, ERROR_ACCESS_DENIED},
    {"Move", FaultKind::Move, ERROR_ACCESS_DENIED},
    {"Open", FaultKind::Open, ERROR_ACCESS_DENIED},
    {"Read", FaultKind::Read, ERROR_ACCESS_DENIED},
    {"Write", FaultKind::Write, ERROR_ACCESS_DENIED},
    {"Close", FaultKind::Close, ERROR_ACCESS_DENIED},
    {"RegistryOpen", FaultKind::RegistryOpen, ERROR_ACCESS_DENIED},
    {"RegistryCreate", FaultKind::RegistryCreate, ERROR_ACCESS_DENIED},
    {"RegistryWrite", FaultKind::RegistryWrite, ERROR_ACCESS_DENIED},
    {"RegistryDelete", FaultKind::RegistryDelete, ERROR_ACCESS_DENIED},
    {"Load", FaultKind::Load, ERROR_MOD_NOT_FOUND},
    {"Export", FaultKind::Export, 127},  // ERROR_PROC_NOT_FOUND
};

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

// Adds the fault an entry describes, or says on the standard error why it cannot.
bool AddEntry(const std::string& entry) {
    const auto equals = entry.find('=');
    if (equals == std::string::npos) {
        std::fprintf(stderr, "DERO_FAULTS: \"%s\" is not Kind=pattern; skipped\n", entry.c_str());
        return false;
    }
    const std::string kindName = Trim(std::string_view(entry).substr(0, equals));
    std::string pattern = Trim(std::string_view(entry).substr(equals + 1));
    const KindName* kind = nullptr;
    for (const auto& candidate : kKinds)
        if (EqualNoCase(std::string_view(candidate.name), std::string_view(kindName)))
            kind = &candidate;
    if (!kind) {
        std::fprintf(stderr, "DERO_FAULTS: unknown operation \"%s\"; skipped\n", kindName.c_str());
        return false;
    }
    DWORD error = kind->defaultError;
    // "@digits" at the end is the error; an '@' elsewhere belongs to the pattern.
    if (const auto at = pattern.rfind('@');
        at != std::string::npos && at + 1 < pattern.size() &&
        pattern.find_first_not_of("0123456789", at + 1) == std::string::npos) {
        const unsigned long value = std::strtoul(pattern.c_str() + at + 1, nullptr, 10);
        if (value == 0 || value > 0xFFFFFFFFul) {
            std::fprintf(stderr, "DERO_FAULTS: \"%s\" is not an error code; skipped\n",
                         pattern.c_str() + at + 1);
            return false;
        }
        error = static_cast<DWORD>(value);
        pattern = Trim(std::string_view(pattern).substr(0, at));
    }
    if (pattern.empty()) {
        std::fprintf(stderr, "DERO_FAULTS: \"%s\" has no pattern; skipped\n", entry.c_str());
        return false;
    }
    std::lock_guard lock(faultMutex);
    faults.push_back({kind->kind, text::Utf8ToUtf16(pattern), error});
    return true;
}

int LoadEnvironment() {
    const char* value = std::getenv("DERO_FAULTS");
    if (!value)
        return 0;
    int added = 0;
    const std::string_view all(value);
    std::size_t start = 0;
    while (start <= all.size()) {
        std::size_t end = all.find_first_of(";\n", start);
        if (end == std::string_view::npos)
            end = all.size();
        const std::string entry = Trim(all.substr(start, end - start));
        if (!entry.empty() && AddEntry(entry))
            ++added;
        start = end + 1;
    }
    return added;
}

}  // namespace

int LoadFaultsFromEnvironment() {
    int added = 0;
    std::call_once(environmentOnce, [&] { added = LoadEnvironment(); });
    return added;
}

void InjectFault(FaultKind kind, std::u16string_view pattern, DWORD error) {
    std::lock_guard lock(faultMutex);
    faults.push_back({kind, std::u16string(pattern), error});
}

void ClearFaults() {
    std::lock_guard lock(faultMutex);
    faults.clear();
}

DWORD CheckFault(FaultKind kind, std::u16string_view windowsPath) {
    LoadFaultsFromEnvironment();
    std::lock_guard lock(faultMutex);
    for (const auto& fault : faults) {
        if (fault.kind == kind && MatchWildcard(fault.pattern, windowsPath))
            return fault.error;
    }
    return ERROR_SUCCESS;
}

}  // namespace platform::win
