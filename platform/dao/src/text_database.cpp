// The readable text form of a database (see README.md): sections of tab-separated rows under a
// typed field line, read whole at open so that a fault anywhere in the file refuses the database.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>

#include "engine.h"
#include "platform/text/encoding.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"

namespace platform::dao {
namespace {

enum class FieldType { I2, I4, R4, R8, Text };

bool IsUtf8(std::string_view bytes)
{
    return text::Utf16ToUtf8(text::Utf8ToUtf16(bytes)) == bytes;
}

struct TextTable {
    std::shared_ptr<Table> table;
    std::vector<FieldType> types;
};

class TextDatabase : public Database {
public:
    std::shared_ptr<const Table> ReadTable(const std::string& name) override
    {
        for (const auto& t : tables_)
            if (text::GbkEqualNoCase(t->name, name))
                return t;
        ThrowTableNotFound(name);
    }

    std::vector<std::shared_ptr<Table>> tables_;
};

class Parser {
public:
    Parser(std::string_view utf8, const std::string& path) : utf8_(utf8), path_(path) {}

    std::shared_ptr<TextDatabase> Parse()
    {
        auto db = std::make_shared<TextDatabase>();
        if (utf8_.substr(0, 3) == "\xEF\xBB\xBF")
            utf8_.remove_prefix(3);
        std::vector<FieldType> types;
        bool wantFields = false;
        while (NextLine()) {
            // A byte that is not UTF-8 would reach the program as '?', so the text read would not
            // be the text written.
            if (!IsUtf8(line_))
                Fail("the line is not UTF-8 text");
            if (line_.empty() || line_[0] == '#')
                continue;
            if (line_[0] == '[') {
                if (wantFields)
                    Fail("the table before has no field line");
                if (line_.size() < 3 || line_.back() != ']')
                    Fail("a table name is written [name]");
                std::string name = text::Utf8ToGbk(line_.substr(1, line_.size() - 2));
                for (const auto& t : db->tables_)
                    if (text::GbkEqualNoCase(t->name, name))
                        Fail("the table " + name + " comes twice");
                auto table = std::make_shared<Table>();
                table->name = name;
                db->tables_.push_back(table);
                wantFields = true;
                continue;
            }
            if (db->tables_.empty())
                Fail("a row before the first table");
            Table& table = *db->tables_.back();
            std::vector<std::string> cells = Split();
            if (wantFields) {
                types.clear();
                for (const auto& cell : cells) {
                    auto colon = cell.rfind(':');
                    if (colon == std::string::npos || colon == 0)
                        Fail("a field is written name:TYPE");
                    types.push_back(TypeOf(cell.substr(colon + 1)));
                    std::string field = cell.substr(0, colon);
                    if (table.FieldIndex(field) >= 0)
                        Fail("the field " + field + " comes twice");
                    table.fields.push_back(field);
                }
                wantFields = false;
                continue;
            }
            if (cells.size() != types.size())
                Fail(text::Format("%d values where the table has %d fields", static_cast<int>(cells.size()),
                                  static_cast<int>(types.size())));
            std::vector<COleVariant> row;
            row.reserve(cells.size());
            for (std::size_t i = 0; i < cells.size(); ++i)
                row.push_back(nulls_[i] ? COleVariant::Null() : Value(types[i], cells[i], table.fields[i]));
            table.rows.push_back(std::move(row));
        }
        if (wantFields)
            Fail("the last table has no field line");
        return db;
    }

private:
    bool NextLine()
    {
        if (pos_ >= utf8_.size())
            return false;
        auto end = utf8_.find('\n', pos_);
        if (end == std::string_view::npos)
            end = utf8_.size();
        line_ = utf8_.substr(pos_, end - pos_);
        if (!line_.empty() && line_.back() == '\r')
            line_.remove_suffix(1);
        pos_ = end + 1;
        ++lineNumber_;
        return true;
    }

