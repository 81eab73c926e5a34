#include "cadastral/config_tables.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <unordered_map>

#include "cadastral/config_file.h"
#include "cadastral/settings.h"
#include "drawingutil/text_fields.h"
#include "platform/cad/prompts.h"
#include "platform/text/gbk.h"

namespace cadastral {
namespace {

// Capacities of the text fields, terminator included.
constexpr std::size_t kCodeCap = 10;
constexpr std::size_t kCodeNameCap = 22;
constexpr std::size_t kText4Cap = 36;
constexpr std::size_t kText5Cap = 12;
constexpr std::size_t kClassCap = 16;
constexpr std::size_t kLandCodeCap = 8;
constexpr std::size_t kLandNameCap = 24;
constexpr std::size_t kWorkCodeCap = 10;
constexpr std::size_t kWorkNameCap = 12;
constexpr std::size_t kWorkTextCap = 18;
constexpr std::size_t kWorkRecordNameCap = 14;
constexpr std::size_t kGroupNameCap = 24;
constexpr std::size_t kGroupLabelCap = 24;
constexpr std::size_t kFieldNameCap = 16;
constexpr std::size_t kFieldLabelCap = 24;
constexpr std::size_t kFieldTrailingCap = 24;
constexpr std::size_t kCheckTextCap = 27;

std::string Fit(std::string text, std::size_t capacity) {
    if (text.size() > capacity - 1)
        text = platform::text::TruncateGbk(text, capacity - 1);
    return text;
}

bool Fits(const std::string& text, std::size_t capacity) {
    return text.size() <= capacity - 1;
}

// The text after the n-th comma (n >= 1), or npos when the line has fewer commas. Commas and blanks
// are below every GBK trail byte, so a byte search cannot stop inside a character.
std::size_t AfterComma(const std::string& line, int n) {
    std::size_t pos = 0;
    for (int i = 0; i < n; ++i) {
        std::size_t comma = line.find(',', pos);
        if (comma == std::string::npos)
            return std::string::npos;
        pos = comma + 1;
    }
    return pos;
}

// Field k (from 1): the first field of the text after comma k - 1; empty when there is none.
std::string Field(const std::string& line, int k) {
    std::size_t start = k <= 1 ? 0 : AfterComma(line, k - 1);
    std::string field;
    if (start != std::string::npos)
        CopyFirstField(line.c_str() + start, field);
    return field;
}

// A decimal integer as the C runtime's atoi reads it (leading white space, a sign, digits), held
// to the 32-bit range; 0 when there are no digits.
std::int32_t ParseInteger(const char* text) {
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' || *text == '\f')
        ++text;
    char* end = nullptr;
    long long value = std::strtoll(text, &end, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<std::int32_t>(value);
}

std::int32_t IntegerField(const std::string& line, int k) {
    std::size_t start = k <= 1 ? 0 : AfterComma(line, k - 1);
    return start == std::string::npos ? 0 : ParseInteger(line.c_str() + start);
}

// A decimal real: digits with an optional sign, point and exponent; 0 for anything else (no
// hexadecimal, no infinity), whatever the locale.
double ParseDecimal(const std::string& field) {
    std::string_view text = field;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '.'))
        return 0.0;
    double value = 0.0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (result.ec != std::errc())
        return 0.0;
    return negative ? -value : value;
}

bool StartsWithNoCaseN(const std::string& text, std::size_t from) {
    std::size_t pos = text.find_first_not_of(' ', from);
    return pos != std::string::npos && (text[pos] == 'N' || text[pos] == 'n');
}

// Opens a group from a "*" line; false when the reading of the file has to stop there.
template <typename Group>
bool OpenGroup(const std::string& line, std::vector<Group>& groups, std::size_t& read) {
    if (read >= kMaxGroupsRead || CountCommas(line.c_str()) < 2)
        return false;
    Group group;
    const std::string rest = line.substr(1);
    group.name = Fit(Field(rest, 1), kGroupNameCap);
    group.kind = IntegerField(rest, 2);
    group.label = Fit(Field(rest, 3), kGroupLabelCap);
    groups.push_back(std::move(group));
    ++read;
    return true;
}

void LoadFile(const char* name, void (*parse)(const std::vector<std::string>&, ConfigTables&),
              ConfigTables& tables) {
    std::vector<std::string> lines;
    if (ReadConfigFile(name, lines))
        parse(lines, tables);
}

}  // namespace

ConfigTables& Tables() {
    static ConfigTables tables;
    return tables;
}

std::string& ParcelLayerName() {
    static std::string name = "JZD";
    return name;
}

void ParseIndexLines(const std::vector<std::string>& lines, ConfigTables& tables) {
    for (const std::string& line : lines) {
        if (CountCommas(line.c_str()) < 5)
            continue;
        CodeRecord record;
        record.code = Field(line, 1);
        if (!Fits(record.code, kCodeCap))
            continue;
        record.name = Fit(Field(line, 2), kCodeNameCap);
        record.number = ParseDecimal(Field(line, 3));
        record.text4 = Fit(Field(line, 4), kText4Cap);
        record.text5 = Fit(Field(line, 5), kText5Cap);
        record.featureClass = Fit(Field(line, 6), kClassCap);
        if (!record.featureClass.empty())
            tables.codes.push_back(std::move(record));
    }
}

