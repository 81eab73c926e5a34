#include "gisexchange/config_tables.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "drawingutil/feature_codes.h"
#include "drawingutil/support_files.h"
#include "platform/cad/resbuf.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"
#include "platform/ui/afx_wnd.h"

namespace gisexchange {
namespace {

using ReadResult = drawingutil::SupportFileRead;

// The lines of a file found on the search path, line ends removed; a line of any length stays one
// line.
ReadResult ReadLines(const char* bareName, std::vector<std::string>& lines) {
    lines.clear();
    std::string content;
    if (const ReadResult read = drawingutil::ReadSupportFile(bareName, content); read != ReadResult::kRead)
        return read;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t feed = content.find('\n', start);
        std::size_t end = feed == std::string::npos ? content.size() : feed;
        std::size_t next = feed == std::string::npos ? content.size() : feed + 1;
        if (end > start && content[end - 1] == '\r')
            --end;
        lines.push_back(content.substr(start, end - start));
        start = next;
    }
    return ReadResult::kRead;
}

// Blanks and tabs are single bytes that never stand inside a double-byte character.
std::string WithoutBlanks(std::string_view line) {
    std::string out;
    for (char c : line)
        if (c != ' ' && c != '\t')
            out += c;
    return out;
}

bool IsComment(std::string_view line) {
    return line.starts_with("//");
}

bool IsEndLine(std::string_view line) {
    return line.size() >= 3 && (line[0] == 'E' || line[0] == 'e') && (line[1] == 'N' || line[1] == 'n') &&
           (line[2] == 'D' || line[2] == 'd');
}

// The field of an index line that starts at pos: leading blanks skipped, up to the next comma,
// blank or the end.
std::string IndexField(std::string_view line, std::size_t pos) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    std::size_t end = pos;
    while (end < line.size() && line[end] != ',' && line[end] != ' ' && line[end] != '\t')
        ++end;
    return std::string(line.substr(pos, end - pos));
}

constexpr std::size_t kCodeBytes = 9, kSymbolBytes = 15, kFourthBytes = 35, kFifthBytes = 11,
                      kSixthBytes = 15;

}  // namespace

ConfigTables& Config() {
    static ConfigTables tables;
    return tables;
}

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    if (line.empty())
        return fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = line.find(',', start);  // a comma is never a trail byte
        fields.emplace_back(line.substr(start, comma == std::string_view::npos ? line.npos : comma - start));
        if (comma == std::string_view::npos)
            return fields;
        start = comma + 1;
    }
}

bool ParseTemplates(const std::vector<std::string>& lines, std::vector<AttributeTemplate>& templates) {
    templates.clear();
    for (const std::string& raw : lines) {
        std::string line = WithoutBlanks(raw);
        if (IsComment(line) || line.empty())
            continue;
        if (line[0] == '*') {
            std::vector<std::string> f = SplitFields(std::string_view(line).substr(1));
            if (f.size() < 3) {
                AfxMessageBox(platform::text::Format("模板数据 %s 有错", line.substr(1)).c_str());
                return false;
            }
            AttributeTemplate& t = templates.emplace_back();
            t.name = f[0];
            t.second = f[1];
            t.category = f[2];
            if (f.size() >= 5) {
                t.fourth = f[3];
                t.fifth = f[4];
            }
            continue;
        }
        std::vector<std::string> f = SplitFields(line);
        if (f.size() < 4 || templates.empty())
            continue;
        AttributeTemplateEntry& e = templates.back().entries.emplace_back();
        for (std::size_t i = 0; i < 5 && i < f.size(); ++i)
            e.fields[i] = f[i];
    }
    return true;
}

namespace {
// Lines of exactly `fields` fields: the last is the value, the ones before it, joined by commas,
// the key. Other lines and comments are passed over.
void ParseKeyedValues(const std::vector<std::string>& lines, std::size_t fields, std::vector<std::string>& keys,
                      std::vector<std::string>& values) {
    keys.clear();
    values.clear();
    for (const std::string& raw : lines) {
        std::string line = WithoutBlanks(raw);
        if (IsComment(line))
            continue;
        std::vector<std::string> f = SplitFields(line);
        if (f.size() != fields)
            continue;
        std::string key = f[0];
        for (std::size_t i = 1; i + 1 < fields; ++i)
            key += "," + f[i];
        keys.push_back(std::move(key));
        values.push_back(f.back());
    }
}
}  // namespace

void ParseTextStyles(const std::vector<std::string>& lines, std::vector<std::string>& keys,
                     std::vector<std::string>& values) {
    ParseKeyedValues(lines, 2, keys, values);
}

void ParseColors(const std::vector<std::string>& lines, std::vector<std::string>& keys,
                 std::vector<std::string>& values) {
    ParseKeyedValues(lines, 4, keys, values);
}

std::vector<IndexRecord> ParseIndex(const std::vector<std::string>& lines) {
    std::vector<IndexRecord> records;
    for (const std::string& line : lines) {
        if (IsEndLine(line))
            break;
        std::vector<std::size_t> starts = {0};
        for (std::size_t i = 0; i < line.size() && starts.size() < 6; ++i)
            if (line[i] == ',')
                starts.push_back(i + 1);
        if (starts.size() < 6)
            continue;
        IndexRecord r;
        r.code = IndexField(line, starts[0]);
        if (r.code.size() > kCodeBytes)
            continue;
        r.symbol = platform::text::TruncateGbk(IndexField(line, starts[1]), kSymbolBytes);
        r.factor = std::strtod(line.c_str() + starts[2], nullptr);
        r.fourth = platform::text::TruncateGbk(IndexField(line, starts[3]), kFourthBytes);
        r.fifth = platform::text::TruncateGbk(IndexField(line, starts[4]), kFifthBytes);
        r.sixth = platform::text::TruncateGbk(IndexField(line, starts[5]), kSixthBytes);
        records.push_back(std::move(r));
    }
    return records;
}

