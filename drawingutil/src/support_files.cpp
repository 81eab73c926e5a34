#include "drawingutil/support_files.h"

#include "platform/cad/file_search.h"
#include "platform/cad/resbuf.h"
#include "platform/win/file_handles.h"
#include "platform/win/files.h"

namespace drawingutil {
namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace

SupportFileRead ReadSupportFile(const char* bareName, std::string& content)
{
    content.clear();
    char found[260] = {};
    if (acedFindFile(bareName, found, sizeof found) != RTNORM)
        return SupportFileRead::kNotFound;
    const FileHandle file(CreateFileA(found, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return SupportFileRead::kNotOpened;
    // The bytes as they stand, so that the line ends reach the caller as the file has them.
    char chunk[4096];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) {
            content.clear();
            return SupportFileRead::kNotOpened;
        }
        if (got == 0)
            return SupportFileRead::kRead;
        content.append(chunk, got);
    }
}

}  // namespace drawingutil