void ParseLandClassLines(const std::vector<std::string>& lines, ConfigTables& tables) {
    for (const std::string& line : lines) {
        const int commas = CountCommas(line.c_str());
        if (commas < 1)
            continue;
        LandClassRecord record;
        record.code = Field(line, 1);
        if (!Fits(record.code, kLandCodeCap))
            continue;
        record.name = Fit(Field(line, 2), kLandNameCap);
        if (commas >= 2) {
            if (StartsWithNoCaseN(line, AfterComma(line, 2)))
                record.enabled = false;
            if (commas >= 3)
                record.number = static_cast<std::int16_t>(IntegerField(line, 4));
            if (commas >= 4) {
                record.workCode = Field(line, 5);
                if (!Fits(record.workCode, kWorkCodeCap))
                    continue;
            }
        }
        if (record.code.size() == 1)
            record.enabled = true;
        tables.landClasses.push_back(std::move(record));
    }
}

void ParseWorkLines(const std::vector<std::string>& lines, ConfigTables& tables, std::string& parcelLayer) {
    // Both tables run to tens of thousands of lines: each work line finds its land classes by key.
    std::unordered_map<std::string, std::vector<LandClassRecord*>> byWorkCode;
    for (LandClassRecord& land : tables.landClasses)
        byWorkCode[land.workCode].push_back(&land);
    for (const std::string& line : lines) {
        if (CountCommas(line.c_str()) < 5)
            continue;
        WorkRecord record;
        record.code = Field(line, 1);
        if (!Fits(record.code, kCodeCap))
            continue;
        const std::string name = Field(line, 2);
        record.name = Fit(name, kWorkRecordNameCap);
        if (record.code == "300000") {
            parcelLayer = Fit(name, kParcelLayerCapacity);
        } else {
            const auto found = byWorkCode.find(record.code);
            if (found != byWorkCode.end()) {
                const std::string text = Field(line, 5);
                for (LandClassRecord* land : found->second) {
                    land->workName = Fit(name, kWorkNameCap);
                    land->workText = Fit(text, kWorkTextCap);
                }
            }
        }
        tables.works.push_back(std::move(record));
    }
}

void ParseAttributeLines(const std::vector<std::string>& lines, ConfigTables& tables) {
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] == '*') {
            if (!OpenGroup(line, tables.attributeGroups, tables.attributeGroupsRead))
                return;
            continue;
        }
        if (tables.attributeGroupsRead == 0 || CountCommas(line.c_str()) < 4)
            continue;
        AttributeField field;
        field.name = Fit(Field(line, 1), kFieldNameCap);
        field.first = IntegerField(line, 2);
        field.second = IntegerField(line, 3);
        field.third = IntegerField(line, 4);
        // The label runs, blanks and all, from the fourth comma to the next one.
        std::size_t start = AfterComma(line, 4);
        std::size_t comma = line.find(',', start);
        std::string label =
            line.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!label.empty() && label[0] == '$')
            label.erase(0, 1);
        field.label = Fit(label, kFieldLabelCap);
        if (comma != std::string::npos)
            field.trailing = Fit(line.substr(comma + 1), kFieldTrailingCap);
        tables.attributeGroups.back().fields.push_back(std::move(field));
    }
}

void ParseCheckLines(const std::vector<std::string>& lines, ConfigTables& tables) {
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] == '/')
            continue;
        if (!line.empty() && line[0] == '*') {
            if (!OpenGroup(line, tables.checkGroups, tables.checkGroupsRead))
                return;
            continue;
        }
        if (tables.checkGroupsRead == 0 || CountCommas(line.c_str()) < 3)
            continue;
        CheckField field;
        field.name = Fit(Field(line, 1), kFieldNameCap);
        field.kind = IntegerField(line, 2);
        field.type = line[AfterComma(line, 2)];
        field.text = Fit(line.substr(AfterComma(line, 3)), kCheckTextCap);
        tables.checkGroups.back().fields.push_back(std::move(field));
    }
}

void AddBuiltinAttributeGroups(ConfigTables& tables) {
    const AttributeField code{"CODE", 10, 6, 0, "要素代码", ""};
    const AttributeField text{"TEXT", 20, 80, 0, "文字内容", ""};
    tables.attributeGroups.push_back({"default_point", 1, "无属性点", {code}});
    tables.attributeGroups.push_back({"default_line", 2, "无属性线", {code}});
    tables.attributeGroups.push_back({"default_poly", 3, "无属性面", {code}});
    tables.attributeGroups.push_back({"default_text", 4, "无属性文字", {code, text}});
}

void LoadConfigTables() {
    ConfigTables& tables = Tables();
    tables = ConfigTables{};
    ParcelLayerName() = "JZD";
    {
        std::vector<std::string> lines;
        bool ended = false;
        if (ReadConfigFile("index.ini", lines, &ended)) {
            ParseIndexLines(lines, tables);
            tables.codesDamaged = !ended || tables.codes.empty();
            if (tables.codesDamaged)
                SayCodeTableDamaged();
        }
    }
    LoadFile("Dilei.def", ParseLandClassLines, tables);
    std::vector<std::string> lines;
    if (ReadConfigFile("work.def", lines))
        ParseWorkLines(lines, tables, ParcelLayerName());
    LoadFile("attribute.def", ParseAttributeLines, tables);
    AddBuiltinAttributeGroups(tables);
    LoadFile("attributeCheck.def", ParseCheckLines, tables);
    ReadHostSettings();
}

void SayCodeTableDamaged() {
    acutPrintf("\n模板数据 %s 有错", "index.ini");
}

bool FindCodeRecord2(std::string_view code, std::string& text5, std::string& featureClass) {
    text5.clear();
    featureClass.clear();
    if (code.empty())
        return false;
    for (const CodeRecord& record : Tables().codes)
        if (record.code == code) {
            text5 = record.text5;
            featureClass = record.featureClass;
            return true;
        }
    return false;
}

bool FindCodeRecord(std::string_view code, std::string& featureClass) {
    std::string text5;
    return FindCodeRecord2(code, text5, featureClass);
}

}  // namespace cadastral
