#include <fstream>
#include <string>
#include <vector>

#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/text/gbk.h"
#include "platform/win/path_mapping.h"

namespace {
struct LinetypeDefinition {
    std::string name;
    std::string description;
    std::vector<double> dashes;
};

std::string Trim(const std::string& text)
{
    std::size_t a = text.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return {};
    std::size_t b = text.find_last_not_of(" \t\r\n");
    return text.substr(a, b - a + 1);
}

// "A,.5,-.25,[...],0": the numbers; bracketed shape and text elements are left out.
std::vector<double> ParsePattern(const std::string& line)
{
    std::vector<double> dashes;
    std::string body = line.size() > 2 ? line.substr(2) : std::string();
    std::string item;
    int depth = 0;
    auto flush = [&] {
        std::string t = Trim(item);
        item.clear();
        if (t.empty())
            return;
        try {
            std::size_t used = 0;
            double v = std::stod(t, &used);
            if (used == t.size())
                dashes.push_back(v);
        } catch (...) {
            // Not a number: an element the stand-in does not draw.
        }
    };
    for (char c : body) {
        if (c == '[')
            ++depth;
        else if (c == ']')
            depth = depth > 0 ? depth - 1 : 0;
        else if (c == ',' && depth == 0)
            flush();
        else if (depth == 0)
            item += c;
    }
    flush();
    return dashes;
}

bool ReadDefinitions(const char* fileName, std::vector<LinetypeDefinition>& out)
{
    // The file search answers in Windows form ("C:\\support\\acad.lin"), so names go through the
    // machine's path mapping like every other file the host opens.
    const std::string path = platform::win::MapToLinux(std::string_view(fileName));
    if (path.empty())
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    LinetypeDefinition* current = nullptr;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '*') {
            std::size_t comma = platform::text::GbkFind(line, ',');
            LinetypeDefinition def;
            def.name = Trim(line.substr(1, comma == std::string::npos ? std::string::npos : comma - 1));
            if (comma != std::string::npos)
                def.description = Trim(line.substr(comma + 1));
            out.push_back(def);
            current = &out.back();
        } else if (current != nullptr && (line[0] == 'A' || line[0] == 'a') && line.size() > 1 && line[1] == ',') {
            current->dashes = ParsePattern(line);
            current = nullptr;
        }
    }
    return true;
}
}  // namespace

Acad::ErrorStatus AcDbDatabase::loadLineTypeFile(const char* name, const char* fileName)
{
    if (name == nullptr || *name == '\0' || fileName == nullptr)
        return Acad::eInvalidInput;
    std::vector<LinetypeDefinition> defs;
    if (!ReadDefinitions(fileName, defs))
        return Acad::eFileNotFound;
    bool all = std::string(name) == "*";
    AcDbLinetypeTable* table = nullptr;
    Acad::ErrorStatus es = getLinetypeTable(table, AcDb::kForWrite);
    if (es != Acad::eOk)
        return es;
    es = all ? Acad::eOk : Acad::eKeyNotFound;
    for (const auto& def : defs) {
        if (!all && !platform::text::GbkEqualNoCase(def.name, name))
            continue;
        if (table->has(def.name.c_str())) {
            if (!all)
                es = Acad::eDuplicateRecordName;
            continue;
        }
        auto* record = new AcDbLinetypeTableRecord;
        Acad::ErrorStatus added = record->setName(def.name.c_str());
        record->setComments(def.description.c_str());
        record->setNumDashes(static_cast<int>(std::min<std::size_t>(def.dashes.size(), 12)));
        for (int i = 0; i < record->numDashes(); ++i)
            record->setDashLengthAt(i, def.dashes[static_cast<std::size_t>(i)]);
        if (added == Acad::eOk)
            added = table->add(record);
        if (added == Acad::eOk)
            record->close();
        else
            delete record;
        if (!all)
            es = added;
    }
    table->close();
    return es;
}
