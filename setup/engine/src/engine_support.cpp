#include "engine_support.h"

#include <climits>
#include <cstring>
#include <vector>

namespace Setup::detail {

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldChar(a[i]) != FoldChar(b[i])) return false;
    return true;
}

std::u16string ToLower(std::u16string_view text) {
    std::u16string out(text);
    for (auto& c : out) c = FoldChar(c);
    return out;
}

int ParseDecimal(std::u16string_view text) {
    const long long value = ParseDecimalUnclamped(text);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

long long ParseDecimalUnclamped(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    return negative ? -value : value;
}

int AddCount(int total, int count) {
    const long long sum = static_cast<long long>(total) + count;
    if (sum > INT_MAX) return INT_MAX;
    if (sum < INT_MIN) return INT_MIN;
    return static_cast<int>(sum);
}

std::u16string Decimal(long long value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

bool RegKey::Open(HKEY parent, std::u16string_view path, REGSAM access) {
    Close();
    const std::u16string name(path);
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name.c_str(), 0, access, &key) != ERROR_SUCCESS) return false;
    key_ = key;
    return true;
}

bool RegKey::Create(HKEY parent, std::u16string_view path, REGSAM access) {
    Close();
    const std::u16string name(path);
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(parent, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                        &disposition) != ERROR_SUCCESS)
        return false;
    key_ = key;
    return true;
}

void RegKey::Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

void RegKey::SetString(std::u16string_view name, std::u16string_view value, DWORD type) {
    if (!key_) return;
    const std::u16string n(name);
    const std::u16string v(value);
    RegSetValueExW(key_, n.c_str(), 0, type, reinterpret_cast<const BYTE*>(v.c_str()),
                   static_cast<DWORD>((v.size() + 1) * sizeof(char16_t)));
}

void RegKey::SetDword(std::u16string_view name, DWORD value) {
    if (!key_) return;
    const std::u16string n(name);
    RegSetValueExW(key_, n.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

std::u16string RegKey::QueryString(std::u16string_view name, DWORD bufferBytes) const {
    if (!key_) return {};
    const std::u16string n(name);
    std::vector<char16_t> buffer(bufferBytes / sizeof(char16_t) + 1, u'\0');
    DWORD type = 0;
    DWORD size = bufferBytes;
    if (RegQueryValueExW(key_, n.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
    std::u16string value(buffer.data(), size / sizeof(char16_t));
    // Up to the first terminator: stored texts may or may not carry theirs.
    const std::size_t end = value.find(u'\0');
    if (end != std::u16string::npos) value.resize(end);
    return value;
}

std::u16string RegKey::SubkeyName(DWORD index) const {
    if (!key_) return {};
    char16_t name[256] = {};
    DWORD length = 256;
    if (RegEnumKeyExW(key_, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return {};
    return std::u16string(name, length);
}

bool RegKey::QueryWhole(std::u16string_view name, DWORD* type, std::vector<BYTE>* data) const {
    if (!key_) return false;
    const std::u16string n(name);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExW(key_, n.c_str(), nullptr, type, nullptr, &size) != ERROR_SUCCESS) return false;
        data->assign(size, 0);
        const LONG result = RegQueryValueExW(key_, n.c_str(), nullptr, type, data->data(), &size);
        if (result == ERROR_SUCCESS) {
            data->resize(size);
            return true;
        }
        // The value grew between the two calls: ask again.
        if (result != ERROR_MORE_DATA) return false;
    }
    return false;
}

bool RegKey::QueryText(std::u16string_view name, std::u16string* text, DWORD* type) const {
    DWORD valueType = REG_NONE;
    std::vector<BYTE> data;
    if (!QueryWhole(name, &valueType, &data) || (valueType != REG_SZ && valueType != REG_EXPAND_SZ)) return false;
    std::u16string value(data.size() / sizeof(char16_t), u'\0');
    std::memcpy(value.data(), data.data(), value.size() * sizeof(char16_t));
    const std::size_t end = value.find(u'\0');
    if (end != std::u16string::npos) value.resize(end);
    *text = std::move(value);
    if (type) *type = valueType;
    return true;
}

int RegKey::SubkeyCount() const {
    DWORD subkeys = 0;
    if (!key_ || RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return static_cast<int>(subkeys);
}

}  // namespace Setup::detail

#include "platform/win/files.h"
#include "platform/win/folders.h"

namespace Setup::detail {

FindHandle::FindHandle(std::u16string_view pattern) {
    const std::u16string text(pattern);
    WIN32_FIND_DATAW data{};
    handle_ = FindFirstFileW(text.c_str(), &data);
    if (handle_ != INVALID_HANDLE_VALUE) {
        firstName_ = data.cFileName;
        firstAttributes_ = data.dwFileAttributes;
    }
}

FindHandle::~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
}

bool FindHandle::Next(std::u16string* name, DWORD* attributes) {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    for (;;) {
        if (first_) {
            first_ = false;
            *name = firstName_;
            *attributes = firstAttributes_;
        } else {
            WIN32_FIND_DATAW data{};
            if (!FindNextFileW(handle_, &data)) return false;
            *name = data.cFileName;
            *attributes = data.dwFileAttributes;
        }
        if (*name != u"." && *name != u"..") return true;
    }
}

bool IsFolderAttributes(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFileAttributes(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsLinkAttributes(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

namespace {

DWORD AttributesOf(std::u16string_view path) {
    const std::u16string text(path);
    return text.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(text.c_str());
}

}  // namespace

bool IsFolder(std::u16string_view path) { return IsFolderAttributes(AttributesOf(path)); }
bool IsFile(std::u16string_view path) { return IsFileAttributes(AttributesOf(path)); }
bool IsLink(std::u16string_view path) { return IsLinkAttributes(AttributesOf(path)); }

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

bool HasDotPart(std::u16string_view path) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find_first_of(u"\\/", start);
        const std::u16string_view part = path.substr(start, end == std::u16string_view::npos ? end : end - start);
        if (part == u"." || part == u"..") return true;
        if (end == std::u16string_view::npos) return false;
        start = end + 1;
    }
}

int MajorRelease(std::u16string_view cadVersion) {
    return cadVersion.size() < 2 ? 0 : ParseDecimal(cadVersion.substr(1, 2));
}

}  // namespace Setup::detail

#include "platform/win/folders.h"

namespace Setup::detail {

std::u16string RunningProgramPath() {
    char16_t buffer[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return std::u16string(buffer, length < MAX_PATH ? length : 0);
}

std::u16string FolderOf(std::u16string_view path) {
    const std::size_t cut = path.rfind(u'\\');
    return std::u16string(cut == std::u16string_view::npos ? path : path.substr(0, cut));
}

}  // namespace Setup::detail
