// The open files behind both the Win32 handles and the C runtime's files: one table, so that share
// modes hold between the two, and one place where the fault table is asked.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/win/win_types.h"

namespace platform::win {

struct OpenFile {
    OpenFile() = default;
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    // Closes a file that was never closed (an open given up half way).
    ~OpenFile();

    int fd = -1;
    std::u16string windowsPath;  // as the fault table sees it
    bool canRead = false;
    bool canWrite = false;
    DWORD share = 0;
    // Which file it is, asked of the open file only once a share check needs it.
    bool identified = false;
    dev_t device = 0;
    ino_t inode = 0;
};
using OpenFilePtr = std::shared_ptr<OpenFile>;

struct OpenRequest {
    bool read = false;
    bool write = false;
    DWORD share = 0;
    DWORD disposition = 0;  // CREATE_NEW ... TRUNCATE_EXISTING
    bool readOnly = false;  // for a file that is created
};

// The open file, or null with *error set. *existed says whether the file was there before.
OpenFilePtr OpenFileCore(std::u16string_view windowsPath, const OpenRequest& request, LONG* error, bool* existed);

// Each returns ERROR_SUCCESS or a Win32 error. A read stops short only at the end of the file; a
// write writes everything or fails, with *done telling how much reached the file.
LONG ReadCore(OpenFile& file, void* buffer, std::size_t size, std::size_t* done);
LONG WriteCore(OpenFile& file, const void* buffer, std::size_t size, std::size_t* done);
// whence is FILE_BEGIN, FILE_CURRENT or FILE_END.
LONG SeekCore(OpenFile& file, std::int64_t distance, DWORD whence, std::int64_t* position);
LONG SizeCore(OpenFile& file, std::int64_t* size);
LONG FlushCore(OpenFile& file);
// Closes the file whatever the result.
LONG CloseCore(OpenFile& file);

// A Win32 handle on a file the C runtime holds open, as the runtime lends it: valid until the
// runtime takes it back when it closes the file, which stays the runtime's to close.
HANDLE LendFileHandle(const OpenFilePtr& file);
void TakeBackFileHandle(HANDLE handle);

}  // namespace platform::win
