#include "gisdump/gis_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/text/encoding.h"

namespace gisdump {
namespace {

using platform::gis::GisArea;
using platform::gis::GisDocument;
using platform::gis::GisField;
using platform::gis::GisLine;
using platform::gis::GisPoint;
using platform::gis::GisProject;

const char* KindName(short kind)
{
    switch (kind) {
    case GIS_KIND_POINT: return "point";
    case GIS_KIND_LINE: return "line";
    case GIS_KIND_AREA: return "area";
    default: return "table";
    }
}

void AppendNumber(std::string& out, double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendHexByte(std::string& out, unsigned char byte)
{
    static const char digits[] = "0123456789abcdef";
    out += digits[byte >> 4];
    out += digits[byte & 15];
}

void AppendHex(std::string& out, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) AppendHexByte(out, bytes[i]);
}

// GBK text as a quoted UTF-8 string; bytes that are no character of their own come out as \xHH,
// so that every byte comes back unchanged.
void AppendQuoted(std::string& out, std::string_view gbk)
{
    out += '"';
    std::size_t i = 0;
    while (i < gbk.size()) {
        const auto c = static_cast<unsigned char>(gbk[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t length = c < 0x80 ? 0 : platform::text::GbkDefinedCharLength(gbk, i);
        if (length > 0) {
            const std::string_view character = gbk.substr(i, length);
            const std::string utf8 = platform::text::GbkToUtf8(character);
            if (platform::text::Utf8ToGbk(utf8) == character) {
                out += utf8;
                i += length;
                continue;
            }
        }
        out += "\\x";
        AppendHexByte(out, c);
        ++i;
    }
    out += '"';
}

void AppendValues(std::string& out, const platform::gis::GisValues& values)
{
    out += "  VALUES";
    for (const auto& value : values.ToVector()) {
        out += ' ';
        AppendQuoted(out, value);
    }
    out += '\n';
}

struct Token {
    bool quoted = false;
    std::string text;  // GBK for a quoted token
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Tokenize(std::string_view line, std::vector<Token>* tokens, std::string* error)
{
    tokens->clear();
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
            continue;
        }
        Token token;
        if (line[i] != '"') {
            const std::size_t end = line.find_first_of(" \t\r", i);
            token.text = std::string(line.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i));
            i = end == std::string_view::npos ? line.size() : end;
            tokens->push_back(std::move(token));
            continue;
        }
        token.quoted = true;
        ++i;
        std::string run;  // UTF-8 waiting to be converted
        auto flush = [&] {
            token.text += platform::text::Utf8ToGbk(run);
            run.clear();
        };
        bool closed = false;
        while (i < line.size()) {
            const char c = line[i];
            if (c == '"') {
                closed = true;
                ++i;
                break;
            }
            if (c != '\\') {
                run += c;
                ++i;
                continue;
            }
            if (i + 1 >= line.size()) break;
            const char next = line[i + 1];
            if (next == '\\' || next == '"') {
                run += next;
                i += 2;
            } else if (next == 'x' && i + 3 < line.size() && HexDigit(line[i + 2]) >= 0 && HexDigit(line[i + 3]) >= 0) {
                flush();
                token.text += static_cast<char>(HexDigit(line[i + 2]) * 16 + HexDigit(line[i + 3]));
                i += 4;
            } else {
                *error = "unknown escape in a quoted text";
                return false;
            }
        }
        if (!closed) {
            *error = "unterminated quoted text";
            return false;
        }
        flush();
        tokens->push_back(std::move(token));
    }
    return true;
}

bool ParseDouble(const std::string& text, double* value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, *value);
    return result.ec == std::errc{} && result.ptr == end && std::isfinite(*value);
}

template <typename T>
bool ParseInteger(std::string_view text, T* value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, *value);
    return result.ec == std::errc{} && result.ptr == end;
}

// "key=value" with the expected key.
bool ParseKeyed(const Token& token, std::string_view key, long long* value)
{
    const std::string_view text = token.text;
    return !token.quoted && text.size() > key.size() + 1 && text.substr(0, key.size()) == key &&
           text[key.size()] == '=' && ParseInteger(text.substr(key.size() + 1), value);
}

