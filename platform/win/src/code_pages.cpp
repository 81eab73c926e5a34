// Code page conversions over the converters of platform/text.
#include "platform/win/code_pages.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "guard.h"
#include "platform/text/encoding.h"

namespace platform::win {
namespace {

enum class Page { Gbk, Utf8, Unknown };

Page PageOf(UINT codePage) {
    switch (codePage) {
        case CP_ACP:
        case CP_OEMCP:
        case CP_THREAD_ACP:
        case CP_GBK:
            return Page::Gbk;
        case CP_UTF8:
            return Page::Utf8;
        default:
            return Page::Unknown;
    }
}

int Fail(LONG error) {
    SetLastError(static_cast<DWORD>(error));
    return 0;
}

// True when every byte sequence of the text is a character of the code page.
bool IsValid(Page page, std::string_view bytes) {
    if (page == Page::Utf8)
        return text::Utf16ToUtf8(text::Utf8ToUtf16(bytes)) == bytes;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t length = text::GbkDefinedCharLength(bytes, pos);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

template <typename Char>
int Deliver(const std::basic_string<Char>& result, Char* out, int outSize) {
    if (outSize == 0)
        return static_cast<int>(result.size());
    if (result.size() > static_cast<std::size_t>(outSize))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::copy(result.begin(), result.end(), out);
    return static_cast<int>(result.size());
}

int ToWide(UINT codePage, DWORD flags, LPCSTR input, int length, LPWSTR wide, int wideSize) {
    const Page page = PageOf(codePage);
    if (page == Page::Unknown || !input || length == 0 || length < -1 || wideSize < 0 ||
        (wideSize > 0 && !wide))
        return Fail(ERROR_INVALID_PARAMETER);
    const std::size_t count = length == -1 ? std::strlen(input) + 1 : static_cast<std::size_t>(length);
    const std::string_view bytes(input, count);
    if ((flags & MB_ERR_INVALID_CHARS) && !IsValid(page, bytes))
        return Fail(ERROR_NO_UNICODE_TRANSLATION);
    std::u16string result;
    if (page == Page::Utf8) {
        result = text::Utf8ToUtf16(bytes);
    } else {
        result = text::GbkToUtf16(bytes);
        // The GBK converter answers '?' for what it cannot read; Windows gives U+FFFD there.
        if (!IsValid(page, bytes)) {
            result.clear();
            for (std::size_t pos = 0; pos < bytes.size();) {
                const std::size_t n = text::GbkDefinedCharLength(bytes, pos);
                if (n == 0) {
                    result += u'\xFFFD';
                    ++pos;
                } else {
                    result += text::GbkToUtf16(bytes.substr(pos, n));
                    pos += n;
                }
            }
        }
    }
    return Deliver(result, wide, wideSize);
}

// The next character (one or two code units) of the text from pos.
std::size_t CharLength(std::u16string_view text, std::size_t pos) {
    const char16_t c = text[pos];
    if (c >= 0xD800 && c < 0xDC00 && pos + 1 < text.size() && text[pos + 1] >= 0xDC00 &&
        text[pos + 1] < 0xE000)
        return 2;
    return 1;
}

int ToNarrow(UINT codePage, LPCWSTR input, int length, LPSTR out, int outSize, LPCSTR defaultChar,
             BOOL* usedDefault) {
    const Page page = PageOf(codePage);
    if (page == Page::Unknown || !input || length == 0 || length < -1 || outSize < 0 || (outSize > 0 && !out))
        return Fail(ERROR_INVALID_PARAMETER);
    if (page == Page::Utf8 && (defaultChar || usedDefault))
        return Fail(ERROR_INVALID_PARAMETER);
    std::size_t count = static_cast<std::size_t>(length);
    if (length == -1) {
        count = 0;
        while (input[count])
            ++count;
        ++count;
    }
    const std::u16string_view wide(input, count);
    std::string result;
    bool replaced = false;
    if (page == Page::Utf8) {
        result = text::Utf16ToUtf8(wide);
    } else {
        const std::string replacement = defaultChar ? std::string(defaultChar) : std::string("?");
        for (std::size_t pos = 0; pos < wide.size();) {
            const std::size_t n = CharLength(wide, pos);
            const std::u16string_view one = wide.substr(pos, n);
            if (text::IsRepresentableInGbk(one)) {
                result += text::Utf16ToGbk(one);
            } else {
                result += replacement;
                replaced = true;
            }
            pos += n;
        }
    }
    if (usedDefault)
        *usedDefault = replaced ? TRUE : FALSE;
    return Deliver(result, out, outSize);
}

}  // namespace
}  // namespace platform::win

UINT GetACP() {
    return CP_GBK;
}
UINT GetOEMCP() {
    return CP_GBK;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide, int wideSize) {
    return platform::win::Guard<int>(
        0, [&] { return platform::win::ToWide(codePage, flags, text, length, wide, wideSize); });
}

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int length, LPSTR text, int textSize,
                        LPCSTR defaultChar, BOOL* usedDefault) {
    return platform::win::Guard<int>(0, [&] {
        return platform::win::ToNarrow(codePage, wide, length, text, textSize, defaultChar, usedDefault);
    });
}
