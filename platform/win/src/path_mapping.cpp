#include "platform/win/path_mapping.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <vector>

#include "fold_case.h"
#include "mapped_path.h"
#include "name_cache.h"
#include "platform/text/encoding.h"
#include "platform/win/root.h"

namespace platform::win {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool IsInvalidNameChar(char16_t c) {
    return c < 0x20 || c == u'<' || c == u'>' || c == u'"' || c == u'|' || c == u'?' || c == u'*' ||
           c == u':';
}

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// What is known of the path walked so far: its own status, when it was just asked for.
struct WalkedStatus {
    bool known = false;
    struct stat status {};
    const struct stat* get() const { return known ? &status : nullptr; }
};

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder == "/") return "/" + name;
    return folder + "/" + name;
}

// Drive folders exist from the start, as drives do on Windows.
void EnsureFolder(const std::string& path) {
    if (!Exists(path)) mkdir(path.c_str(), 0777);
}

std::string Normalize(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t end = path.find('/', pos);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view part = path.substr(pos, end - pos);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        pos = end + 1;
    }
    std::string out;
    for (auto part : parts) out.append("/").append(part);
    return out.empty() ? "/" : out;
}

std::string MapToLinuxUnguarded(std::u16string_view path, LONG* error, PathSeen* seen) {
    auto fail = [error](LONG code) {
        if (error) *error = code;
        return std::string();
    };
    if (path.empty()) return fail(ERROR_PATH_NOT_FOUND);

    enum class Base { Drive, Absolute, Relative } base = Base::Relative;
    std::string current;
    std::u16string_view rest = path;
    if (path.size() >= 2 && path[1] == u':' && IsAsciiLetter(path[0])) {
        base = Base::Drive;
        const std::string root = GetRoot();
        current = root + "/" + static_cast<char>(FoldChar(path[0]) + ('a' - 'A'));
        rest = path.substr(2);
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return fail(ERROR_BAD_NETPATH);
    } else if (IsSeparator(path[0])) {
        base = Base::Absolute;
        current = "/";
    }

    for (char16_t c : rest) {
        if (IsInvalidNameChar(c)) return fail(ERROR_INVALID_NAME);
    }

    // Lexical clean-up first: ".." is resolved on the text, and never leaves a drive or "/".
    std::vector<std::u16string_view> parts;
    std::size_t leadingUp = 0;
    std::size_t pos = 0;
    while (pos <= rest.size()) {
        std::size_t end = pos;
        while (end < rest.size() && !IsSeparator(rest[end])) ++end;
        const std::u16string_view part = rest.substr(pos, end - pos);
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
            else if (base == Base::Relative) ++leadingUp;
        } else if (!part.empty() && part != u".") {
            parts.push_back(part);
        }
        pos = end + 1;
    }
    for (std::size_t i = 0; i < leadingUp; ++i) current = Join(current, "..");

    std::vector<std::string> names;
    names.reserve(parts.size());
    for (auto part : parts) names.push_back(text::Utf16ToUtf8(part));
    // Most paths name something that exists as written, or a new entry of a folder that does: the
    // whole path or its folder is asked for first, and the walk below starts past what exists. A
    // name its folder was last seen without (a file about to be made) starts at the folder: the
    // folder's names then tell, if the folder has not changed since.
    std::size_t known = 0;
    bool lastMissing = false;  // the whole path was asked for, and is not there as written
    bool inFolder = false;     // ... and what holds it is a folder
    WalkedStatus walked;
    std::string folder = current;
    for (std::size_t i = 0; i + 1 < names.size(); ++i) folder = Join(folder, names[i]);
    const bool folderFirst = !names.empty() && ListedWithout(folder, names.back());
    for (std::size_t tail = folderFirst ? 1 : 0; tail < 2 && tail < names.size(); ++tail) {
        std::string prefix = tail == 1 ? folder : Join(folder, names.back());
        struct stat st;
        if (lstat(prefix.c_str(), &st) == 0) {
            known = names.size() - tail;
            lastMissing = tail == 1;
            inFolder = lastMissing && S_ISDIR(st.st_mode);
            if (tail == 0 && seen) *seen = {PathSeen::Kind::Present, st};
            walked = {true, st};
            current = std::move(prefix);
            break;
        }
    }
    // Whatever was found lies on a drive, which is there then; otherwise its folder is made now.
    if (base == Base::Drive && known == 0 && !Exists(current)) {
        mkdir(GetRoot().c_str(), 0777);
        EnsureFolder(current);
    }
    bool lookUp = true;  // once a component is missing, nothing below it can exist
    for (std::size_t i = known; i < names.size(); ++i) {
        std::string& name = names[i];
        std::string candidate = Join(current, name);
        if (lookUp) {
            struct stat st {};
            const bool there = !(lastMissing && i == known) && lstat(candidate.c_str(), &st) == 0;
            if (!there) {
                const std::string found = FindNameNoCase(current, name, walked.get());
                if (found.empty()) {
                    lookUp = false;
                    if (inFolder && seen) *seen = {PathSeen::Kind::MissingInFolder, walked.status};
                } else {
                    candidate = Join(current, found);
                }
            }
            walked = {there, st};
        }
        current = std::move(candidate);
    }
    // push_back rather than = ".": GCC 12 at -O3 warns falsely (-Wrestrict) about the assignment.
    if (current.empty()) current.push_back('.');
    if (error) *error = ERROR_SUCCESS;
    return current;
}

