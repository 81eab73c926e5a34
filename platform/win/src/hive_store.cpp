#include "hive_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "file_support.h"
#include "fold_case.h"
#include "platform/win/root.h"
#include "reg_file.h"
#include "root_state.h"

namespace platform::win {
namespace {

constexpr int kHiveCount = 3;

struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    bool operator==(const FileStamp& other) const {
        return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
    }
};

struct CachedHive {
    std::unique_ptr<RegKey> root;
    FileStamp stamp;
    std::string text;  // the file as loaded or written
    bool valid = false;
};

// File times are coarse and inode numbers are reused, so a file replaced twice in quick
// succession can look unchanged. While its time is this recent, the content is compared too.
bool IsRecent(const FileStamp& stamp) {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec - stamp.modified.tv_sec < 2;
}

CachedHive cache[kHiveCount];

std::string RegistryFolder() { return GetRoot() + "/registry"; }
std::string HivePath(Hive hive) { return RegistryFolder() + "/" + HiveName(hive) + ".reg"; }

FileStamp StampOf(const std::string& path) {
    FileStamp stamp;
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        stamp.exists = true;
        stamp.device = st.st_dev;
        stamp.inode = st.st_ino;
        stamp.size = st.st_size;
        stamp.modified = st.st_mtim;
    }
    return stamp;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) return false;
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) out.append(buffer, got);
    return !std::ferror(file.get());
}

// Builds the tree of a hive from its file's text.
bool LoadTree(Hive hive, const std::string& text, std::unique_ptr<RegKey>& root) {
    std::vector<RegTextKey> keys;
    std::string error;
    if (!ParseRegText(text, keys, &error)) {
        std::fprintf(stderr, "registry: %s.reg: %s\n", HiveName(hive), error.c_str());
        return false;
    }
    root = std::make_unique<RegKey>();
    for (auto& key : keys) {
        if (key.hive != hive) {
            std::fprintf(stderr, "registry: %s.reg holds keys of another hive\n", HiveName(hive));
            return false;
        }
        RegKey* current = root.get();
        for (const auto& name : key.path) current = &current->Ensure(name);
        for (auto& value : key.values) current->SetValue(value.name, value.type, std::move(value.data));
    }
    return true;
}

LONG Refresh(Hive hive) {
    CachedHive& entry = cache[static_cast<int>(hive)];
    const std::string path = HivePath(hive);
    const FileStamp stamp = StampOf(path);
    if (entry.valid && entry.stamp == stamp && (!stamp.exists || !IsRecent(stamp))) return ERROR_SUCCESS;
    std::string text;
    if (stamp.exists && !ReadWholeFile(path, text)) {
        entry.valid = false;
        return ERROR_CANTREAD;
    }
    if (entry.valid && entry.stamp == stamp && text == entry.text) return ERROR_SUCCESS;
    entry.valid = false;
    std::unique_ptr<RegKey> root = std::make_unique<RegKey>();
    if (stamp.exists && !LoadTree(hive, text, root)) return ERROR_BADDB;
    entry.root = std::move(root);
    entry.stamp = stamp;
    entry.text = std::move(text);
    entry.valid = true;
    return ERROR_SUCCESS;
}

std::string TempPathOf(const std::string& path) { return path + ".tmp." + std::to_string(getpid()); }

// Writes the text beside the hive file, to be renamed over it, so that a reader sees the old
// file or the new one, never a part.
bool WriteTemp(const std::string& path, const std::string& text) {
    const std::string temp = TempPathOf(path);
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < text.size()) {
        const ssize_t put = write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        ok = put > 0;
        if (ok) done += static_cast<std::size_t>(put);
    }
    ok = ok && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (!ok) unlink(temp.c_str());
    return ok;
}

bool ReplaceByTemp(const std::string& path) {
    const std::string temp = TempPathOf(path);
    if (std::rename(temp.c_str(), path.c_str()) == 0) return true;
    unlink(temp.c_str());
    return false;
}

// Removes the temporary files a process left behind when it ended between writing a hive's
// new text and renaming it over the hive. Under the hive's lock nobody else is writing one, so
// every temporary file of that hive is left over (a look at a small folder, next to the
// rewrite of the whole hive that follows).
void RemoveStaleTemps(Hive hive) {
    const std::string prefix = std::string(HiveName(hive)) + ".reg.tmp.";
    std::unique_ptr<DIR, int (*)(DIR*)> folder(opendir(RegistryFolder().c_str()), closedir);
    if (!folder) return;
    std::vector<std::string> stale;
    while (const dirent* entry = readdir(folder.get())) {
        if (std::string_view(entry->d_name).substr(0, prefix.size()) == prefix) stale.emplace_back(entry->d_name);
    }
    for (const std::string& name : stale) unlink((RegistryFolder() + "/" + name).c_str());
}

bool WriteAtomically(const std::string& path, const std::string& text) {
    return WriteTemp(path, text) && ReplaceByTemp(path);
}

