#include "gisexchange/attribute_table.h"

#include <cstddef>
#include <optional>
#include <utility>

#include "drawingutil/entity_xdata.h"
#include "gisexchange/date_text.h"
#include "platform/cad/ads_entity.h"
#include "platform/text/gbk.h"

namespace gisexchange {
namespace {

constexpr int kDateKind = 4;

template <typename T>
T At(const std::vector<T>& list, std::size_t i, T otherwise) {
    return i < list.size() ? list[i] : otherwise;
}

}  // namespace

void AttributeTable::AddColumn(std::string name, int kind) {
    AttributeColumn column;
    column.name = std::move(name);
    column.kind = kind;
    columns_.push_back(std::move(column));
    Changed();
}

void AttributeTable::AddRow() {
    if (columns_.empty())
        return;
    for (AttributeColumn& column : columns_)
        column.values.emplace_back();
    ++rows_;
    Changed();
}

void AttributeTable::SetValue(int row, int column, std::string_view text) {
    if (row < 0 || column < 0 || static_cast<std::size_t>(column) >= columns_.size())
        return;
    AttributeColumn& c = columns_[static_cast<std::size_t>(column)];
    if (static_cast<std::size_t>(row) >= c.values.size() || c.kind < 0 || c.kind > kDateKind)
        return;
    std::string& value = c.values[static_cast<std::size_t>(row)];
    if (c.kind == kDateKind) {
        std::optional<std::string> date = EightDigitDate(text);
        if (!date)
            return;
        value = std::move(*date);
    } else {
        value.assign(text);
    }
    if (column == 0)
        Changed();
}

void AttributeTable::ArrangeColumns(const std::vector<std::string>& fieldNames, const std::vector<std::string>& suffixes,
                                    const std::vector<int>& kinds) {
    const std::size_t underscore = platform::text::GbkFind(name_, '_');
    const std::string prefix =
        (underscore == std::string::npos ? name_ : name_.substr(underscore + 1)) + "_";
    std::vector<AttributeColumn> arranged;
    arranged.reserve(fieldNames.size());
    for (std::size_t i = 0; i < fieldNames.size(); ++i) {
        const std::string& field = fieldNames[i];
        const AttributeColumn* old = nullptr;
        for (const AttributeColumn& c : columns_)
            if (c.name == field) {
                old = &c;
                break;
            }
        AttributeColumn column;
        if (old != nullptr) {
            column = *old;
            column.application = prefix + At(suffixes, i, std::string());
        } else {
            column.name = field;
            column.kind = At(kinds, i, 0);
            column.application = prefix + field;
            column.values.assign(static_cast<std::size_t>(rows_), std::string());
        }
        arranged.push_back(std::move(column));
    }
    columns_ = std::move(arranged);
    Changed();
}

const std::vector<int>* AttributeTable::RowsOfKey(const std::string& key) const {
    if (!keyRows_) {
        keyRows_.emplace();
        const std::vector<std::string>& keys = columns_.front().values;
        for (std::size_t row = 0; row < keys.size(); ++row)
            (*keyRows_)[keys[row]].push_back(static_cast<int>(row));
    }
    auto it = keyRows_->find(key);
    return it == keyRows_->end() ? nullptr : &it->second;
}

void AttributeTable::WriteRowAsXData(const ads_name entity, const std::string& key) const {
    if (columns_.size() < 2 || entity == nullptr)
        return;
    AcDbObjectId id;
    if (acdbGetObjectId(id, entity) != Acad::eOk || id.isNull())
        return;
    const std::vector<int>* rows = RowsOfKey(key);
    if (rows == nullptr)
        return;
    for (int row : *rows) {
        for (const AttributeColumn& column : columns_) {
            // A column added after the rows has no value for them.
            if (column.kind < 0 || column.kind > kDateKind || static_cast<std::size_t>(row) >= column.values.size())
                continue;
            WriteEntityXData(id, column.application.c_str(), column.values[static_cast<std::size_t>(row)].c_str(),
                             column.kind, -1, false, true, false);
        }
    }
}

}  // namespace gisexchange
