#include <array>

#include "engine_support.h"
#include "platform/win/folders.h"
#include "platform/win/registry.h"
#include "setup/engine/shortcuts.h"

namespace Setup::detail {
namespace {

constexpr char16_t kShellFolders[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Desktop, programs, documents, startup, start menu, desktop folder, fonts, the common start
// menu, programs and desktop, application data (roaming, local, common), Windows, system,
// program files and common files.
constexpr std::array<int, 17> kFolderIds = {0x00, 0x02, 0x05, 0x07, 0x0B, 0x10, 0x14, 0x16, 0x17,
                                            0x19, 0x1A, 0x1C, 0x23, 0x24, 0x25, 0x26, 0x2B};

void AddValues(HKEY hive, std::u16string_view path, std::vector<std::u16string>* folders) {
    RegKey key;
    if (!key.Open(hive, path, KEY_READ)) return;
    for (DWORD i = 0;; ++i) {
        std::vector<char16_t> name(16384);
        DWORD length = static_cast<DWORD>(name.size());
        const LONG result = RegEnumValueW(key.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        std::u16string text;
        if (result == ERROR_SUCCESS && key.QueryText(std::u16string_view(name.data(), length), &text))
            folders->push_back(text);
    }
}

}  // namespace

std::u16string Canonical(std::u16string_view path) {
    std::u16string out;
    out.reserve(path.size());
    for (const char16_t c : path) out += c == u'/' ? u'\\' : FoldChar(c);
    while (!out.empty() && out.back() == u'\\') out.pop_back();
    return out;
}

bool IsBelowFolder(std::u16string_view path, std::u16string_view folder) {
    return !folder.empty() && path.size() > folder.size() && path.substr(0, folder.size()) == folder &&
           path[folder.size()] == u'\\';
}

std::vector<std::u16string> SpecialFolders() {
    std::vector<std::u16string> folders;
    char16_t buffer[MAX_PATH] = {};
    const UINT windowsLength = GetWindowsDirectoryW(buffer, MAX_PATH);
    if (windowsLength > 0 && windowsLength < MAX_PATH) {
        const std::u16string windows(buffer, windowsLength);
        folders.push_back(windows);
        folders.push_back(windows + u"\\system32");
        folders.push_back(windows + u"\\Fonts");
        // Where a fresh machine keeps programs and the users' folders.
        const std::u16string drive = windows.substr(0, 2);
        for (const char16_t* folder :
             {u"\\Program Files", u"\\Program Files (x86)", u"\\Documents and Settings", u"\\Users"})
            folders.push_back(drive + folder);
    }
    const DWORD tempLength = GetTempPathW(MAX_PATH, buffer);
    if (tempLength > 0 && tempLength < MAX_PATH) folders.emplace_back(buffer, tempLength);

    const ShellServices services = GetShellServices();
    if (services.specialFolder)
        for (const int id : kFolderIds) folders.push_back(services.specialFolder(id));
    if (services.desktopFolder) folders.push_back(services.desktopFolder());
    AddValues(HKEY_CURRENT_USER, kShellFolders, &folders);
    AddValues(HKEY_LOCAL_MACHINE, kShellFolders, &folders);
    RegKey current;
    if (current.Open(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Windows\\CurrentVersion", KEY_READ)) {
        for (const char16_t* name : {u"ProgramFilesDir", u"ProgramFilesDir (x86)", u"CommonFilesDir"}) {
            std::u16string text;
            if (current.QueryText(name, &text)) folders.push_back(text);
        }
    }

    std::vector<std::u16string> canonical;
    for (const std::u16string& folder : folders) {
        std::u16string c = Canonical(folder);
        if (!c.empty()) canonical.push_back(std::move(c));
    }
    return canonical;
}

bool IsProtectedFolder(std::u16string_view path, const std::vector<std::u16string>& specialFolders) {
    const std::u16string c = Canonical(path);
    if (c.size() < 4 || c[1] != u':' || c[2] != u'\\') return true;
    for (const std::u16string& folder : specialFolders)
        if (c == folder || IsBelowFolder(folder, c)) return true;
    return false;
}

}  // namespace Setup::detail