// "C:\..." for an absolute, normalized path below root, or nothing.
std::optional<std::u16string> BelowRoot(const std::string& absolute, const std::string& root) {
    if (absolute.size() < root.size() + 2 || absolute.compare(0, root.size(), root) != 0 || absolute[root.size()] != '/')
        return std::nullopt;
    const char drive = absolute[root.size() + 1];
    const bool letter = (drive >= 'a' && drive <= 'z') || (drive >= 'A' && drive <= 'Z');
    const std::size_t after = root.size() + 2;
    if (!letter || (after < absolute.size() && absolute[after] != '/')) return std::nullopt;
    std::u16string out{static_cast<char16_t>(FoldChar(drive)), u':', u'\\'};
    if (after < absolute.size()) out += text::Utf8ToUtf16(absolute.substr(after + 1));
    for (auto& c : out) {
        if (c == u'/') c = u'\\';
    }
    return out;
}

}  // namespace

std::string MapToLinuxSeeing(std::u16string_view path, LONG* error, PathSeen* seen) {
    if (seen) *seen = {};
    try {
        return MapToLinuxUnguarded(path, error, seen);
    } catch (...) {
        if (seen) *seen = {};
        if (error) *error = ERROR_NOT_ENOUGH_MEMORY;
        return {};
    }
}

std::string MapToLinux(std::u16string_view path, LONG* error) {
    return MapToLinuxSeeing(path, error, nullptr);
}

std::string MapToLinux(std::string_view gbkPath, LONG* error) {
    return MapToLinux(text::GbkToUtf16(gbkPath), error);
}

std::u16string MapToWindows(std::string_view linuxPath) {
    std::string absolute(linuxPath);
    if (absolute.empty() || absolute.front() != '/') {
        char cwd[PATH_MAX];
        absolute = std::string(getcwd(cwd, sizeof cwd) ? cwd : "") + "/" + absolute;
    }
    absolute = Normalize(absolute);

    // The root as named first: resolving its links costs a look-up of each of its parts, needed only
    // for a path that reached the root through another name.
    const std::string root = Normalize(GetRoot());
    if (auto mapped = BelowRoot(absolute, root)) return *mapped;
    if (char* real = realpath(root.c_str(), nullptr)) {
        const std::string resolved(real);
        std::free(real);
        if (auto mapped = BelowRoot(absolute, resolved)) return *mapped;
    }
    std::u16string out = text::Utf8ToUtf16(absolute);
    for (auto& c : out) {
        if (c == u'/') c = u'\\';
    }
    return out;
}

std::string MapToWindowsA(std::string_view linuxPath) { return text::Utf16ToGbk(MapToWindows(linuxPath)); }

}  // namespace platform::win
