// Import and dump of whole .reg texts, for the registry tool and for tests.
#include <algorithm>

#include "hive_store.h"
#include "platform/win/reg_store.h"
#include "reg_file.h"

namespace platform::win {

namespace {

bool Import(std::string_view text, std::string* error) {
    std::vector<RegTextKey> keys;
    if (!ParseRegText(text, keys, error)) return false;
    std::vector<Hive> hives;
    for (const auto& key : keys) {
        if (std::find(hives.begin(), hives.end(), key.hive) == hives.end()) hives.push_back(key.hive);
    }
    if (hives.empty()) return true;
    std::lock_guard lock(RegistryMutex());
    // All hives or none: a hive that cannot be read or written leaves the others as they were.
    Hive failed = hives.front();
    const LONG result = ChangeHives(hives, [&](Hive hive, RegKey& root) {
        for (const auto& key : keys) {
            if (key.hive != hive) continue;
            RegKey* at = &root;
            for (const auto& name : key.path) at = &at->Ensure(name);
            for (const auto& value : key.values) at->SetValue(value.name, value.type, value.data);
        }
        return ERROR_SUCCESS;
    }, &failed);
    if (result != ERROR_SUCCESS) {
        if (error) *error = std::string("cannot write ") + HiveName(failed) + " (error " + std::to_string(result) + ")";
        return false;
    }
    return true;
}

}  // namespace

bool ImportRegText(std::string_view text, std::string* error) {
    try {
        return Import(text, error);
    } catch (...) {
        if (error) *error = "out of memory";
        return false;
    }
}

std::optional<std::string> DumpHive(Hive hive) try {
    std::lock_guard lock(RegistryMutex());
    LONG error;
    const RegKey* root = ReadHive(hive, &error);
    if (!root) return std::nullopt;
    return FormatHive(hive, *root);
} catch (...) {
    return std::nullopt;
}

}  // namespace platform::win
