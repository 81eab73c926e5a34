// The cached hives of this process and their files. Another process may change a hive file at
// any time (it replaces it by rename); every access compares the file with the cached copy and
// reloads it when it differs. Changes are made under a lock file, on a freshly checked copy, and
// written back at once, so two processes never lose each other's changes.
#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "platform/win/reg_store.h"
#include "reg_tree.h"

namespace platform::win {

// Held by every registry call for its whole duration.
std::mutex& RegistryMutex();

// The hive as it is on disk now, or nullptr with *error set (ERROR_BADDB for a file that does not
// parse: it is then left alone, never overwritten). Needs RegistryMutex.
RegKey* ReadHive(Hive hive, LONG* error);

// Runs change on the current hive and, when it returns ERROR_SUCCESS, writes the hive file.
// A failed write (ERROR_CANTWRITE) leaves the file as it was and the cache is reloaded from it.
// Needs RegistryMutex.
LONG ChangeHive(Hive hive, const std::function<LONG(RegKey& root)>& change);

// As ChangeHive for several hives at once: all are locked and loaded first, and no file is
// written unless every hive loads and changes and every new file could be written out. On an
// error *failed names the hive it came from. Needs RegistryMutex.
LONG ChangeHives(const std::vector<Hive>& hives, const std::function<LONG(Hive hive, RegKey& root)>& change,
                 Hive* failed);

// The hive file's last write time, for RegQueryInfoKey and RegEnumKeyEx.
FILETIME HiveWriteTime(Hive hive);

}  // namespace platform::win
