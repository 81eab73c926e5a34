// The .reg text form of hives: written by the store, read back by it and by the import.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win/reg_store.h"
#include "reg_tree.h"

namespace platform::win {

// The hive as canonical .reg text (UTF-8): the header, then every key in sorted order, each
// followed by its values in their order. Strings that would not come back byte for byte are
// written as hex, so nothing is lost.
std::string FormatHive(Hive hive, const RegKey& root);

struct RegTextKey {
    Hive hive;
    std::vector<std::u16string> path;
    std::vector<RegValue> values;
};

// Parses .reg text into its keys in file order. On an error returns false with "line N: ..." in
// *error.
bool ParseRegText(std::string_view text, std::vector<RegTextKey>& keys, std::string* error);

}  // namespace platform::win
