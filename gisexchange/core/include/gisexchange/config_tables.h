// The text configuration of Geoport, read from the host's search path each time the module loads:
// attribute templates ("cvtMapGisAttr.def"), font numbers ("cvtTextStyle.def"), colour numbers
// ("cvtColor.def") and the code index ("cvtIndex.ini", else "index.ini"). Each loader replaces its
// table; a file that is missing or does not open leaves the table empty.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/cad/resbuf.h"

namespace gisexchange {

struct AttributeTemplateEntry {
    std::string fields[5];
};

struct AttributeTemplate {
    std::string name, second, category, fourth, fifth;
    std::vector<AttributeTemplateEntry> entries;
};

// One line of the code index. The texts keep within the sizes of the index's fixed fields (9, 15,
// 35, 11 and 15 bytes): a longer code skips its line, since a cut code could match another one;
// the other texts are cut on a character boundary.
struct IndexRecord {
    std::string code, symbol;
    double factor = 0;
    std::string fourth, fifth, sixth;
};

// One key of the work table; its third field is not kept.
struct WorkRecord {
    std::string key, second, fourth;
    double number = 0;
};

struct ConfigTables {
    std::vector<AttributeTemplate> templates;
    std::vector<std::string> styleKeys, styleValues;  // font name prefix -> number
    std::vector<std::string> colorKeys, colorValues;  // "r,g,b" -> number
    std::vector<IndexRecord> index;
    std::vector<WorkRecord> work;  // sorted by key, byte order, one record per key
};

// The tables the module reads at load; the converters read them.
ConfigTables& Config();

// The fields between commas: none for an empty line, n + 1 for n commas, empty ones kept.
std::vector<std::string> SplitFields(std::string_view line);

// Table contents from the lines of a file (line ends removed). ParseTemplates stops at a "*" line
// of fewer than three fields and names it in a message box; false then, with the templates read
// before it kept.
bool ParseTemplates(const std::vector<std::string>& lines, std::vector<AttributeTemplate>& templates);
void ParseTextStyles(const std::vector<std::string>& lines, std::vector<std::string>& keys,
                     std::vector<std::string>& values);
void ParseColors(const std::vector<std::string>& lines, std::vector<std::string>& keys,
                 std::vector<std::string>& values);
// Records up to the first line beginning "END" in any case; lines of fewer than five commas are
// not records.
std::vector<IndexRecord> ParseIndex(const std::vector<std::string>& lines);
// Lines of at least five fields, blanks kept; the first line of a key wins.
std::vector<WorkRecord> ParseWork(const std::vector<std::string>& lines);

// The loaders, each replacing its table in Config().
bool LoadTemplateData();
void LoadTextStyleTable();
void LoadColorTable();
enum class IndexLoad { kLoaded, kNotFound, kNotOpened };
IndexLoad LoadIndexTable();
// "cvtWork.DEF", else "Work.def".
void LoadWorkTable();

// The colour number of a key such as "12,200,7", compared without regard to case; 0 when none.
int LookupNamedValue(std::string_view key);
// The font number of the first key that begins the font name, without regard to case; 0 when none
// or for an empty name.
int LookupPrefixValue(std::string_view fontName);
// The fifth and sixth texts of the first record of exactly this code; both emptied first.
bool LookupIndexRecord(std::string_view code, std::string& fifth, std::string& sixth);
// The entity's feature code, and the sixth text of the first record of exactly that code.
bool LookupIndexRecordOfEntity(const ads_name entity, std::string& code, std::string& sixth);
// The second field, as a number, of the first template whose name (up to a "|") equals the text
// without regard to case. A template without a name ends the search.
bool FindTemplateNumber(std::string_view text, int& number);

// The value of a key in two parallel lists: the first key equal to the given one gives its value,
// one equal to its negation the negated value; 0 when none.
int LookupSignedValue(const std::vector<int>& keys, const std::vector<int>& values, int key);

}  // namespace gisexchange