std::vector<WorkRecord> ParseWork(const std::vector<std::string>& lines) {
    std::vector<WorkRecord> records;
    for (const std::string& line : lines) {
        std::vector<std::string> f = SplitFields(line);
        if (f.size() < 5)
            continue;
        records.push_back(WorkRecord{f[0], f[1], f[3], std::strtod(f[4].c_str(), nullptr)});
    }
    // Sorted once, in file order within a key, so that the first line of a key is the one kept.
    // Byte order is the order of the host's multibyte comparison: a lead byte sorts after every
    // single-byte character.
    auto byKey = [](const WorkRecord& a, const WorkRecord& b) { return a.key < b.key; };
    std::stable_sort(records.begin(), records.end(), byKey);
    auto sameKey = [](const WorkRecord& a, const WorkRecord& b) { return a.key == b.key; };
    records.erase(std::unique(records.begin(), records.end(), sameKey), records.end());
    return records;
}

bool LoadTemplateData() {
    std::vector<std::string> lines;
    Config().templates.clear();
    if (ReadLines("cvtMapGisAttr.def", lines) != ReadResult::kRead)
        return true;
    return ParseTemplates(lines, Config().templates);
}

void LoadTextStyleTable() {
    std::vector<std::string> lines;
    ReadLines("cvtTextStyle.def", lines);
    ParseTextStyles(lines, Config().styleKeys, Config().styleValues);
}

void LoadColorTable() {
    std::vector<std::string> lines;
    ReadLines("cvtColor.def", lines);
    ParseColors(lines, Config().colorKeys, Config().colorValues);
}

IndexLoad LoadIndexTable() {
    Config().index.clear();
    std::vector<std::string> lines;
    ReadResult read = ReadLines("cvtIndex.ini", lines);
    if (read == ReadResult::kNotFound)
        read = ReadLines("index.ini", lines);
    if (read == ReadResult::kNotFound)
        return IndexLoad::kNotFound;
    if (read == ReadResult::kNotOpened)
        return IndexLoad::kNotOpened;
    Config().index = ParseIndex(lines);
    return IndexLoad::kLoaded;
}

void LoadWorkTable() {
    Config().work.clear();
    std::vector<std::string> lines;
    ReadResult read = ReadLines("cvtWork.DEF", lines);
    if (read == ReadResult::kNotFound)
        read = ReadLines("Work.def", lines);
    if (read == ReadResult::kRead)
        Config().work = ParseWork(lines);
}

int LookupNamedValue(std::string_view key) {
    if (key.empty())
        return 0;
    const ConfigTables& c = Config();
    for (std::size_t i = 0; i < c.colorKeys.size(); ++i)
        if (platform::text::GbkEqualNoCase(c.colorKeys[i], key))
            return std::atoi(c.colorValues[i].c_str());
    return 0;
}

int LookupPrefixValue(std::string_view fontName) {
    if (fontName.empty())
        return 0;
    const ConfigTables& c = Config();
    for (std::size_t i = 0; i < c.styleKeys.size(); ++i) {
        const std::string& key = c.styleKeys[i];
        // The name's beginning must end on a character boundary to equal a key.
        if (key.size() <= fontName.size() && platform::text::IsGbkCharBoundary(fontName, key.size()) &&
            platform::text::GbkEqualNoCase(fontName.substr(0, key.size()), key))
            return std::atoi(c.styleValues[i].c_str());
    }
    return 0;
}

bool LookupIndexRecord(std::string_view code, std::string& fifth, std::string& sixth) {
    fifth.clear();
    sixth.clear();
    if (code.empty())
        return false;
    for (const IndexRecord& r : Config().index)
        if (r.code == code) {
            fifth = r.fifth;
            sixth = r.sixth;
            return true;
        }
    return false;
}

bool LookupIndexRecordOfEntity(const ads_name entity, std::string& code, std::string& sixth) {
    sixth.clear();
    GetEntityCode(entity, code);
    std::string fifth;
    return LookupIndexRecord(code, fifth, sixth);
}

namespace {

// GbkToLower(a) == GbkToLower(b): the mapping keeps every length, and the same bytes map alike, so
// only names of the same length and different bytes are mapped.
bool SameLowered(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    return a == b || platform::text::GbkToLower(a) == platform::text::GbkToLower(b);
}

}  // namespace

bool FindTemplateNumber(std::string_view text, int& number) {
    for (const AttributeTemplate& t : Config().templates) {
        if (t.name.empty())
            return false;
        const std::string_view name = t.name;
        const std::size_t bar = platform::text::GbkFind(name, '|');
        if (SameLowered(bar == std::string_view::npos ? name : name.substr(0, bar), text)) {
            number = std::atoi(t.second.c_str());
            return true;
        }
    }
    return false;
}

int LookupSignedValue(const std::vector<int>& keys, const std::vector<int>& values, int key) {
    for (std::size_t i = 0; i < keys.size() && i < values.size(); ++i) {
        if (keys[i] == key)
            return values[i];
        if (keys[i] == -static_cast<long long>(key))
            return -values[i];
    }
    return 0;
}

}  // namespace gisexchange
