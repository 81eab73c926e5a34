// Small helpers the engine's files share: texts compared as Windows compares names, decimal
// conversion, and registry keys and values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win/registry.h"
#include "setup/engine/install_records.h"

namespace Setup::detail {

// Letters compare without case as Windows' name comparisons do here: ASCII only.
inline char16_t FoldChar(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }
bool EqualNoCase(std::u16string_view a, std::u16string_view b);
std::u16string ToLower(std::u16string_view text);

// Decimal text to int as the C runtime reads it: leading blanks, a sign, digits up to the first
// other character; 0 for non-numeric text. Out-of-range values are clamped.
int ParseDecimal(std::u16string_view text);
// The same reading before the clamp: a value beyond an int comes back beyond it, so that a reader
// can refuse it.
long long ParseDecimalUnclamped(std::u16string_view text);
// A running total of file counts for a progress bar: added in 64 bits and held to what an int
// carries, so that no count, however large, overflows it.
int AddCount(int total, int count);
std::u16string Decimal(long long value);

// An open registry key, closed at the end of its scope.
class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    bool Open(HKEY parent, std::u16string_view path, REGSAM access);
    bool Create(HKEY parent, std::u16string_view path, REGSAM access);
    void Close();
    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

    // Failures leave the value missing; the records go on without it.
    void SetString(std::u16string_view name, std::u16string_view value, DWORD type = REG_SZ);
    void SetDword(std::u16string_view name, DWORD value);
    // The value read into a buffer of bufferBytes bytes: empty when it is missing, not text, or
    // does not fit.
    std::u16string QueryString(std::u16string_view name, DWORD bufferBytes) const;
    // The name of sub-key index (up to 255 characters), or empty.
    std::u16string SubkeyName(DWORD index) const;
    // The value read whole, whatever its length; false when it is missing.
    bool QueryWhole(std::u16string_view name, DWORD* type, std::vector<BYTE>* data) const;
    // A text value read whole (up to its first terminator), with its type; false when it is
    // missing or not text.
    bool QueryText(std::u16string_view name, std::u16string* text, DWORD* type = nullptr) const;
    int SubkeyCount() const;

private:
    HKEY key_ = nullptr;
};

}  // namespace Setup::detail

namespace Setup::detail {

// The running program's full path (at most 260 characters) and the folder of a path (cut before
// its last backslash; the path itself when it has none).
std::u16string RunningProgramPath();
std::u16string FolderOf(std::u16string_view path);

}  // namespace Setup::detail

namespace Setup::detail {

// Records under an empty product name would land on the roots themselves ("Software\",
// "software\quorvane\install\", the uninstall root), and a host record without a profile name
// would name the host's whole "Profiles" key; uninstalling either deletes whole trees.
inline bool HasRecordNames(const CADVer& d) {
    return !d.product.empty() && (d.HasCustomSystemFolder() || !d.profileName.empty());
}

// The install record below the current user.
inline std::u16string InstallRecordKey(const CADVer& d) {
    return d.HasCustomSystemFolder() ? u"Software\\" + d.product : u"software\\quorvane\\install\\" + d.product;
}

}  // namespace Setup::detail

namespace Setup::detail {

// A folder listing, closed at the end of its scope (also when a stopped worker unwinds).
class FindHandle {
public:
    explicit FindHandle(std::u16string_view pattern);
    ~FindHandle();
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    // The next entry other than "." and ".."; false at the end.
    bool Next(std::u16string* name, DWORD* attributes);

private:
    HANDLE handle_;
    bool first_ = true;
    std::u16string firstName_;
    DWORD firstAttributes_ = 0;
};

bool IsFolder(std::u16string_view path);
bool IsFile(std::u16string_view path);
// A link (a reparse point), seen as itself and never followed.
bool IsLink(std::u16string_view path);
// The same of attributes found already (INVALID_FILE_ATTRIBUTES for nothing there).
bool IsFolderAttributes(DWORD attributes);
bool IsFileAttributes(DWORD attributes);
bool IsLinkAttributes(DWORD attributes);
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix);
// Whether a part of the path (between separators of either kind) is "." or "..".
bool HasDotPart(std::u16string_view path);
// Characters 2 and 3 of a host version key ("R18.0") as a number: the host's major release.
int MajorRelease(std::u16string_view cadVersion);

}  // namespace Setup::detail

namespace Setup::detail {

// A path as the uninstall compares it: lower case, "\" for "/", no trailing backslash.
std::u16string Canonical(std::u16string_view path);
// Whether canonical path lies below canonical folder at a path boundary ("c:\dero" does not hold
// "c:\dero2\x").
bool IsBelowFolder(std::u16string_view path, std::u16string_view folder);

// The machine's special folders, canonical: Windows, system32, fonts, program files, temp, the
// user's folders (from the shell services and the "Shell Folders" keys).
std::vector<std::u16string> SpecialFolders();
// A drive, a path not anchored at one, a special folder or a folder holding one: never removed
// as a whole.
bool IsProtectedFolder(std::u16string_view path, const std::vector<std::u16string>& specialFolders);

}  // namespace Setup::detail
