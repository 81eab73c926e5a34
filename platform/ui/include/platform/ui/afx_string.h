// The framework's string class for the host's code page: GBK bytes, counted in bytes, with the
// searching and case operations kept on character boundaries.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/text/format.h"

class CString {
public:
    CString() = default;
    CString(const char* text) : s_(text ? text : "") {}
    CString(const char* text, int length) : s_(text ? std::string(text, static_cast<std::size_t>(std::max(length, 0))) : "") {}
#ifdef DERO_HOST_EXTRAS
    CString(const std::string& text) : s_(text) {}
#endif
    CString(std::string_view text) : s_(text) {}
    CString(const char16_t* wide);  // converted to GBK
    CString(char ch, int repeat = 1) : s_(static_cast<std::size_t>(std::max(repeat, 0)), ch) {}

    operator const char*() const { return s_.c_str(); }
    const char* GetString() const { return s_.c_str(); }
#ifdef DERO_HOST_EXTRAS
    const std::string& str() const { return s_; }
#endif
    int GetLength() const { return static_cast<int>(s_.size()); }
    bool IsEmpty() const { return s_.empty(); }
    void Empty() { s_.clear(); }
    char GetAt(int i) const { return s_.at(static_cast<std::size_t>(i)); }
    char operator[](int i) const { return GetAt(i); }
    void SetAt(int i, char c) { s_.at(static_cast<std::size_t>(i)) = c; }

    CString& operator=(const char* text) {
        s_ = text ? text : "";
        return *this;
    }
    CString& operator+=(const CString& o) {
        s_ += o.s_;
        return *this;
    }
    CString& operator+=(const char* text) {
        s_ += text ? text : "";
        return *this;
    }
    CString& operator+=(char c) {
        s_ += c;
        return *this;
    }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.s_ + b.s_); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.s_ + (b ? b : "")); }
    friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.s_); }
    friend CString operator+(const CString& a, char b) { return CString(a.s_ + b); }
    friend bool operator==(const CString& a, const CString& b) { return a.s_ == b.s_; }
    friend bool operator==(const CString& a, const char* b) { return a.s_ == (b ? b : ""); }
    friend bool operator<(const CString& a, const CString& b) { return a.s_ < b.s_; }

    int Compare(const char* other) const;
    int CompareNoCase(const char* other) const;
    // Byte positions, -1 when not found; searches never land inside a double-byte character.
    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;
    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first, int count = -1) const;
    CString& MakeUpper();
    CString& MakeLower();
    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();
    CString& TrimLeft(char ch);
    CString& TrimRight(char ch);
    int Replace(const char* from, const char* to);
    int Replace(char from, char to);
    int Remove(char ch);
    int Insert(int index, const char* text);
    int Delete(int index, int count = 1);

    template <typename... Args>
    void Format(const char* format, const Args&... args) {
        s_ = platform::text::Format(format ? format : "", args...);
    }
    template <typename... Args>
    void AppendFormat(const char* format, const Args&... args) {
        s_ += platform::text::Format(format ? format : "", args...);
    }

    // A writable buffer of at least minLength bytes plus the terminator; ReleaseBuffer takes the
    // length up to the first zero (or the given length).
    char* GetBuffer(int minLength = 0);
    char* GetBufferSetLength(int length);
    void ReleaseBuffer(int length = -1);

private:
    std::string s_;
};
