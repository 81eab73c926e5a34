// Tying the loose structure and floor texts of older drawings to their houses: the command
// CONVERTFWZJ_QZ groups each house with its texts, codes the texts after the house, writes the
// structure code (FWJG) and the floor count, and makes the texts that are missing. Structure words
// translate to codes through the table "Convert_FWZJ.DEF".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"

class AcDbGroup;

namespace cadastral {

// One line of "Convert_FWZJ.DEF": a structure word, its structure code and, when given, the code
// a house with that word takes (empty when the line has none).
struct StructureWord {
    std::string word;
    std::string structureCode;
    std::string houseCode;
};

// The lines of the table (up to its end line, without line ends): comments ("//") and lines of one
// field are left out; fields lose their surrounding blanks.
std::vector<StructureWord> ParseStructureWords(const std::vector<std::string>& lines);

// The structure text for the code (1 and 2 "钢", 3 "砼", 4 "混", 5 "砖") centred at the position,
// 3h high, coded, on "JMD" and in the group when one is given. The null id for any other code.
AcDbObjectId CreateStructureText(const char* structureCode, const AcGePoint3d& position, double h, const char* code,
                                 AcDbGroup* group);

// Erases a curve whose end parameter is below 3: a polyline of fewer than three segments, a line
// shorter than 3. True when it erased it.
bool EraseDegenerateCurve(AcDbObjectId id);

// True when every character is a decimal digit.
bool IsAllDigits(std::string_view text);

// The command handler.
void CONVERTFWZJ_QZ();

}  // namespace cadastral
