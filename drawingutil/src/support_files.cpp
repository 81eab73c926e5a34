#include "drawingutil/support_files.h"

#include <memory>

#include "platform/cad/file_search.h"
#include "platform/cad/resbuf.h"
#include "platform/win/file_handles.h"
#include "platform/win/files.h"

namespace drawingutil {
namespace {

struct CloseFile {
    void operator()(HANDLE file) const { CloseHandle(file); }
};

}  // namespace

SupportFileRead ReadSupportFile(const char* bareName, std::string& content)
{
    content.clear();
    char found[260] = {};
    if (acedFindFile(bareName, found, sizeof found) != RTNORM)
        return SupportFileRead::kNotFound;
    const HANDLE opened = CreateFileA(found, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return SupportFileRead::kNotOpened;
    const std::unique_ptr<void, CloseFile> file(opened);
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
