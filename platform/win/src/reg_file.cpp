#include "reg_file.h"

#include <cstdio>
#include <unordered_map>

#include "fold_case.h"
#include "platform/text/encoding.h"
#include "platform/win/registry.h"
#include "utf16_bytes.h"

namespace platform::win {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out;
}

// A string value can be written as "text" only when reading that text back gives the same bytes:
// one terminating zero at the end, no other zero, no line breaks or other control characters,
// nothing that does not survive UTF-8.
bool IsPlainString(const std::vector<BYTE>& data, std::string* utf8) {
    if (data.size() < 2 || data.size() % 2 != 0) return false;
    std::u16string text = Utf16FromBytes(data);
    if (text.back() != 0) return false;
    text.pop_back();
    for (char16_t c : text) {
        if (c < 0x20) return false;
    }
    *utf8 = text::Utf16ToUtf8(text);
    return text::Utf8ToUtf16(*utf8) == text;
}

std::string HexBytes(const std::vector<BYTE>& data) {
    std::string out;
    char byte[4];
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(byte, sizeof byte, i ? ",%02x" : "%02x", data[i]);
        out += byte;
    }
    return out;
}

std::string FormatValue(const RegValue& value) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about "\"" + a temporary.
    std::string line;
    if (value.name.empty()) {
        line += '@';
    } else {
        line += '"';
        line += Escape(text::Utf16ToUtf8(value.name));
        line += '"';
    }
    line += '=';
    std::string plain;
    char prefix[32];
    if (value.type == REG_SZ && IsPlainString(value.data, &plain)) {
        line += '"';
        line += Escape(plain);
        line += '"';
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        const DWORD number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                             (static_cast<DWORD>(value.data[3]) << 24);
        std::snprintf(prefix, sizeof prefix, "dword:%08x", number);
        line += prefix;
    } else {
        if (value.type == REG_BINARY) std::snprintf(prefix, sizeof prefix, "hex:");
        else std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
        line += prefix + HexBytes(value.data);
    }
    return line + "\n";
}

void FormatKey(const std::string& path, const RegKey& key, bool writeEmpty, std::string& out) {
    if (writeEmpty || !key.values().empty()) {
        out += "[" + path + "]\n";
        for (const auto& value : key.values()) out += FormatValue(value);
        out += "\n";
    }
    for (const auto& [folded, sub] : key.subkeys()) FormatKey(path + "\\" + text::Utf16ToUtf8(sub->name()), *sub, true, out);
}

// --- parsing -----------------------------------------------------------------------------------

class LineParser {
public:
    LineParser(std::string_view line, std::string* error) : line_(line), error_(error) {}

    bool AtEnd() {
        while (pos_ < line_.size() && (line_[pos_] == ' ' || line_[pos_] == '\t')) ++pos_;
        return pos_ == line_.size();
    }
    bool Take(std::string_view token) {
        if (line_.substr(pos_, token.size()) != token) return false;
        pos_ += token.size();
        return true;
    }
    bool Fail(const std::string& message) {
        *error_ = message;
        return false;
    }

    // A quoted text with the escapes \\ and \"; pos_ is on the opening quote.
    bool QuotedText(std::string& out) {
        ++pos_;
        while (pos_ < line_.size()) {
            const char c = line_[pos_++];
            if (c == '"') return true;
            if (c == '\\') {
                if (pos_ >= line_.size() || (line_[pos_] != '\\' && line_[pos_] != '"')) {
                    return Fail("unknown escape in a quoted text (only \\\\ and \\\" are allowed)");
                }
                out += line_[pos_++];
            } else {
                out += c;
            }
        }
        return Fail("quoted text without its closing quote");
    }

    bool HexNumber(DWORD& out, std::size_t maxDigits) {
        std::size_t digits = 0;
        out = 0;
        while (pos_ < line_.size() && digits < maxDigits + 1) {
            const char c = line_[pos_];
            int v;
            if (c >= '0' && c <= '9') v = c - '0';
            else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
            else break;
            out = out * 16 + static_cast<DWORD>(v);
            ++pos_;
            ++digits;
        }
        return digits > 0 && digits <= maxDigits;
    }

    bool HexList(std::vector<BYTE>& out) {
        if (AtEnd()) return true;
        for (;;) {
            DWORD byte;
            AtEnd();
            if (!HexNumber(byte, 2)) return Fail("bad byte in a hex list");
            out.push_back(static_cast<BYTE>(byte));
            if (AtEnd()) return true;
            if (!Take(",")) return Fail("bytes of a hex list must be separated by commas");
        }
    }

    char Peek() const { return pos_ < line_.size() ? line_[pos_] : '\0'; }

private:
    std::string_view line_;
    std::string* error_;
    std::size_t pos_ = 0;
};

