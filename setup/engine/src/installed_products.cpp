#include "setup/engine/installed_products.h"

#include "engine_support.h"
#include "platform/win/files.h"

namespace Setup {
namespace {

using detail::RegKey;

// A family member's "installinfo" names "deroinstall" in any case.
bool IsProductEntry(const RegKey& entry) {
    const std::u16string info = entry.QueryString(u"installinfo", 1024);
    return !info.empty() && detail::ToLower(info).find(u"deroinstall") != std::u16string::npos;
}

}  // namespace

int CountSubkeys(HKEY key) {
    DWORD subkeys = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return static_cast<int>(subkeys);
}

int CountFilesInFolder(std::u16string_view folder) {
    if (folder.empty()) return 0;
    const std::u16string base(folder);
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((base + u"\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        const std::u16string_view name(data.cFileName);
        if (name == u"." || name == u"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            count += CountFilesInFolder(base + u"\\" + std::u16string(name));
        else
            ++count;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

void ListInstalledProducts(std::vector<CADVer>& products) {
    products.clear();
    RegKey root;
    if (!root.Open(HKEY_LOCAL_MACHINE, kUninstallRoot, KEY_READ)) return;
    const int count = CountSubkeys(root.get());
    for (int i = 0; i < count; ++i) {
        const std::u16string name = root.SubkeyName(static_cast<DWORD>(i));
        RegKey entry;
        if (name.empty() || !entry.Open(root.get(), name, KEY_READ) || !IsProductEntry(entry)) continue;
        CADVer description;
        description.product = entry.QueryString(u"DisplayName", 1024);
        description.installFolder = entry.QueryString(u"InstallLocation", 1024);
        description.fileNum = CountFilesInFolder(description.installFolder) + 1;
        description.profileName = entry.QueryString(u"DisplayVersion", 1024);
        products.push_back(std::move(description));
    }
}

bool ReadUninstallEntry(CADVer& description) {
    RegKey root;
    if (!root.Open(HKEY_LOCAL_MACHINE, kUninstallRoot, KEY_READ)) return false;
    const std::u16string program = detail::RunningProgramPath();
    const bool byProgram = description.product.size() < 3;
    const int count = CountSubkeys(root.get());
    for (int i = 0; i < count; ++i) {
        const std::u16string name = root.SubkeyName(static_cast<DWORD>(i));
        RegKey entry;
        if (name.empty() || !entry.Open(root.get(), name, KEY_READ)) continue;
        const std::u16string uninstall = entry.QueryString(u"UninstallString", 4096);
        const bool match = byProgram ? !program.empty() && detail::EqualNoCase(uninstall, program)
                                     : detail::EqualNoCase(entry.QueryString(u"DisplayName", 4096), description.product);
        if (!match) continue;
        description.product = entry.QueryString(u"DisplayName", 4096);
        description.installFolder = entry.QueryString(u"InstallLocation", 4096);
        description.profileName = entry.QueryString(u"DisplayVersion", 4096);
        description.fileNum = CountFilesInFolder(description.installFolder) + 1;
        return true;
    }
    return false;
}

}  // namespace Setup
