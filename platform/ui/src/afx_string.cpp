// The framework's narrow string class.
#include "platform/ui/afx_string.h"

#include <cstring>

#include "platform/text/encoding.h"
#include "platform/text/gbk.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

}  // namespace

CString::CString(const char16_t* wide) : s_(platform::text::Utf16ToGbk(wide ? wide : u"")) {}

int CString::Compare(const char* other) const { return s_.compare(other ? other : ""); }

int CString::CompareNoCase(const char* other) const { return platform::text::GbkCompareNoCase(s_, other ? other : ""); }

int CString::Find(char ch, int start) const {
    if (start < 0 || start > GetLength()) {
        return -1;
    }
    // Walk from the start so that a trail byte is never taken for the character.
    for (std::size_t i = 0; i < s_.size(); i += platform::text::GbkCharLength(s_, i)) {
        if (static_cast<int>(i) >= start && s_[i] == ch && platform::text::GbkCharLength(s_, i) == 1) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CString::Find(const char* sub, int start) const {
    if (!sub || start < 0 || start > GetLength()) {
        return -1;
    }
    std::size_t n = std::strlen(sub);
    for (std::size_t i = 0; i + n <= s_.size(); i += std::max<std::size_t>(platform::text::GbkCharLength(s_, i), 1)) {
        if (static_cast<int>(i) >= start && s_.compare(i, n, sub) == 0) {
            return static_cast<int>(i);
        }
        if (i >= s_.size()) {
            break;
        }
    }
    return -1;
}

int CString::ReverseFind(char ch) const {
    int found = -1;
    for (std::size_t i = 0; i < s_.size(); i += platform::text::GbkCharLength(s_, i)) {
        if (s_[i] == ch && platform::text::GbkCharLength(s_, i) == 1) {
            found = static_cast<int>(i);
        }
    }
    return found;
}

CString CString::Left(int count) const { return CString(s_.substr(0, static_cast<std::size_t>(std::clamp(count, 0, GetLength())))); }

CString CString::Right(int count) const {
    int n = std::clamp(count, 0, GetLength());
    return CString(s_.substr(s_.size() - static_cast<std::size_t>(n)));
}

CString CString::Mid(int first, int count) const {
    first = std::clamp(first, 0, GetLength());
    int rest = GetLength() - first;
    int n = count < 0 ? rest : std::min(count, rest);
    return CString(s_.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(n)));
}

CString& CString::MakeUpper() {
    s_ = platform::text::GbkToUpper(s_);
    return *this;
}

CString& CString::MakeLower() {
    s_ = platform::text::GbkToLower(s_);
    return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }

CString& CString::TrimLeft() {
    std::size_t i = 0;
    while (i < s_.size() && IsBlank(s_[i])) {
        ++i;
    }
    s_.erase(0, i);
    return *this;
}

CString& CString::TrimRight() {
    // Blanks are single-byte characters and never trail bytes, so the end can be cut directly.
    while (!s_.empty() && IsBlank(s_.back())) {
        s_.pop_back();
    }
    return *this;
}

CString& CString::TrimLeft(char ch) {
    std::size_t i = 0;
    while (i < s_.size() && s_[i] == ch) {
        ++i;
    }
    s_.erase(0, i);
    return *this;
}

CString& CString::TrimRight(char ch) {
    while (!s_.empty() && s_.back() == ch && platform::text::IsGbkCharBoundary(s_, s_.size() - 1)) {
        s_.pop_back();
    }
    return *this;
}

int CString::Replace(const char* from, const char* to) {
    if (!from || !*from) {
        return 0;
    }
    std::string replacement = to ? to : "";
    std::size_t n = std::strlen(from);
    std::string out;
    int count = 0;
    for (std::size_t i = 0; i < s_.size();) {
        if (s_.compare(i, n, from) == 0) {
            out += replacement;
            i += n;
            ++count;
        } else {
            std::size_t len = platform::text::GbkCharLength(s_, i);
            out += s_.substr(i, len);
            i += len;
        }
    }
    s_ = out;
    return count;
}

int CString::Replace(char from, char to) {
    int count = 0;
    for (std::size_t i = 0; i < s_.size(); i += platform::text::GbkCharLength(s_, i)) {
        if (s_[i] == from && platform::text::GbkCharLength(s_, i) == 1) {
            s_[i] = to;
            ++count;
        }
    }
    return count;
}

int CString::Remove(char ch) {
    std::string out;
    int count = 0;
    for (std::size_t i = 0; i < s_.size();) {
        std::size_t len = platform::text::GbkCharLength(s_, i);
        if (len == 1 && s_[i] == ch) {
            ++count;
        } else {
            out += s_.substr(i, len);
        }
        i += len;
    }
    s_ = out;
    return count;
}

int CString::Insert(int index, const char* text) {
    index = std::clamp(index, 0, GetLength());
    s_.insert(static_cast<std::size_t>(index), text ? text : "");
    return GetLength();
}

int CString::Delete(int index, int count) {
    if (index >= 0 && index < GetLength() && count > 0) {
        s_.erase(static_cast<std::size_t>(index), static_cast<std::size_t>(count));
    }
    return GetLength();
}

char* CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) {
        s_.resize(static_cast<std::size_t>(minLength));
    }
    return s_.data();
}

char* CString::GetBufferSetLength(int length) {
    s_.resize(static_cast<std::size_t>(std::max(length, 0)));
    return s_.data();
}

void CString::ReleaseBuffer(int length) {
    if (length < 0) {
        s_.resize(std::strlen(s_.c_str()));
    } else {
        s_.resize(std::min(static_cast<std::size_t>(length), s_.size()));
    }
}