    // The line's cells, converted to GBK; a cell that is exactly \N comes back as the null marker.
    std::vector<std::string> Split()
    {
        std::vector<std::string> cells;
        std::string cell;
        bool escaped = false;
        nulls_.clear();
        auto finish = [&](std::size_t start, std::size_t end) {
            nulls_.push_back(line_.substr(start, end - start) == "\\N");
            cells.push_back(text::Utf8ToGbk(cell));
            cell.clear();
        };
        std::size_t start = 0;
        for (std::size_t i = 0; i < line_.size(); ++i) {
            char c = line_[i];
            if (escaped) {
                switch (c) {
                case 't': cell += '\t'; break;
                case 'n': cell += '\n'; break;
                case 'r': cell += '\r'; break;
                case '\\': cell += '\\'; break;
                case '#': cell += '#'; break;
                case '[': cell += '['; break;
                case 'N':
                    // \N is a null value and stands alone in its cell, never inside a text.
                    if (i - 1 != start || (i + 1 < line_.size() && line_[i + 1] != '\t'))
                        Fail("\\N inside a value (a null is \\N alone)");
                    break;
                default: Fail(text::Format("unknown escape \\%c", c));
                }
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '\t') {
                finish(start, i);
                start = i + 1;
            } else {
                cell += c;
            }
        }
        if (escaped)
            Fail("a line ends in a lone backslash");
        finish(start, line_.size());
        return cells;
    }

    FieldType TypeOf(const std::string& name)
    {
        static const std::map<std::string, FieldType> types = {
            {"I2", FieldType::I2}, {"I4", FieldType::I4}, {"R4", FieldType::R4},
            {"R8", FieldType::R8}, {"TEXT", FieldType::Text}};
        auto it = types.find(name);
        if (it == types.end())
            Fail("unknown field type " + name + " (I2, I4, R4, R8 or TEXT)");
        return it->second;
    }

    COleVariant Value(FieldType type, const std::string& cell, const std::string& field)
    {
        if (type == FieldType::Text)
            return COleVariant::Text(cell);
        if (cell.empty())
            return COleVariant::Null();
        const char* first = cell.data();
        const char* last = cell.data() + cell.size();
        if (type == FieldType::I2 || type == FieldType::I4) {
            long long v = 0;
            auto [end, ec] = std::from_chars(first, last, v);
            long long low = type == FieldType::I2 ? -32768 : -2147483648LL;
            long long high = type == FieldType::I2 ? 32767 : 2147483647LL;
            if (ec != std::errc() || end != last || v < low || v > high)
                Fail("the value " + cell + " of " + field + " is not a whole number of its size");
            if (type == FieldType::I2)
                return COleVariant(static_cast<SHORT>(v));
            return COleVariant(static_cast<LONG>(v));
        }
        char* end = nullptr;
        errno = 0;
        double v = type == FieldType::R4 ? std::strtof(cell.c_str(), &end) : std::strtod(cell.c_str(), &end);
        if (end != cell.c_str() + cell.size() || errno == ERANGE || !std::isfinite(v) ||
            std::isspace(static_cast<unsigned char>(cell[0])))
            Fail("the value " + cell + " of " + field + " is not a number of its size");
        if (type == FieldType::R4)
            return COleVariant(static_cast<float>(v));
        return COleVariant(v);
    }

    [[noreturn]] void Fail(const std::string& why)
    {
        ThrowUnrecognized(path_, text::Format("Line %d: %s.", lineNumber_, why));
    }

    std::string_view utf8_;
    std::string path_;
    std::size_t pos_ = 0;
    std::string_view line_;
    int lineNumber_ = 0;
    std::vector<bool> nulls_;  // per cell of the last split line: written \N
};

}  // namespace

std::shared_ptr<Database> OpenTextDatabase(std::string_view utf8, const std::string& windowsPath)
{
    return Parser(utf8, windowsPath).Parse();
}

}  // namespace platform::dao