bool ParseHex(const Token& token, void* out, std::size_t size)
{
    if (token.quoted || token.text.size() != size * 2) return false;
    auto* bytes = static_cast<unsigned char*>(out);
    for (std::size_t i = 0; i < size; ++i) {
        const int high = HexDigit(token.text[2 * i]), low = HexDigit(token.text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        bytes[i] = static_cast<unsigned char>(high * 16 + low);
    }
    return true;
}

// Whether a value can stand in a field of its type: a number field holds a number its type can
// hold (blank counting as 0, as the library stores it); text, dates and times hold any text.
bool FitsField(const GisField& field, const std::string& value)
{
    std::string stored;
    if (!platform::gis::NormalizeFieldValue(field, value, &stored)) return false;
    switch (field.type) {
    case GIS_FIELD_BYTE:
    case GIS_FIELD_SHORT:
    case GIS_FIELD_LONG:
    case GIS_FIELD_FLOAT: break;
    default: return true;
    }
    const double number = std::strtod(stored.c_str(), nullptr);  // a number: the library took it
    switch (field.type) {
    case GIS_FIELD_BYTE: return number >= 0 && number <= 255;
    case GIS_FIELD_SHORT: return number >= -32768 && number <= 32767;
    case GIS_FIELD_LONG: return number >= -2147483648.0 && number <= 2147483647.0;
    default: return std::fabs(number) <= std::numeric_limits<float>::max();
    }
}

// Appends the points of a ring's line, backwards for a negative number, without repeating the joint.
bool AppendRingLine(const GisDocument& document, LONG entry, std::vector<D_DOT>* ring)
{
    const auto index = static_cast<std::size_t>(entry < 0 ? -static_cast<long long>(entry) : entry);
    if (index < 1 || index > document.lines.size()) return false;
    std::vector<D_DOT> points = document.lines[index - 1].points;
    if (entry < 0) std::reverse(points.begin(), points.end());
    for (const D_DOT& point : points) {
        if (!ring->empty() && std::fabs(ring->back().x - point.x) < 1e-9 && std::fabs(ring->back().y - point.y) < 1e-9)
            continue;
        ring->push_back(point);
    }
    return true;
}

void AppendCoordinates(std::string& out, const std::vector<D_DOT>& points)
{
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0) out += ", ";
        AppendNumber(out, points[i].x);
        out += ' ';
        AppendNumber(out, points[i].y);
    }
}

}  // namespace

std::string DumpDocument(const GisDocument& document)
{
    std::string out;
    out += "GISFILE kind=" + std::to_string(document.kind) + "\n";
    out += "# " + std::string(KindName(document.kind)) + " file: " + std::to_string(document.fields.size()) +
           " fields, " + std::to_string(document.points.size()) + " points, " + std::to_string(document.lines.size()) +
           " lines, " + std::to_string(document.areas.size()) + " areas, " + std::to_string(document.rows.size()) +
           " records\n";
    for (const GisField& field : document.fields) {
        out += "FIELD ";
        AppendQuoted(out, field.name);
        out += " type=" + std::to_string(field.type) + " width=" + std::to_string(field.width) +
               " decimals=" + std::to_string(field.decimals) + " flag=" + std::to_string(field.flag) + "\n";
    }
    for (std::size_t i = 0; i < document.points.size(); ++i) {
        const GisPoint& point = document.points[i];
        out += "POINT ";
        AppendNumber(out, point.position.x);
        out += ' ';
        AppendNumber(out, point.position.y);
        out += ' ';
        AppendQuoted(out, point.text);
        out += "\n  PARAMS ";
        AppendHex(out, point.params.data(), point.params.size());
        out += '\n';
        AppendValues(out, point.values);
    }
    for (const GisLine& line : document.lines) {
        out += "LINE " + std::to_string(line.points.size()) + "\n";
        for (const D_DOT& point : line.points) {
            out += "  XY ";
            AppendNumber(out, point.x);
            out += ' ';
            AppendNumber(out, point.y);
            out += '\n';
        }
        out += "  PARAMS ";
        AppendHex(out, line.params.data(), line.params.size());
        out += '\n';
        AppendValues(out, line.values);
    }
    for (const GisArea& area : document.areas) {
        out += "AREA";
        for (LONG entry : area.lines) out += ' ' + std::to_string(entry);
        out += "\n  PARAMS ";
        AppendHex(out, area.params.data(), area.params.size());
        out += '\n';
        AppendValues(out, area.values);
    }
    for (const auto& row : document.rows) {
        out += "ROW\n";
        AppendValues(out, row);
    }
    return out;
}

std::string DumpProject(const GisProject& project)
{
    std::string out = "GISPROJECT\n# " + std::to_string(project.entries.size()) + " entries\n";
    for (const auto& entry : project.entries) {
        out += "ENTRY ";
        AppendQuoted(out, entry.path);
        out += ' ';
        AppendQuoted(out, std::string(entry.record.title, strnlen(entry.record.title, sizeof entry.record.title)));
        out += "\n  RECORD ";
        AppendHex(out, &entry.record, sizeof entry.record);
        out += '\n';
    }
    return out;
}

