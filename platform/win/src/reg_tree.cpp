#include "reg_tree.h"

#include <algorithm>
#include <utility>

#include "fold_case.h"

namespace platform::win {

RegKey::~RegKey() {
    // Taken apart level by level: destroying a deep tree recursively could exhaust the stack.
    std::vector<std::unique_ptr<RegKey>> pending;
    for (auto& [folded, key] : subkeys_) pending.push_back(std::move(key));
    subkeys_.clear();
    while (!pending.empty()) {
        std::unique_ptr<RegKey> key = std::move(pending.back());
        pending.pop_back();
        for (auto& [folded, sub] : key->subkeys_) pending.push_back(std::move(sub));
        key->subkeys_.clear();
    }
}

RegKey* RegKey::Find(std::u16string_view name) const {
    const auto it = subkeys_.find(FoldCase(name));
    return it == subkeys_.end() ? nullptr : it->second.get();
}

RegKey& RegKey::Ensure(std::u16string_view name, bool* created) {
    auto& slot = subkeys_[FoldCase(name)];
    if (created) *created = !slot;
    if (!slot) slot = std::make_unique<RegKey>(std::u16string(name));
    return *slot;
}

bool RegKey::Remove(std::u16string_view name) { return subkeys_.erase(FoldCase(name)) > 0; }

const RegValue* RegKey::FindValue(std::u16string_view name) const {
    const auto it = valueIndex_.find(FoldCase(name));
    return it == valueIndex_.end() ? nullptr : &values_[it->second];
}

void RegKey::SetValue(std::u16string_view name, DWORD type, std::vector<BYTE> data) {
    const auto [it, added] = valueIndex_.try_emplace(FoldCase(name), values_.size());
    if (added) {
        values_.push_back({std::u16string(name), type, std::move(data)});
        return;
    }
    RegValue& value = values_[it->second];
    value.type = type;
    value.data = std::move(data);
}

bool RegKey::RemoveValue(std::u16string_view name) {
    const auto it = valueIndex_.find(FoldCase(name));
    if (it == valueIndex_.end()) return false;
    const std::size_t place = it->second;
    valueIndex_.erase(it);
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(place));
    for (auto& [folded, index] : valueIndex_) {
        if (index > place) --index;
    }
    return true;
}

void RegKey::Merge(const RegKey& source) {
    for (const auto& value : source.values_) SetValue(value.name, value.type, value.data);
    for (const auto& [folded, key] : source.subkeys_) Ensure(key->name_).Merge(*key);
}

std::unique_ptr<RegKey> RegKey::Clone() const {
    auto copy = std::make_unique<RegKey>(name_);
    copy->values_ = values_;
    copy->valueIndex_ = valueIndex_;
    for (const auto& [folded, key] : subkeys_) copy->subkeys_.emplace(folded, key->Clone());
    return copy;
}

std::size_t RegKey::Height() const {
    std::size_t height = 0;
    std::vector<std::pair<const RegKey*, std::size_t>> pending{{this, 0}};
    while (!pending.empty()) {
        const auto [key, depth] = pending.back();
        pending.pop_back();
        height = std::max(height, depth);
        for (const auto& [folded, sub] : key->subkeys_) pending.emplace_back(sub.get(), depth + 1);
    }
    return height;
}

bool IsStorableName(std::u16string_view name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c == u'\r' || c == u'\n') return false;
        if (c >= 0xD800 && c < 0xDC00) {
            if (i + 1 >= name.size() || name[i + 1] < 0xDC00 || name[i + 1] >= 0xE000) return false;
            ++i;
        } else if (c >= 0xDC00 && c < 0xE000) {
            return false;
        }
    }
    return true;
}

LONG SplitKeyPath(std::u16string_view path, std::vector<std::u16string>& names) {
    names.clear();
    if (path.empty()) return ERROR_SUCCESS;
    if (path.front() == u'\\') return ERROR_BAD_PATHNAME;
    if (path.back() == u'\\') path.remove_suffix(1);
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t end = path.find(u'\\', pos);
        if (end == std::u16string_view::npos) end = path.size();
        const auto name = path.substr(pos, end - pos);
        if (name.empty()) return ERROR_BAD_PATHNAME;
        if (name.size() > kMaxKeyNameLength || !IsStorableName(name)) return ERROR_INVALID_PARAMETER;
        names.emplace_back(name);
        pos = end + 1;
    }
    return ERROR_SUCCESS;
}

}  // namespace platform::win
