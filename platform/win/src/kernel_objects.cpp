#include "kernel_objects.h"

#include <cstdint>
#include <map>
#include <mutex>

namespace platform::win {
namespace {

std::mutex objectMutex;
std::map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
// Far from the file handles' numbers, so that one kind is never taken for the other.
std::uintptr_t nextObject = 0x7F000000;

}  // namespace

HANDLE AddKernelObject(std::shared_ptr<KernelObject> object) {
    std::lock_guard lock(objectMutex);
    const std::uintptr_t id = nextObject;
    nextObject += 4;
    objects.emplace(id, std::move(object));
    return reinterpret_cast<HANDLE>(id);
}

std::shared_ptr<KernelObject> FindKernelObject(HANDLE handle) {
    std::lock_guard lock(objectMutex);
    const auto it = objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == objects.end() ? nullptr : it->second;
}

bool CloseKernelObject(HANDLE handle) {
    std::shared_ptr<KernelObject> object;  // destroyed outside the lock
    std::lock_guard lock(objectMutex);
    const auto it = objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == objects.end())
        return false;
    object = std::move(it->second);
    objects.erase(it);
    return true;
}

}  // namespace platform::win
