// The five configuration tables of the toolkit: "index.ini" (feature codes
// and their classes), "Dilei.def" (land classes), "work.def" (layers of codes), "attribute.def"
// (attribute layouts) and "attributeCheck.def" (required fields per exchange table). They are read
// once, at load, and only read afterwards.
//
// Texts are GBK. Each text field keeps at most its capacity - 1 bytes (a capacity counts the
// terminating zero, as the fixed-size fields of the records always have): a longer text is cut at
// a character boundary, except a feature code, whose line is refused, since a cut code would match
// another one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cadastral {

// One line of "index.ini".
struct CodeRecord {
    std::string code;  // 10
    std::string name;  // 22
    double number = 0.0;
    std::string text4;         // 36
    std::string text5;         // 12, given by FindCodeRecord2
    std::string featureClass;  // 16: "FW", "TFW", "XZQ", "QTD"...
};

// One line of "Dilei.def".
struct LandClassRecord {
    std::string code;  // 8
    std::string name;  // 24
    bool enabled = true;
    std::int16_t number = 0;
    std::int32_t first = 0;
    std::int32_t second = 0;
    std::string workCode;  // 10
    std::string workName;  // 12, from "work.def"
    std::string workText;  // 18, from "work.def"
};

// One line of "work.def".
struct WorkRecord {
    std::string code;  // 10
    std::string name;  // 14
};

struct AttributeField {
    std::string name;  // 16
    std::int32_t first = 0;
    std::int32_t second = 0;
    std::int32_t third = 0;
    std::string label;     // 24, a leading "$" removed
    std::string trailing;  // 24
};

struct AttributeGroup {
    std::string name;  // 24
    std::int32_t kind = 0;
    std::string label;  // 24
    std::vector<AttributeField> fields;
};

struct CheckField {
    std::string name;  // 16
    std::int32_t kind = 0;
    char type = '\0';  // 'M' or 'm': required
    std::string text;  // 27
};

struct CheckGroup {
    std::string name;  // 24
    std::int32_t kind = 0;
    std::string label;  // 24
    std::vector<CheckField> fields;
};

// Groups of "attribute.def" and of "attributeCheck.def" taken from their files at most, and the
// size of each fixed table (the attribute table ends with the four built-in groups).
inline constexpr std::size_t kMaxGroupsRead = 196;
inline constexpr std::size_t kGroupTableSize = 200;

struct ConfigTables {
    std::vector<CodeRecord> codes;
    std::vector<LandClassRecord> landClasses;
    std::vector<WorkRecord> works;
    std::vector<AttributeGroup> attributeGroups;  // those read, then the four built-in ones
    std::size_t attributeGroupsRead = 0;
    std::vector<CheckGroup> checkGroups;
    std::size_t checkGroupsRead = 0;
    // "index.ini" was found but ends without its end line or holds no record: what was read of
    // it serves look-ups, but nothing is coded from it.
    bool codesDamaged = false;
};

// The line that says the code table is damaged, as the other tables' faults are said.
void SayCodeTableDamaged();

// The module's tables.
ConfigTables& Tables();

// The layer of parcels, "JZD" until "work.def" names the layer of "300000" (56 bytes).
inline constexpr std::size_t kParcelLayerCapacity = 56;
std::string& ParcelLayerName();

// Empties the tables, reads the five files found by the host's file search (a file that is not
// found or cannot be opened leaves its table empty), appends the built-in attribute groups and
// then reads the settings (ReadHostSettings).
void LoadConfigTables();

// The parsers of the five files, over the lines of a file (without their line ends), up to the
// end line. Each appends to the tables given.
void ParseIndexLines(const std::vector<std::string>& lines, ConfigTables& tables);
void ParseLandClassLines(const std::vector<std::string>& lines, ConfigTables& tables);
void ParseWorkLines(const std::vector<std::string>& lines, ConfigTables& tables, std::string& parcelLayer);
void ParseAttributeLines(const std::vector<std::string>& lines, ConfigTables& tables);
void ParseCheckLines(const std::vector<std::string>& lines, ConfigTables& tables);
// Appends "default_point", "default_line", "default_poly" and "default_text".
void AddBuiltinAttributeGroups(ConfigTables& tables);

// The class of the first record whose code equals the code exactly. An empty code, or one not in
// the table, gives false and an empty class.
bool FindCodeRecord(std::string_view code, std::string& featureClass);
// The same search, giving the record's fifth text and its class.
bool FindCodeRecord2(std::string_view code, std::string& text5, std::string& featureClass);

}  // namespace cadastral
