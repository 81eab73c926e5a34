#include "registry_core.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>

#include "hive_store.h"
#include "platform/text/encoding.h"
#include "platform/win/fault_injection.h"

namespace platform::win::registry {
namespace {

// An open key is its hive and path, not a pointer into the tree: the tree is rebuilt whenever
// another process changes the hive file.
struct OpenedKey {
    Hive hive;
    std::vector<std::u16string> path;
    REGSAM access;
};

std::map<std::uintptr_t, OpenedKey> openKeys;
std::uintptr_t nextHandle = 0x2000;

std::optional<OpenedKey> Predefined(HKEY key) {
    if (key == HKEY_CLASSES_ROOT) return OpenedKey{Hive::ClassesRoot, {}, KEY_ALL_ACCESS};
    if (key == HKEY_CURRENT_USER) return OpenedKey{Hive::CurrentUser, {}, KEY_ALL_ACCESS};
    if (key == HKEY_LOCAL_MACHINE) return OpenedKey{Hive::LocalMachine, {}, KEY_ALL_ACCESS};
    return std::nullopt;
}

// Needs the registry mutex.
std::optional<OpenedKey> Resolve(HKEY key) {
    if (auto predefined = Predefined(key)) return predefined;
    const auto it = openKeys.find(reinterpret_cast<std::uintptr_t>(key));
    if (it == openKeys.end()) return std::nullopt;
    return it->second;
}

HKEY NewHandle(OpenedKey opened) {
    const std::uintptr_t id = nextHandle;
    nextHandle += 4;
    openKeys.emplace(id, std::move(opened));
    return reinterpret_cast<HKEY>(id);
}

RegKey* Walk(RegKey* key, const std::vector<std::u16string>& path) {
    for (const auto& name : path) {
        if (!key) return nullptr;
        key = key->Find(name);
    }
    return key;
}

std::u16string FullName(Hive hive, const std::vector<std::u16string>& path) {
    std::u16string out = text::Utf8ToUtf16(HiveName(hive));
    for (const auto& name : path) out += u"\\" + name;
    return out;
}

// The open key's tree node, or an error: the hive cannot be read, or the key was deleted since it
// was opened.
RegKey* Locate(const OpenedKey& opened, LONG* error) {
    RegKey* root = ReadHive(opened.hive, error);
    if (!root) return nullptr;
    RegKey* key = Walk(root, opened.path);
    if (!key) *error = ERROR_KEY_DELETED;
    return key;
}

// Looks the key up and checks the access the operation needs.
RegKey* Begin(HKEY handle, REGSAM needed, OpenedKey* opened, LONG* error) {
    const auto found = Resolve(handle);
    if (!found) {
        *error = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    *opened = *found;
    if ((opened->access & needed) != needed) {
        *error = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    return Locate(*opened, error);
}

}  // namespace

LONG OpenKey(HKEY key, std::u16string_view subKey, REGSAM access, PHKEY result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    std::vector<std::u16string> names;
    if (const LONG error = SplitKeyPath(subKey, names)) return error;
    std::lock_guard lock(RegistryMutex());
    const auto parent = Resolve(key);
    if (!parent) return ERROR_INVALID_HANDLE;
    LONG error;
    RegKey* node = Locate(*parent, &error);
    if (!node) return error;
    OpenedKey opened{parent->hive, parent->path, access};
    for (const auto& name : names) {
        node = node->Find(name);
        if (!node) return ERROR_FILE_NOT_FOUND;
        opened.path.push_back(node->name());
    }
    if (const DWORD fault = CheckFault(FaultKind::RegistryOpen, FullName(opened.hive, opened.path))) {
        return static_cast<LONG>(fault);
    }
    *result = NewHandle(std::move(opened));
    return ERROR_SUCCESS;
}

LONG CreateKey(HKEY key, std::u16string_view subKey, REGSAM access, PHKEY result, LPDWORD disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    std::vector<std::u16string> names;
    if (const LONG error = SplitKeyPath(subKey, names)) return error;
    std::lock_guard lock(RegistryMutex());
    const auto parent = Resolve(key);
    if (!parent) return ERROR_INVALID_HANDLE;
    LONG error;
    RegKey* node = Locate(*parent, &error);
    if (!node) return error;

    OpenedKey opened{parent->hive, parent->path, access};
    std::size_t existing = 0;
    for (; existing < names.size(); ++existing) {
        RegKey* next = node->Find(names[existing]);
        if (!next) break;
        node = next;
        opened.path.push_back(node->name());
    }
    for (std::size_t i = existing; i < names.size(); ++i) opened.path.push_back(names[i]);
    // Windows refuses a key deeper than its limit; the stand-in's trees stay shallow enough to walk.
    if (opened.path.size() > kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
    if (const DWORD fault = CheckFault(FaultKind::RegistryCreate, FullName(opened.hive, opened.path))) {
        return static_cast<LONG>(fault);
    }
    const bool creates = existing < names.size();
    if (creates) {
        if (!(parent->access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
        const std::vector<std::u16string> base = parent->path;
        error = ChangeHive(opened.hive, [&](RegKey& root) {
            RegKey* at = Walk(&root, base);
            if (!at) return ERROR_KEY_DELETED;
            for (const auto& name : names) at = &at->Ensure(name);
            return ERROR_SUCCESS;
        });
        if (error != ERROR_SUCCESS) return error;
    }
    if (disposition) *disposition = creates ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(std::move(opened));
    return ERROR_SUCCESS;
}

LONG CloseKey(HKEY key) {
    if (Predefined(key)) return ERROR_SUCCESS;
    std::lock_guard lock(RegistryMutex());
    return openKeys.erase(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG QueryValue(HKEY key, std::u16string_view name, DWORD* type, std::vector<BYTE>* data) {
    std::lock_guard lock(RegistryMutex());
    OpenedKey opened;
    LONG error;
    const RegKey* node = Begin(key, KEY_QUERY_VALUE, &opened, &error);
    if (!node) return error;
    const RegValue* value = node->FindValue(name);
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (type) *type = value->type;
    if (data) *data = value->data;
    return ERROR_SUCCESS;
}

LONG SetValue(HKEY key, std::u16string_view name, DWORD type, std::vector<BYTE> data) {
    if (!IsStorableName(name)) return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(RegistryMutex());
    OpenedKey opened;
    LONG error;
    if (!Begin(key, KEY_SET_VALUE, &opened, &error)) return error;
    if (const DWORD fault = CheckFault(FaultKind::RegistryWrite, FullName(opened.hive, opened.path))) {
        return static_cast<LONG>(fault);
    }
    const auto& path = opened.path;
    return ChangeHive(opened.hive, [&](RegKey& root) {
        RegKey* node = Walk(&root, path);
        if (!node) return ERROR_KEY_DELETED;
        node->SetValue(name, type, std::move(data));
        return ERROR_SUCCESS;
    });
}

LONG DeleteValue(HKEY key, std::u16string_view name) {
    std::lock_guard lock(RegistryMutex());
    OpenedKey opened;
    LONG error;
    const RegKey* current = Begin(key, KEY_SET_VALUE, &opened, &error);
    if (!current) return error;
    if (!current->FindValue(name)) return ERROR_FILE_NOT_FOUND;
    if (const DWORD fault = CheckFault(FaultKind::RegistryWrite, FullName(opened.hive, opened.path))) {
        return static_cast<LONG>(fault);
    }
    const auto& path = opened.path;
    return ChangeHive(opened.hive, [&](RegKey& root) {
        RegKey* node = Walk(&root, path);
        if (!node) return ERROR_KEY_DELETED;
        return node->RemoveValue(name) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG EnumKey(HKEY key, DWORD index, std::u16string* name, FILETIME* lastWrite) {
    std::lock_guard lock(RegistryMutex());
    OpenedKey opened;
    LONG error;
    const RegKey* node = Begin(key, KEY_ENUMERATE_SUB_KEYS, &opened, &error);
    if (!node) return error;
    if (index >= node->subkeys().size()) return ERROR_NO_MORE_ITEMS;
    auto it = node->subkeys().begin();
    std::advance(it, index);
    *name = it->second->name();
    if (lastWrite) *lastWrite = HiveWriteTime(opened.hive);
    return ERROR_SUCCESS;
}

LONG EnumValue(HKEY key, DWORD index, RegValue* value) {
    std::lock_guard lock(RegistryMutex());
    OpenedKey opened;
    LONG error;
    const RegKey* node = Begin(key, KEY_QUERY_VALUE, &opened, &error);
    if (!node) return error;
    if (index >= node->values().size()) return ERROR_NO_MORE_ITEMS;
    *value = node->values()[index];
    return ERROR_SUCCESS;
}

void DeliverKeyInfo(const KeyInfo& info, DWORD (*nameLength)(const std::u16string&), LPDWORD classLength,
                    LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values,
                    LPDWORD maxValueNameLength, LPDWORD maxValueLength, LPDWORD securityDescriptor,
                    PFILETIME lastWrite) {
    DWORD longestKey = 0, longestValue = 0;
    for (const auto& subkey : info.subkeys) longestKey = std::max(longestKey, nameLength(subkey));
    for (const auto& value : info.valueNames) longestValue = std::max(longestValue, nameLength(value));
    if (classLength) *classLength = 0;
    if (subKeys) *subKeys = static_cast<DWORD>(info.subkeys.size());
    if (maxSubKeyLength) *maxSubKeyLength = longestKey;
    if (maxClassLength) *maxClassLength = 0;
    if (values) *values = static_cast<DWORD>(info.valueNames.size());
    if (maxValueNameLength) *maxValueNameLength = longestValue;
    // The UTF-16 size bounds the GBK size of any string, as Windows reports it for A callers.
    if (maxValueLength) *maxValueLength = info.maxValueSize;
    if (securityDescriptor) *securityDescriptor = 0;
    if (lastWrite) *lastWrite = info.lastWrite;
}

LONG QueryInfo(HKEY key, KeyInfo* info) {
    std::lock_guard lock(RegistryMutex());
    OpenedKey opened;
    LONG error;
    const RegKey* node = Begin(key, KEY_QUERY_VALUE, &opened, &error);
    if (!node) return error;
    for (const auto& [folded, sub] : node->subkeys()) info->subkeys.push_back(sub->name());
    for (const auto& value : node->values()) {
        info->valueNames.push_back(value.name);
        info->maxValueSize = std::max(info->maxValueSize, static_cast<DWORD>(value.data.size()));
    }
    info->lastWrite = HiveWriteTime(opened.hive);
    return ERROR_SUCCESS;
}

LONG DeleteKey(HKEY key, std::u16string_view subKey) {
    // An empty name would delete the open key itself; callers that build the name from data
    // they read must not be able to remove a whole branch by accident.
    if (subKey.empty()) return ERROR_INVALID_PARAMETER;
    std::vector<std::u16string> names;
    if (const LONG error = SplitKeyPath(subKey, names)) return error;
    std::lock_guard lock(RegistryMutex());
    const auto parent = Resolve(key);
    if (!parent) return ERROR_INVALID_HANDLE;
    LONG error;
    RegKey* node = Locate(*parent, &error);
    if (!node) return error;
    std::vector<std::u16string> path = parent->path;
    for (const auto& name : names) {
        node = node->Find(name);
        if (!node) return ERROR_FILE_NOT_FOUND;
        path.push_back(node->name());
    }
    if (!node->subkeys().empty()) return ERROR_ACCESS_DENIED;
    if (const DWORD fault = CheckFault(FaultKind::RegistryDelete, FullName(parent->hive, path))) {
        return static_cast<LONG>(fault);
    }
    const std::u16string last = path.back();
    path.pop_back();
    return ChangeHive(parent->hive, [&](RegKey& root) {
        RegKey* at = Walk(&root, path);
        return at && at->Remove(last) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG CopyTree(HKEY key, std::u16string_view subKey, HKEY destination) {
    std::vector<std::u16string> names;
    if (const LONG error = SplitKeyPath(subKey, names)) return error;
    std::lock_guard lock(RegistryMutex());
    OpenedKey source;
    LONG error;
    RegKey* node = Begin(key, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &source, &error);
    if (!node) return error;
    node = Walk(node, names);
    if (!node) return ERROR_FILE_NOT_FOUND;
    // Copy first, then merge: the destination may lie inside the source.
    const std::unique_ptr<RegKey> copy = node->Clone();
    OpenedKey target;
    if (!Begin(destination, KEY_CREATE_SUB_KEY | KEY_SET_VALUE, &target, &error)) return error;
    if (target.path.size() + copy->Height() > kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
    if (const DWORD fault = CheckFault(FaultKind::RegistryWrite, FullName(target.hive, target.path))) {
        return static_cast<LONG>(fault);
    }
    const auto& path = target.path;
    return ChangeHive(target.hive, [&](RegKey& root) {
        RegKey* at = Walk(&root, path);
        if (!at) return ERROR_KEY_DELETED;
        at->Merge(*copy);
        return ERROR_SUCCESS;
    });
}

}  // namespace platform::win::registry
