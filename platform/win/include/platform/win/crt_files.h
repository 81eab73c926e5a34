// The C runtime's file calls on the mapped root, under their Windows names in platform::win (the
// global ones are the C library's own, on Linux paths).
//
// Paths are GBK (or UTF-16 for _wfopen) in Windows form. Text mode, the default, reads a carriage
// return and line feed as one line feed, ends the file at a Ctrl-Z and writes a line feed as both;
// binary mode ("b", _O_BINARY) passes bytes unchanged. Failures set errno as the runtime does (ENOENT,
// EACCES, EEXIST, EBADF, EINVAL, ENOSPC) and leave the Win32 error for GetLastError. Files opened
// here share reading and writing with every other open, and conflict with Win32 handles opened
// without those shares. A stream is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/text/format.h"

#include "platform/win/win_types.h"

namespace platform::win {

constexpr int _O_RDONLY = 0x0000;
constexpr int _O_WRONLY = 0x0001;
constexpr int _O_RDWR = 0x0002;
constexpr int _O_APPEND = 0x0008;
constexpr int _O_CREAT = 0x0100;
constexpr int _O_TRUNC = 0x0200;
constexpr int _O_EXCL = 0x0400;
constexpr int _O_TEXT = 0x4000;
constexpr int _O_BINARY = 0x8000;

// The permission argument of _open with _O_CREAT: a file created without _S_IWRITE is read-only.
constexpr int _S_IREAD = 0x0100;
constexpr int _S_IWRITE = 0x0080;

// Low-level files: small numbers, -1 with errno on failure.
int _open(const char* path, int flags, int permission = _S_IREAD | _S_IWRITE);
int _wopen(const WCHAR* path, int flags, int permission = _S_IREAD | _S_IWRITE);
int _read(int file, void* buffer, unsigned int count);
int _write(int file, const void* buffer, unsigned int count);
long _lseek(int file, long offset, int origin);  // origin: SEEK_SET, SEEK_CUR or SEEK_END
int _close(int file);
// The Win32 handle of a low-level file, for the Win32 calls on an open file (SetFileTime); -1 with
// errno EBADF for a number that is not open. It is the file's own: _close ends it, CloseHandle must
// not.
std::intptr_t _get_osfhandle(int file);

// Streams. Modes "r", "w", "a", each with an optional "+", and "t" or "b". Writes are not held
// back: fwrite reports a failed write at once.
struct FILE;
FILE* fopen(const char* path, const char* mode);
FILE* _wfopen(const WCHAR* path, const WCHAR* mode);
std::size_t fread(void* buffer, std::size_t size, std::size_t count, FILE* stream);
std::size_t fwrite(const void* buffer, std::size_t size, std::size_t count, FILE* stream);
// Up to size - 1 characters, through the first line feed; null at the end of the file or on error.
char* fgets(char* buffer, int size, FILE* stream);
int fseek(FILE* stream, long offset, int origin);
long ftell(FILE* stream);
int feof(FILE* stream);
int ferror(FILE* stream);
// 0, or EOF when the close (or the file's last write) failed; the stream is gone either way.
int fclose(FILE* stream);

// Wide text. A text-mode stream stores it in the ANSI code page (GBK), a character that GBK lacks
// as '?'; a binary stream stores the UTF-16 code units as they are (low byte first).
// fputws: 0, or EOF on failure. fgetws: up to size - 1 characters, through the first line feed;
// null at the end of the file or on error.
int fputws(const WCHAR* text, FILE* stream);
WCHAR* fgetws(WCHAR* buffer, int size, FILE* stream);
// The characters written, or -1. The format is this library's printf-style one (platform/text).
template <typename... Args>
int fwprintf(FILE* stream, const WCHAR* format, const Args&... args) {
    if (!format) return -1;
    const std::u16string text = platform::text::Format(std::u16string_view(format), args...);
    return fputws(text.c_str(), stream) == 0 ? static_cast<int>(text.size()) : -1;
}

}  // namespace platform::win
