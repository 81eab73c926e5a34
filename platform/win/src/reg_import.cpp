// Import and dump of whole .reg texts, for the registry tool and for tests.
#include "hive_store.h"
#include "platform/win/reg_store.h"
#include "reg_file.h"

namespace platform::win {

namespace {

bool Import(std::string_view text, std::string* error) {
    std::vector<RegTextKey> keys;
    if (!ParseRegText(text, keys, error)) return false;
    std::lock_guard lock(RegistryMutex());
    for (Hive hive : {Hive::ClassesRoot, Hive::CurrentUser, Hive::LocalMachine}) {
        bool touched = false;
        for (const auto& key : keys) touched = touched || key.hive == hive;
        if (!touched) continue;
        const LONG result = ChangeHive(hive, [&](RegKey& root) {
            for (const auto& key : keys) {
                if (key.hive != hive) continue;
                RegKey* at = &root;
                for (const auto& name : key.path) at = &at->Ensure(name);
                for (const auto& value : key.values) at->SetValue(value.name, value.type, value.data);
            }
            return ERROR_SUCCESS;
        });
        if (result != ERROR_SUCCESS) {
            if (error) *error = std::string("cannot write ") + HiveName(hive) + " (error " + std::to_string(result) + ")";
            return false;
        }
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