bool DumpWkt(const GisDocument& document, std::string* text, std::string* error)
{
    std::string out;
    for (const GisPoint& point : document.points) {
        out += "POINT (";
        AppendCoordinates(out, {point.position});
        out += ")\n";
    }
    for (const GisLine& line : document.lines) {
        out += "LINESTRING (";
        AppendCoordinates(out, line.points);
        out += ")\n";
    }
    for (std::size_t a = 0; a < document.areas.size(); ++a) {
        const auto& list = document.areas[a].lines;
        std::vector<std::vector<D_DOT>> rings(1);
        for (std::size_t i = 1; i < list.size(); ++i) {
            if (list[i] == 0) {
                rings.emplace_back();
                continue;
            }
            if (!AppendRingLine(document, list[i], &rings.back())) {
                *error = "area " + std::to_string(a + 1) + " names line " + std::to_string(list[i]) +
                         ", which the file does not hold";
                return false;
            }
        }
        out += "POLYGON (";
        bool first = true;
        for (auto& ring : rings) {
            if (ring.empty()) continue;
            if (ring.front().x != ring.back().x || ring.front().y != ring.back().y) ring.push_back(ring.front());
            out += first ? "(" : ", (";
            first = false;
            AppendCoordinates(out, ring);
            out += ')';
        }
        out += ")\n";
    }
    *text = std::move(out);
    return true;
}

