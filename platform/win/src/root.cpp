#include "platform/win/root.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <optional>

#include "root_state.h"

namespace platform::win {
namespace {

std::mutex rootMutex;
std::optional<std::string> currentRoot;

std::string DefaultRoot() {
    if (const char* env = std::getenv("DERO_ROOT"); env && *env) return env;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = getpwuid(getuid());
        home = pw ? pw->pw_dir : "/tmp";
    }
    return std::string(home) + "/.dero";
}

std::string Absolute(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (!path.empty() && path.front() == '/') return path;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

}  // namespace

std::string GetRoot() {
    std::lock_guard lock(rootMutex);
    if (!currentRoot) currentRoot = Absolute(DefaultRoot());
    return *currentRoot;
}

void SetRoot(const std::string& linuxPath) {
    {
        std::lock_guard lock(rootMutex);
        currentRoot = Absolute(linuxPath.empty() ? DefaultRoot() : linuxPath);
    }
    DropRegistryCache();
}

}  // namespace platform::win