bool ParseValue(std::string_view line, RegValue& value, std::string* error) {
    LineParser parser(line, error);
    std::string name;
    if (parser.Peek() == '@') {
        parser.Take("@");
    } else if (!parser.QuotedText(name)) {
        return false;
    }
    value.name = text::Utf8ToUtf16(name);
    if (!parser.Take("=")) return parser.Fail("'=' expected after the value name");
    if (parser.Peek() == '"') {
        std::string data;
        if (!parser.QuotedText(data)) return false;
        value.type = REG_SZ;
        value.data = Utf16Bytes(text::Utf8ToUtf16(data));
        value.data.push_back(0);
        value.data.push_back(0);
    } else if (parser.Take("dword:")) {
        DWORD number;
        if (!parser.HexNumber(number, 8)) return parser.Fail("dword: needs 1 to 8 hex digits");
        value.type = REG_DWORD;
        value.data = {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8), static_cast<BYTE>(number >> 16),
                      static_cast<BYTE>(number >> 24)};
    } else if (parser.Take("hex:")) {
        value.type = REG_BINARY;
        if (!parser.HexList(value.data)) return false;
    } else if (parser.Take("hex(")) {
        if (!parser.HexNumber(value.type, 8) || !parser.Take("):")) return parser.Fail("hex(type): expected");
        if (!parser.HexList(value.data)) return false;
    } else if (parser.Peek() == '-') {
        return parser.Fail("deleting values is not supported");
    } else {
        return parser.Fail("unknown value data");
    }
    if (!parser.AtEnd()) return parser.Fail("unexpected text after the value");
    return true;
}

bool ParseKey(std::string_view inner, RegTextKey& key, std::string* error) {
    if (!inner.empty() && inner.front() == '-') {
        *error = "deleting keys is not supported";
        return false;
    }
    const auto slash = inner.find('\\');
    const auto hive = HiveFromName(inner.substr(0, slash));
    if (!hive) {
        *error = "unknown hive \"" + std::string(inner.substr(0, slash)) + "\"";
        return false;
    }
    key.hive = *hive;
    if (slash == std::string_view::npos) return true;
    const std::u16string rest = text::Utf8ToUtf16(inner.substr(slash + 1));
    if (rest.empty() || SplitKeyPath(rest, key.path) != ERROR_SUCCESS || rest.back() == u'\\') {
        *error = "bad key path";
        return false;
    }
    if (key.path.size() > kMaxKeyDepth) {
        *error = "key nested deeper than " + std::to_string(kMaxKeyDepth) + " levels";
        return false;
    }
    return true;
}

bool HasLoneSurrogate(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            return true;
        }
    }
    return false;
}

// The text as UTF-8 without a byte-order mark; UTF-16 files (as regedit writes them) are converted.
bool DecodeText(std::string_view text, std::string& out, std::string* error) {
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF && static_cast<unsigned char>(text[1]) == 0xFE) {
        // Refused like bad UTF-8: converting would drop the odd byte or store U+FFFD in place of
        // the lone surrogate, and the import would write something other than the file says.
        if (text.size() % 2 != 0) {
            *error = "the text is not valid UTF-16 (it ends in half a character)";
            return false;
        }
        std::vector<BYTE> bytes(text.begin() + 2, text.end());
        const std::u16string wide = Utf16FromBytes(bytes);
        if (HasLoneSurrogate(wide)) {
            *error = "the text is not valid UTF-16 (a surrogate without its pair)";
            return false;
        }
        out = text::Utf16ToUtf8(wide);
        return true;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    out.assign(text);
    if (text::Utf16ToUtf8(text::Utf8ToUtf16(out)) != out) {
        *error = "the text is not valid UTF-8";
        return false;
    }
    return true;
}

}  // namespace

std::string FormatHive(Hive hive, const RegKey& root) {
    std::string out(kHeader);
    out += "\n\n";
    FormatKey(HiveName(hive), root, false, out);
    return out;
}

bool ParseRegText(std::string_view raw, std::vector<RegTextKey>& keys, std::string* error) {
    std::string message;
    std::string text;
    if (!DecodeText(raw, text, &message)) {
        if (error) *error = message;
        return false;
    }
    keys.clear();
    bool headerSeen = false;
    // The folded names of the last key's values and their places, for keys with many values.
    std::unordered_map<std::u16string, std::size_t> valueIndex;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    auto fail = [&](std::size_t line, const std::string& what) {
        if (error) *error = "line " + std::to_string(line) + ": " + what;
        return false;
    };
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t first = ++lineNumber;
        auto trimRight = [](std::string& s) {
            while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
        };
        trimRight(line);
        // Long hex values may continue on following lines after a trailing backslash.
        while (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos && pos < text.size()) {
            line.pop_back();
            end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            std::string next = text.substr(pos, end - pos);
            pos = end + 1;
            ++lineNumber;
            trimRight(next);
            line += next.substr(next.find_first_not_of(" \t") == std::string::npos ? next.size()
                                                                                    : next.find_first_not_of(" \t"));
        }
        if (line.empty() || line.front() == ';') continue;
        if (!headerSeen) {
            if (line != kHeader) return fail(first, "not a registry file (\"" + std::string(kHeader) + "\" expected)");
            headerSeen = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') return fail(first, "key line without its closing ']'");
            RegTextKey key{};
            if (!ParseKey(std::string_view(line).substr(1, line.size() - 2), key, &message)) return fail(first, message);
            keys.push_back(std::move(key));
            valueIndex.clear();
        } else if (line.front() == '"' || line.front() == '@') {
            if (keys.empty()) return fail(first, "value before the first key");
            RegValue value;
            if (!ParseValue(line, value, &message)) return fail(first, message);
            // A name given twice in one key: the later line wins in the place of the first.
            auto& values = keys.back().values;
            const auto [at, added] = valueIndex.try_emplace(FoldCase(std::u16string_view(value.name)), values.size());
            if (added) values.push_back(std::move(value));
            else values[at->second] = std::move(value);
        } else {
            return fail(first, "neither a key nor a value");
        }
    }
    if (!headerSeen) return fail(lineNumber, "not a registry file (empty)");
    return true;
}

}  // namespace platform::win
