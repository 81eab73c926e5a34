// String values are stored as Windows stores them: UTF-16 little-endian bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win/win_types.h"

namespace platform::win {

inline std::vector<BYTE> Utf16Bytes(std::u16string_view text) {
    std::vector<BYTE> out;
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
        out.push_back(static_cast<BYTE>(c & 0xFF));
        out.push_back(static_cast<BYTE>(c >> 8));
    }
    return out;
}

// An odd last byte has no character to belong to and is dropped.
inline std::u16string Utf16FromBytes(const std::vector<BYTE>& bytes) {
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return out;
}

}  // namespace platform::win