// An exclusive lock on the hive's lock file for the life of the object (between processes; the
// registry mutex already orders the threads of this one).
class HiveLock {
public:
    explicit HiveLock(Hive hive) {
        mkdir(GetRoot().c_str(), 0777);
        mkdir(RegistryFolder().c_str(), 0777);
        fd_ = open((RegistryFolder() + "/" + HiveName(hive) + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~HiveLock() {
        if (fd_ >= 0) close(fd_);
    }
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;
    bool ok() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace

const char* HiveName(Hive hive) {
    switch (hive) {
        case Hive::ClassesRoot: return "HKEY_CLASSES_ROOT";
        case Hive::CurrentUser: return "HKEY_CURRENT_USER";
        case Hive::LocalMachine: return "HKEY_LOCAL_MACHINE";
    }
    return "";
}

std::optional<Hive> HiveFromName(std::string_view name) {
    for (Hive hive : {Hive::ClassesRoot, Hive::CurrentUser, Hive::LocalMachine}) {
        if (EqualNoCase(name, std::string_view(HiveName(hive)))) return hive;
    }
    return std::nullopt;
}

std::mutex& RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}

void DropRegistryCache() {
    std::lock_guard lock(RegistryMutex());
    for (auto& entry : cache) entry = CachedHive{};
}

RegKey* ReadHive(Hive hive, LONG* error) {
    const LONG result = Refresh(hive);
    if (error) *error = result;
    return result == ERROR_SUCCESS ? cache[static_cast<int>(hive)].root.get() : nullptr;
}

LONG ChangeHive(Hive hive, const std::function<LONG(RegKey& root)>& change) {
    HiveLock lock(hive);
    if (!lock.ok()) return ERROR_CANTWRITE;
    RemoveStaleTemps(hive);
    LONG result = Refresh(hive);
    if (result != ERROR_SUCCESS) return result;
    CachedHive& entry = cache[static_cast<int>(hive)];
    std::string text;
    try {
        result = change(*entry.root);
        if (result == ERROR_SUCCESS)
            text = FormatHive(hive, *entry.root);
    } catch (...) {
        entry.valid = false;  // a change cut short by a failed allocation was never written
        throw;
    }
    if (result != ERROR_SUCCESS) {
        entry.valid = false;  // a change that gave up half way must not linger in the cache
        return result;
    }
    const std::string path = HivePath(hive);
    if (!WriteAtomically(path, text)) {
        entry.valid = false;  // the next access reloads what the file really holds
        return ERROR_CANTWRITE;
    }
    entry.stamp = StampOf(path);
    entry.text = std::move(text);
    return ERROR_SUCCESS;
}

LONG ChangeHives(const std::vector<Hive>& hives, const std::function<LONG(Hive hive, RegKey& root)>& change,
                 Hive* failed) {
    // Locked in one order (the hives' own), so two processes changing several hives never wait
    // on each other in a circle.
    std::vector<Hive> ordered(hives);
    std::sort(ordered.begin(), ordered.end());
    ordered.erase(std::unique(ordered.begin(), ordered.end()), ordered.end());
    std::vector<std::unique_ptr<HiveLock>> locks;
    for (Hive hive : ordered) {
        *failed = hive;
        locks.push_back(std::make_unique<HiveLock>(hive));
        if (!locks.back()->ok()) return ERROR_CANTWRITE;
        RemoveStaleTemps(hive);
    }
    for (Hive hive : ordered) {
        *failed = hive;
        if (const LONG result = Refresh(hive); result != ERROR_SUCCESS) return result;
    }
    auto forget = [&] {
        for (Hive hive : ordered) cache[static_cast<int>(hive)].valid = false;
    };
    std::vector<std::string> texts;
    try {
        for (Hive hive : ordered) {
            *failed = hive;
            if (const LONG result = change(hive, *cache[static_cast<int>(hive)].root); result != ERROR_SUCCESS) {
                forget();
                return result;
            }
            texts.push_back(FormatHive(hive, *cache[static_cast<int>(hive)].root));
        }
    } catch (...) {
        forget();  // changes made to the cached trees before the failure were never written
        throw;
    }
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        *failed = ordered[i];
        if (WriteTemp(HivePath(ordered[i]), texts[i])) continue;
        for (std::size_t j = 0; j < i; ++j) unlink(TempPathOf(HivePath(ordered[j])).c_str());
        forget();
        return ERROR_CANTWRITE;
    }
    LONG result = ERROR_SUCCESS;
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        CachedHive& entry = cache[static_cast<int>(ordered[i])];
        const std::string path = HivePath(ordered[i]);
        if (!ReplaceByTemp(path)) {
            *failed = ordered[i];
            entry.valid = false;
            result = ERROR_CANTWRITE;
            continue;
        }
        entry.stamp = StampOf(path);
        entry.text = std::move(texts[i]);
    }
    return result;
}

FILETIME HiveWriteTime(Hive hive) {
    const FileStamp stamp = StampOf(HivePath(hive));
    return stamp.exists ? ToFileTime(stamp.modified) : FILETIME{0, 0};
}

}  // namespace platform::win
