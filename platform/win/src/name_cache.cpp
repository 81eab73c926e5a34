#include "name_cache.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <unordered_map>

#include "fold_case.h"

namespace platform::win {
namespace {

using Stamp = NameChange::Stamp;

struct Listing {
    Stamp stamp;
    std::unordered_map<std::string, std::set<std::string>> names;  // by folded name
};

// Folders seen at once in a run are few; a run that meets very many starts afresh.
constexpr std::size_t kMaxFolders = 4096;

std::mutex& CacheLock() {
    static std::mutex lock;
    return lock;
}

std::unordered_map<std::string, Listing>& Cache() {
    static std::unordered_map<std::string, Listing> cache;
    return cache;
}

std::string FolderOf(const std::string& folder) { return folder.empty() ? "." : folder; }

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder == "/") return "/" + name;
    return folder + "/" + name;
}

std::pair<std::string, std::string> Split(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return {"", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

Stamp StampFrom(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
            st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec};
}

// The folder as opendir sees it (a link to a folder is read through, as the look-up always did).
bool StampOf(const std::string& folder, Stamp* stamp) {
    struct stat st;
    if (stat(FolderOf(folder).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    *stamp = StampFrom(st);
    return true;
}

bool Present(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// Reads folder whole; stamp was taken before, so a change during the read leaves it stale.
bool Read(const std::string& folder, const Stamp& stamp, Listing* listing) {
    DIR* dir = opendir(FolderOf(folder).c_str());
    if (!dir) return false;
    listing->stamp = stamp;
    listing->names.clear();
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        listing->names[FoldCase(name)].emplace(name);
    }
    closedir(dir);
    return true;
}

std::string Lookup(const Listing& listing, const std::string& name) {
    const auto it = listing.names.find(FoldCase(std::string_view(name)));
    return it == listing.names.end() || it->second.empty() ? std::string() : *it->second.begin();
}

}  // namespace

std::string FindNameNoCase(const std::string& folder, const std::string& name, const struct stat* folderStatus) {
    std::lock_guard lock(CacheLock());
    auto& cache = Cache();
    Stamp stamp;
    // A folder's own status is what reading through it gives; a link's is not.
    if (folderStatus && S_ISDIR(folderStatus->st_mode)) {
        stamp = StampFrom(*folderStatus);
    } else if (!StampOf(folder, &stamp)) {
        cache.erase(folder);
        return {};
    }
    auto it = cache.find(folder);
    if (it != cache.end() && it->second.stamp == stamp) {
        const std::string found = Lookup(it->second, name);
        // A name found is checked once more: cheap, and it never hands out one that went.
        if (found.empty() || Present(Join(folder, found))) return found;
    }
    if (it == cache.end()) {
        if (cache.size() >= kMaxFolders) cache.clear();
        it = cache.emplace(folder, Listing{}).first;
    }
    if (!Read(folder, stamp, &it->second)) {
        cache.erase(it);
        return {};
    }
    return Lookup(it->second, name);
}

bool ListedWithout(const std::string& folder, const std::string& name) {
    std::lock_guard lock(CacheLock());
    const auto& cache = Cache();
    const auto it = cache.find(folder);
    return it != cache.end() && Lookup(it->second, name).empty();
}

NameChange::NameChange(const std::string& path, const struct stat* folderStatus)
    : NameChange({}, path, folderStatus) {}

NameChange::NameChange(const std::string& from, const std::string& to, const struct stat* toFolderStatus) {
    CacheLock().lock();
    try {
        Add(from, nullptr);
        Add(to, toFolderStatus);
    } catch (...) {
        CacheLock().unlock();
        throw;
    }
}

void NameChange::Add(const std::string& path, const struct stat* folderStatus) {
    if (path.empty()) return;
    auto [folder, name] = Split(path);
    Folder* entry = nullptr;
    for (auto& f : folders_) {
        if (f.path == folder) entry = &f;
    }
    if (!entry) {
        entry = &folders_.emplace_back();
        entry->path = folder;
        if (folderStatus && S_ISDIR(folderStatus->st_mode)) {
            entry->before = StampFrom(*folderStatus);
            entry->known = true;
        } else if (Cache().count(folder)) {
            // A folder whose names were never read has nothing to bring up to date, so is not asked.
            entry->known = StampOf(folder, &entry->before);
        }
    }
    entry->names.push_back(std::move(name));
}

void NameChange::Include(const std::string& path) {
    auto [folder, name] = Split(path);
    for (auto& f : folders_) {
        if (f.path == folder) f.names.push_back(std::move(name));
    }
}

void NameChange::Made(const std::string& path) {
    auto [folder, name] = Split(path);
    for (auto& f : folders_) {
        if (f.path == folder) f.made.push_back(std::move(name));
    }
}

NameChange::~NameChange() {
    auto& cache = Cache();
    for (const auto& folder : folders_) {
        const auto it = cache.find(folder.path);
        if (it == cache.end()) continue;
        Stamp after;
        // Only a listing true just before the change is carried over it; otherwise it is read again.
        if (!folder.known || !(it->second.stamp == folder.before) || !StampOf(folder.path, &after) ||
            after.device != folder.before.device || after.inode != folder.before.inode) {
            cache.erase(it);
            continue;
        }
        for (const auto& name : folder.names) {
            auto& same = it->second.names[FoldCase(std::string_view(name))];
            const bool made = std::find(folder.made.begin(), folder.made.end(), name) != folder.made.end();
            if (made || Present(Join(folder.path, name))) same.insert(name);
            else same.erase(name);
        }
        it->second.stamp = after;
    }
    CacheLock().unlock();
}

}  // namespace platform::win
