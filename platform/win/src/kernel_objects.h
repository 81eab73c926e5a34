// Handles of kernel objects other than files (processes, snapshots, tokens): one table, numbers
// apart from the file handles', closed by CloseHandle like every handle.
#pragma once

#include <memory>

#include "platform/win/win_types.h"

namespace platform::win {

struct KernelObject {
    virtual ~KernelObject() = default;
    DWORD access = 0;  // the rights the handle was opened with
};

HANDLE AddKernelObject(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> FindKernelObject(HANDLE handle);
// False when the handle names no kernel object.
bool CloseKernelObject(HANDLE handle);

template <typename T>
std::shared_ptr<T> FindKernelObjectAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(FindKernelObject(handle));
}

}  // namespace platform::win
