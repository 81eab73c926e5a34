#include "platform/cad/file_search.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/cad/db_database.h"
#include "platform/cad/documents.h"
#include "platform/cad/resbuf.h"
#include "platform/text/gbk.h"
#include "platform/win/path_mapping.h"

namespace platform::cad {
namespace {

std::vector<std::string> g_support;

bool IsFile(const std::string& linuxPath)
{
    struct stat info {};
    return !linuxPath.empty() && stat(linuxPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    char last = folder.back();
    return (last == '\\' || last == '/') ? folder + name : folder + "\\" + name;
}

// The Linux path of an existing file, or empty.
std::string Existing(const std::string& gbkPath)
{
    std::string path = win::MapToLinux(std::string_view(gbkPath));
    return IsFile(path) ? path : std::string();
}

std::string Search(const std::string& name)
{
    if (text::GbkFindLastSeparator(name) != std::string::npos || (name.size() > 1 && name[1] == ':'))
        return Existing(name);
    std::vector<std::string> folders;
    if (AcApDocument* doc = curDoc()) {
        std::string file = doc->fileName();
        std::size_t slash = text::GbkFindLastSeparator(file);
        if (slash != std::string::npos)
            folders.push_back(file.substr(0, slash + 1));
    }
    folders.insert(folders.end(), g_support.begin(), g_support.end());
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) != nullptr)
        folders.push_back(cwd);
    for (const std::string& folder : folders)
        if (std::string found = Existing(Join(folder, name)); !found.empty())
            return found;
    return {};
}

}  // namespace

void SetSupportPath(std::vector<std::string> folders) { g_support = std::move(folders); }
const std::vector<std::string>& SupportPath() { return g_support; }

}  // namespace platform::cad

int acedFindFile(const char* fname, char* result, std::size_t bufLen)
{
    if (fname == nullptr || *fname == '\0' || result == nullptr || bufLen == 0)
        return RTERROR;
    std::string name = fname;
    std::string found = platform::cad::Search(name);
    std::string lower = platform::text::GbkToLower(name);
    if (found.empty() && lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".dwg") == 0)
        found = platform::cad::Search(name.substr(0, name.size() - 4) + ".dxf");
    if (found.empty())
        return RTERROR;
    std::string windows = platform::win::MapToWindowsA(found);
    if (windows.size() + 1 > bufLen)
        return RTERROR;
    std::memcpy(result, windows.c_str(), windows.size() + 1);
    return RTNORM;
}
