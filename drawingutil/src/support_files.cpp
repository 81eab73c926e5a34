#include "drawingutil/support_files.h"

#include <memory>

#include "platform/cad/file_search.h"
#include "platform/cad/resbuf.h"
#include "platform/win/crt_files.h"

namespace drawingutil {
namespace {

struct CloseFile {
    void operator()(platform::win::FILE* file) const { platform::win::fclose(file); }
};

}  // namespace

SupportFileRead ReadSupportFile(const char* bareName, std::string& content)
{
    content.clear();
    char found[260] = {};
    if (acedFindFile(bareName, found, sizeof found) != RTNORM)
        return SupportFileRead::kNotFound;
    // Binary, so that the line ends reach the caller as they stand in the file.
    const std::unique_ptr<platform::win::FILE, CloseFile> file(platform::win::fopen(found, "rb"));
    if (!file)
        return SupportFileRead::kNotOpened;
    char chunk[4096];
    while (const std::size_t got = platform::win::fread(chunk, 1, sizeof chunk, file.get()))
        content.append(chunk, got);
    if (platform::win::ferror(file.get())) {
        content.clear();
        return SupportFileRead::kNotOpened;
    }
    return SupportFileRead::kRead;
}

}  // namespace drawingutil
