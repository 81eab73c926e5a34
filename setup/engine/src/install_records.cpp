#include "setup/engine/install_records.h"

#include <atomic>

#include "platform/win/system_info.h"

namespace Setup {
namespace {

std::atomic<ComputerNameQuery> g_computerNameQuery{&GetComputerNameW};

// The computer name for a buffer of 15 characters; a longer name, or none, leaves it empty.
std::u16string ComputerName() {
    const ComputerNameQuery query = g_computerNameQuery.load();
    WCHAR buffer[15] = {};
    DWORD size = 15;
    if (!query(buffer, &size) || size >= 15) return {};
    return std::u16string(buffer, size);
}

}  // namespace

CADVer::CADVer()
    : userName(ComputerName()), userCompany(kUserCompanyPlaceholder), guid(kProductGuid), buildGuid(kBuildGuid) {}

bool CADVer::HasCustomSystemFolder() const { return relatedFile.size() > 4; }

std::u16string CADVer::GetSystemFolder() const {
    return HasCustomSystemFolder() ? installFolder : installFolder + u"\\system";
}

void SetComputerNameQuery(ComputerNameQuery query) { g_computerNameQuery.store(query ? query : &GetComputerNameW); }

}  // namespace Setup