bool ParseDump(std::string_view text, GisDocument* document, GisProject* project, bool* isProject, std::string* error)
{
    enum class Last { None, Point, Line, Area, Row, Entry } last = Last::None;
    bool started = false;
    GisDocument file;
    GisProject list;
    std::vector<Token> tokens;
    std::size_t lineNumber = 0;
    auto fail = [&](const std::string& message) {
        *error = "line " + std::to_string(lineNumber) + ": " + message;
        return false;
    };
    platform::gis::GisValues* values = nullptr;
    std::vector<long long> lineCounts;  // as each LINE announced it
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        std::string tokenError;
        if (!Tokenize(line, &tokens, &tokenError)) return fail(tokenError);
        if (tokens.empty() || (!tokens[0].quoted && tokens[0].text[0] == '#')) continue;
        const std::string& word = tokens[0].quoted ? std::string() : tokens[0].text;
        if (!started) {
            long long kind = 0;
            if (word == "GISPROJECT" && tokens.size() == 1) {
                *isProject = true;
            } else if (word == "GISFILE" && tokens.size() == 2 && ParseKeyed(tokens[1], "kind", &kind) &&
                       kind >= 0 && kind <= 32767 && platform::gis::IsGisKind(static_cast<int>(kind))) {
                *isProject = false;
                file.kind = static_cast<short>(kind);
            } else {
                return fail("expected GISFILE kind=N or GISPROJECT");
            }
            started = true;
            continue;
        }
        if (*isProject) {
            if (word == "ENTRY" && tokens.size() == 3 && tokens[1].quoted && tokens[2].quoted) {
                platform::gis::GisProjectEntry entry;
                entry.path = tokens[1].text;
                if (entry.path.size() > 259 || tokens[2].text.size() >= sizeof entry.record.title)
                    return fail("path or title too long");
                std::memcpy(entry.record.title, tokens[2].text.data(), tokens[2].text.size());
                list.entries.push_back(entry);
                last = Last::Entry;
            } else if (word == "RECORD" && tokens.size() == 2 && last == Last::Entry) {
                auto& entry = list.entries.back();
                const std::string title(entry.record.title, strnlen(entry.record.title, sizeof entry.record.title));
                if (!ParseHex(tokens[1], &entry.record, sizeof(PRJ_ENTRY)))
                    return fail("a record is 256 bytes in hex");
                if (std::string_view(entry.record.title, strnlen(entry.record.title, sizeof entry.record.title)) != title)
                    return fail("the record does not begin with the entry's title");
            } else {
                return fail("expected ENTRY \"path\" \"title\" or RECORD hex");
            }
            continue;
        }
        if (word == "FIELD") {
            long long type = 0, width = 0, decimals = 0, flag = 0;
            if (tokens.size() != 6 || !tokens[1].quoted || !ParseKeyed(tokens[2], "type", &type) ||
                !ParseKeyed(tokens[3], "width", &width) || !ParseKeyed(tokens[4], "decimals", &decimals) ||
                !ParseKeyed(tokens[5], "flag", &flag))
                return fail("expected FIELD \"name\" type=N width=N decimals=N flag=N");
            if (last != Last::None) return fail("fields come before every object");
            if (tokens[1].text.empty() || tokens[1].text.size() > 19 || type < 0 || type > GIS_FIELD_INT64 ||
                width < -32768 || width > 32767 || decimals < -32768 || decimals > 32767 || flag < -32768 || flag > 32767)
                return fail("field name or numbers out of range");
            file.fields.push_back(GisField{tokens[1].text, static_cast<std::uint8_t>(type), static_cast<std::int16_t>(width),
                                           static_cast<std::int16_t>(decimals), static_cast<std::int16_t>(flag)});
            continue;
        }
        auto blank = [&] {
            std::vector<std::string> result;
            for (const auto& field : file.fields) result.push_back(platform::gis::DefaultFieldValue(field));
            return result;
        };
        if (word == "POINT") {
            GisPoint point;
            if (tokens.size() != 4 || !ParseDouble(tokens[1].text, &point.position.x) ||
                !ParseDouble(tokens[2].text, &point.position.y) || !tokens[3].quoted || tokens[3].text.size() > 65535)
                return fail("expected POINT x y \"text\" (at most 65535 bytes)");
            point.text = tokens[3].text;
            point.values = blank();
            file.points.push_back(std::move(point));
            values = &file.points.back().values;
            last = Last::Point;
        } else if (word == "LINE") {
            long long count = 0;
            if (tokens.size() != 2 || !ParseInteger(std::string_view(tokens[1].text), &count) || count < 0)
                return fail("expected LINE count");
            GisLine added;
            added.values = blank();
            lineCounts.push_back(count);
            file.lines.push_back(std::move(added));
            values = &file.lines.back().values;
            last = Last::Line;
        } else if (word == "XY") {
            D_DOT point{};
            if (last != Last::Line || tokens.size() != 3 || !ParseDouble(tokens[1].text, &point.x) ||
                !ParseDouble(tokens[2].text, &point.y))
                return fail("expected XY x y after LINE");
            file.lines.back().points.push_back(point);
        } else if (word == "AREA") {
            GisArea area;
            for (std::size_t i = 1; i < tokens.size(); ++i) {
                LONG entry = 0;
                if (tokens[i].quoted || !ParseInteger(std::string_view(tokens[i].text), &entry))
                    return fail("expected AREA followed by line numbers");
                area.lines.push_back(entry);
            }
            area.values = blank();
            file.areas.push_back(std::move(area));
            values = &file.areas.back().values;
            last = Last::Area;
        } else if (word == "ROW" && tokens.size() == 1) {
            file.rows.push_back(blank());
            values = &file.rows.back();
            last = Last::Row;
        } else if (word == "PARAMS" && tokens.size() == 2) {
            bool ok = false;
            if (last == Last::Point) ok = ParseHex(tokens[1], file.points.back().params.data(), GIS_POINT_PARAM_SIZE);
            if (last == Last::Line) ok = ParseHex(tokens[1], file.lines.back().params.data(), GIS_LINE_PARAM_SIZE);
            if (last == Last::Area) ok = ParseHex(tokens[1], file.areas.back().params.data(), GIS_AREA_PARAM_SIZE);
            if (!ok) return fail("parameters follow a point (94 bytes), line (67) or area (24), in hex");
        } else if (word == "VALUES") {
            if (values == nullptr || tokens.size() - 1 != file.fields.size())
                return fail("expected one quoted value per field after an object");
            for (std::size_t i = 1; i < tokens.size(); ++i) {
                if (!tokens[i].quoted || tokens[i].text.size() > 255) return fail("values are quoted, at most 255 bytes");
                if (!FitsField(file.fields[i - 1], tokens[i].text))
                    return fail("the value of field " + platform::text::GbkToUtf8(file.fields[i - 1].name) +
                                " does not fit its type");
                values->Set(i - 1, tokens[i].text);
            }
        } else {
            return fail("unknown line");
        }
    }
    if (!started) {
        *error = "line 1: the text is empty";
        return false;
    }
    if (*isProject) {
        *project = std::move(list);
        return true;
    }
    if (file.fields.empty()) return fail("a file has at least its ID field");
    for (std::size_t i = 0; i < file.lines.size(); ++i)
        if (file.lines[i].points.size() < 2 || static_cast<long long>(file.lines[i].points.size()) != lineCounts[i])
            return fail("line " + std::to_string(i + 1) + " has fewer than 2 points or not the number it announced");
    for (std::size_t i = 0; i < file.areas.size(); ++i)
        if (!platform::gis::IsValidLineList(file.areas[i].lines, file.lines.size()))
            return fail("area " + std::to_string(i + 1) +
                        ": the first entry counts the rest, and every other names a line of the file");
    *document = std::move(file);
    return true;
}

}  // namespace gisdump
