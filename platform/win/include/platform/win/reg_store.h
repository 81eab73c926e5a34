// The hive files behind the registry calls: one .reg text file per hive, UTF-8, under
// $DERO_ROOT/registry, rewritten whole (temporary file and rename) after every change.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::win {

enum class Hive { ClassesRoot, CurrentUser, LocalMachine };

// "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE".
const char* HiveName(Hive hive);
// The hive of a full name (without case); nullopt for anything else.
std::optional<Hive> HiveFromName(std::string_view name);

// Merges the keys and values of a .reg text (UTF-8, or UTF-16 with its byte-order mark) into the
// registry of the current root. Nothing is changed when the text has an error; then the result
// is false and *error says where and what.
bool ImportRegText(std::string_view text, std::string* error);

// The hive as the .reg text that is stored for it; nullopt when its file cannot be read.
std::optional<std::string> DumpHive(Hive hive);

}  // namespace platform::win
