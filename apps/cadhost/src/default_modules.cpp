#include "default_modules.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace cadhost {
namespace {

bool IsFile(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string ProgramFolder()
{
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    std::string path(buffer, static_cast<std::size_t>(n));
    return path.substr(0, path.find_last_of('/'));
}

}  // namespace

std::vector<std::string> DefaultModules()
{
    struct Plugin {
        const char* file;
        const char* buildFolder;
    };
    const Plugin plugins[] = {{"Tallyview.so", "browser"}, {"DeroPelgar.so", "cadastral"}, {"Geoport.so", "gisexchange"}};
    std::vector<std::string> folders;
    if (const char* dir = std::getenv("DERO_PLUGIN_DIR"); dir != nullptr && *dir != '\0')
        folders.push_back(dir);
    std::string program = ProgramFolder();
    folders.push_back(program);
    std::vector<std::string> found;
    for (const Plugin& p : plugins) {
        std::vector<std::string> candidates;
        for (const std::string& folder : folders)
            candidates.push_back(folder + "/" + p.file);
        candidates.push_back(program + "/../../" + p.buildFolder + "/" + p.file);
        for (const std::string& c : candidates)
            if (IsFile(c)) {
                found.push_back(c);
                break;
            }
    }
    return found;
}

}  // namespace cadhost
