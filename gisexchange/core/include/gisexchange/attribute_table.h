// The records of a MapGIS table file, held column by column, so that the import can attach the
// record of an imported entity to it as extended entity data. The first column is the key column:
// a row is found by its value there.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/cad/resbuf.h"

namespace gisexchange {

struct AttributeColumn {
    std::string name;                 // the MapGIS field name
    std::string application = "WWWW";  // where its values go on an entity, until arranged
    int kind = 0;                     // 0 text, 1 16-bit, 2 32-bit integer, 4 date
    std::vector<std::string> values;  // one a row
};

class AttributeTable {
public:
    explicit AttributeTable(std::string name = {}) : name_(std::move(name)) {}

    const std::string& Name() const { return name_; }
    const std::vector<AttributeColumn>& Columns() const { return columns_; }
    int RowCount() const { return rows_; }

    // A column without values.
    void AddColumn(std::string name, int kind);
    // An empty value in every column; a table without columns gets no row.
    void AddRow();
    // Ignored for a row or column the table lacks. Dates ("y-m-d") are kept as eight digits
    // (EightDigitDate); a date of another form leaves the value as it was.
    void SetValue(int row, int column, std::string_view text);
    // Rebuilds the columns in the order of the field names: a listed column that exists keeps its
    // values and goes under the application "<prefix>_<suffix>"; a missing one is made empty under
    // "<prefix>_<field name>". The prefix is the table's name after its first "_". Columns not
    // listed are dropped.
    void ArrangeColumns(const std::vector<std::string>& fieldNames, const std::vector<std::string>& suffixes,
                        const std::vector<int>& kinds);
    // Appends, for every row of the key in row order, each column's value to the entity's data
    // under the column's application. Nothing for a table of fewer than two columns or a name
    // that names no object.
    void WriteRowAsXData(const ads_name entity, const std::string& key) const;

private:
    // The rows of a key, in row order, from an index of the key column made on first use after a
    // change.
    const std::vector<int>* RowsOfKey(const std::string& key) const;
    void Changed() { keyRows_.reset(); }

    std::string name_;
    std::vector<AttributeColumn> columns_;
    int rows_ = 0;
    mutable std::optional<std::unordered_map<std::string, std::vector<int>>> keyRows_;
};

}  // namespace gisexchange
