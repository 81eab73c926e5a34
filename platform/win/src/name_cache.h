// What the path mapping has learnt of folders' names, so that a name not found in the case asked
// costs a look-up instead of a read of the whole folder. A folder's names are trusted only while the
// folder's identity and change times are those seen when they were read (any change of its entries
// moves its times); this layer's own creates, deletes and renames keep them current, and whatever
// else changes a folder only makes it read again.
#pragma once

#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace platform::win {

// The name of an existing entry of folder equal to name without regard to case, or "". Several
// candidates ("a" and "A" side by side, which Windows cannot have): the smallest wins. The folder's
// own status, when the caller has just asked for it, saves asking again.
std::string FindNameNoCase(const std::string& folder, const std::string& name,
                           const struct stat* folderStatus = nullptr);

// Whether the folder's names were read and, as last read, hold none equal to name without regard to
// case: then asking the folder is enough to learn that name is missing. Only a hint, not checked
// against the folder; FindNameNoCase gives the answer.
bool ListedWithout(const std::string& folder, const std::string& name);

// Held around one change of entries made by this layer (a create, delete or rename of the given
// paths): the folders' names are brought up to date afterwards. No other change of the same folders
// by this process falls in between, as the cache is locked meanwhile. The status of a path's folder,
// when the calling file call has just asked for it (the folder a missing name was looked for in),
// is taken as the folder's state before the change instead of asking again.
class NameChange {
public:
    explicit NameChange(const std::string& path, const struct stat* folderStatus = nullptr);
    NameChange(const std::string& from, const std::string& to, const struct stat* toFolderStatus = nullptr);
    ~NameChange();
    NameChange(const NameChange&) = delete;
    NameChange& operator=(const NameChange&) = delete;

    // A path known only once made (a temporary name), in a folder given at the start.
    void Include(const std::string& path);
    // The change has made path (given at the start): it is taken as there without asking. Were it
    // gone again meanwhile, a look-up that finds it checks it first.
    void Made(const std::string& path);

    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        long long modified = 0;
        long long changed = 0;
        bool operator==(const Stamp&) const = default;
    };

private:
    void Add(const std::string& path, const struct stat* folderStatus);

    struct Folder {
        std::string path;
        bool known = false;
        Stamp before;
        std::vector<std::string> names;
        std::vector<std::string> made;
    };
    std::vector<Folder> folders_;
};

}  // namespace platform::win
