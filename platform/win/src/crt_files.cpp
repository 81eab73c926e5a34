// The C runtime's low-level files and streams over the open-file table.
#include "platform/win/crt_files.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "file_support.h"
#include "platform/win/file_handles.h"
#include "platform/win/last_error.h"
#include "platform/win/safe_points.h"
#include "open_files.h"
#include "platform/text/encoding.h"
#include "platform/text/gbk.h"

namespace platform::win {

struct FILE {
    OpenFilePtr file;
    bool text = true;
    bool append = false;
    bool atEnd = false;
    bool failed = false;
    // Bytes read ahead from the file, untranslated, so that positions stay those of the file.
    std::vector<char> buffer;
    std::size_t next = 0;
};

namespace {

constexpr char kCtrlZ = 0x1A;
constexpr std::size_t kReadAhead = 4096;

// errno for a Win32 error, as the runtime maps them.
int ErrnoOf(LONG error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
        case ERROR_FILENAME_EXCED_RANGE: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION: return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return EEXIST;
        case ERROR_DISK_FULL: return ENOSPC;
        case ERROR_INVALID_HANDLE: return EBADF;
        case ERROR_NOT_ENOUGH_MEMORY: return ENOMEM;
        default:
            // The device errors (write protect, read and write faults, sharing) read as "access denied".
            if (error >= ERROR_WRITE_PROTECT && error <= 36) return EACCES;
            return EINVAL;
    }
}

// Sets errno and the last error; returns what the caller passes on as its failure value.
template <typename Result>
Result Fail(LONG error, Result failure) {
    SetLastError(static_cast<DWORD>(error));
    errno = ErrnoOf(error);
    return failure;
}

template <typename Result>
Result FailErrno(int error, Result failure) {
    errno = error;
    return failure;
}

struct LowFile {
    OpenFilePtr file;
    bool text = true;
    bool append = false;
    bool atEnd = false;  // a Ctrl-Z was read in text mode
    HANDLE lent = nullptr;  // the Win32 handle _get_osfhandle gave out, if it did
};

std::mutex lowMutex;
std::map<int, std::shared_ptr<LowFile>> lowFiles;

std::shared_ptr<LowFile> FindLow(int number) {
    std::lock_guard lock(lowMutex);
    const auto it = lowFiles.find(number);
    return it == lowFiles.end() ? nullptr : it->second;
}

// The lowest free number from 3 up, as the runtime hands them out after the standard three.
int AddLow(std::shared_ptr<LowFile> low) {
    std::lock_guard lock(lowMutex);
    int number = 3;
    while (lowFiles.count(number)) ++number;
    lowFiles.emplace(number, std::move(low));
    return number;
}

OpenFilePtr Open(std::u16string_view path, const OpenRequest& request, LONG* error) {
    bool existed = false;
    return OpenFileCore(path, request, error, &existed);
}

// Writes the bytes, line feeds as carriage return and line feed in text mode.
LONG WriteTranslated(OpenFile& file, const char* data, std::size_t size, bool text) {
    std::size_t done = 0;
    if (!text) return WriteCore(file, data, size, &done);
    std::string out;
    out.reserve(size + size / 16 + 1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') out += '\r';
        out += data[i];
    }
    return WriteCore(file, out.data(), out.size(), &done);
}

OpenRequest RequestOf(int flags, int permission, LONG* error) {
    OpenRequest request;
    const int access = flags & (_O_WRONLY | _O_RDWR);
    if (access == (_O_WRONLY | _O_RDWR)) *error = ERROR_INVALID_PARAMETER;
    if ((flags & _O_TEXT) && (flags & _O_BINARY)) *error = ERROR_INVALID_PARAMETER;
    request.read = access != _O_WRONLY;
    request.write = access != _O_RDONLY;
    request.share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    if (flags & _O_CREAT) {
        request.disposition = (flags & _O_EXCL) ? CREATE_NEW : (flags & _O_TRUNC) ? CREATE_ALWAYS : OPEN_ALWAYS;
        request.readOnly = (permission & _S_IWRITE) == 0;
    } else {
        request.disposition = (flags & _O_TRUNC) ? TRUNCATE_EXISTING : OPEN_EXISTING;
    }
    return request;
}

int OpenLow(std::u16string_view path, int flags, int permission) {
    LONG error = ERROR_SUCCESS;
    const OpenRequest request = RequestOf(flags, permission, &error);
    if (error) return Fail(error, -1);
    OpenFilePtr file = Open(path, request, &error);
    if (!file) return Fail(error, -1);
    auto low = std::make_shared<LowFile>();
    low->file = std::move(file);
    low->text = (flags & _O_BINARY) == 0;
    low->append = (flags & _O_APPEND) != 0;
    return AddLow(std::move(low));
}

// Reads raw bytes and turns each carriage return and line feed into a line feed; a carriage return
// at the end of what was read looks at the next byte and puts it back when it is not a line feed.
int ReadLow(LowFile& low, char* out, unsigned int count) {
    if (!low.file->canRead) return FailErrno(EBADF, -1);
    if (count == 0 || (low.text && low.atEnd)) return 0;
    std::size_t got = 0;
    if (const LONG error = ReadCore(*low.file, out, count, &got)) return Fail(error, -1);
    if (!low.text) return static_cast<int>(got);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < got; ++i) {
        const char c = out[i];
        if (c == kCtrlZ) {
            low.atEnd = true;
            break;
        }
        if (c == '\r') {
            if (i + 1 < got) {
                if (out[i + 1] == '\n') continue;
            } else {
                char peek = 0;
                std::size_t more = 0;
                if (const LONG error = ReadCore(*low.file, &peek, 1, &more)) return Fail(error, -1);
                if (more == 1 && peek == '\n') {
                    out[kept++] = '\n';
                    break;
                }
                if (more == 1) SeekCore(*low.file, -1, FILE_CURRENT, nullptr);
            }
        }
        out[kept++] = c;
    }
    return static_cast<int>(kept);
}

int WriteLow(LowFile& low, const void* buffer, unsigned int count) {
    if (!low.file->canWrite) return FailErrno(EBADF, -1);
    if (count == 0) return 0;
    if (low.append) SeekCore(*low.file, 0, FILE_END, nullptr);
    if (const LONG error = WriteTranslated(*low.file, static_cast<const char*>(buffer), count, low.text)) {
        return Fail(error, -1);
    }
    return static_cast<int>(count);
}

DWORD WhenceOf(int origin) {
    return origin == SEEK_SET ? FILE_BEGIN : origin == SEEK_CUR ? FILE_CURRENT : origin == SEEK_END ? FILE_END : 99;
}

// Parses "r", "w", "a", with "+" and "t" or "b" in any order after the first letter.
bool ParseMode(std::u16string_view mode, int* flags) {
    if (mode.empty()) return false;
    switch (mode[0]) {
        case u'r': *flags = _O_RDONLY; break;
        case u'w': *flags = _O_WRONLY | _O_CREAT | _O_TRUNC; break;
        case u'a': *flags = _O_WRONLY | _O_CREAT | _O_APPEND; break;
        default: return false;
    }
    bool plus = false;
    bool kind = false;
    for (const char16_t c : mode.substr(1)) {
        if (c == u'+' && !plus) {
            plus = true;
            *flags = (*flags & ~(_O_WRONLY | _O_RDWR)) | _O_RDWR;
        } else if ((c == u'b' || c == u't') && !kind) {
            kind = true;
            *flags |= c == u'b' ? _O_BINARY : _O_TEXT;
        } else {
            return false;
        }
    }
    return true;
}

FILE* OpenStream(std::u16string_view path, std::u16string_view mode) {
    int flags = 0;
    if (!ParseMode(mode, &flags)) return FailErrno(EINVAL, static_cast<FILE*>(nullptr));
    LONG error = ERROR_SUCCESS;
    const OpenRequest request = RequestOf(flags, _S_IREAD | _S_IWRITE, &error);
    OpenFilePtr file = Open(path, request, &error);
    if (!file) return Fail(error, static_cast<FILE*>(nullptr));
    auto stream = std::make_unique<FILE>();
    stream->file = std::move(file);
    stream->text = (flags & _O_BINARY) == 0;
    stream->append = (flags & _O_APPEND) != 0;
    // Taken now, so that reading never allocates.
    stream->buffer.reserve(kReadAhead);
    return stream.release();
}

std::size_t Buffered(const FILE& stream) { return stream.buffer.size() - stream.next; }

// Puts the bytes read ahead back, so that the file's position is the stream's again.
void DropReadAhead(FILE& stream) {
    if (const std::size_t unread = Buffered(stream)) {
        SeekCore(*stream.file, -static_cast<std::int64_t>(unread), FILE_CURRENT, nullptr);
    }
    stream.buffer.clear();
    stream.next = 0;
}

// Makes at least one byte available; false at the end of the file or on error (with the flags set).
bool Fill(FILE& stream) {
    if (Buffered(stream) > 0) return true;
    if (stream.atEnd || stream.failed) return false;
    stream.buffer.resize(kReadAhead);
    stream.next = 0;
    std::size_t got = 0;
    const LONG error = ReadCore(*stream.file, stream.buffer.data(), kReadAhead, &got);
    stream.buffer.resize(got);
    if (error) {
        stream.failed = true;
        Fail(error, 0);
        return false;
    }
    if (got == 0) stream.atEnd = true;
    return got > 0;
}

// The next character, with text mode's translation; EOF at the end of the file or on error.
int GetChar(FILE& stream) {
    if (!Fill(stream)) return EOF;
    const char c = stream.buffer[stream.next++];
    if (!stream.text) return static_cast<unsigned char>(c);
    if (c == kCtrlZ) {
        --stream.next;
        stream.atEnd = true;
        return EOF;
    }
    if (c == '\r' && Fill(stream) && stream.buffer[stream.next] == '\n') {
        ++stream.next;
        return '\n';
    }
    return static_cast<unsigned char>(c);
}

bool CanRead(FILE* stream) {
    if (!stream) return FailErrno(EINVAL, false);
    if (!stream->file->canRead) {
        stream->failed = true;
        return FailErrno(EBADF, false);
    }
    return true;
}

}  // namespace

int _open(const char* path, int flags, int permission) {
    platform::win::SafePoint();
    if (!path) return FailErrno(EINVAL, -1);
    try {
        return OpenLow(Widen(path), flags, permission);
    } catch (...) {
        return FailErrno(ENOMEM, -1);
    }
}

int _wopen(const WCHAR* path, int flags, int permission) {
    platform::win::SafePoint();
    if (!path) return FailErrno(EINVAL, -1);
    try {
        return OpenLow(path, flags, permission);
    } catch (...) {
        return FailErrno(ENOMEM, -1);
    }
}

int _read(int file, void* buffer, unsigned int count) {
    platform::win::SafePoint();
    const auto low = FindLow(file);
    if (!low) return FailErrno(EBADF, -1);
    if ((!buffer && count > 0) || count > INT_MAX) return FailErrno(EINVAL, -1);
    return ReadLow(*low, static_cast<char*>(buffer), count);
}

int _write(int file, const void* buffer, unsigned int count) {
    platform::win::SafePoint();
    const auto low = FindLow(file);
    if (!low) return FailErrno(EBADF, -1);
    if ((!buffer && count > 0) || count > INT_MAX) return FailErrno(EINVAL, -1);
    try {
        return WriteLow(*low, buffer, count);
    } catch (...) {
        return FailErrno(ENOMEM, -1);
    }
}

long _lseek(int file, long offset, int origin) {
    platform::win::SafePoint();
    const auto low = FindLow(file);
    if (!low) return FailErrno(EBADF, -1L);
    std::int64_t position = 0;
    if (const LONG error = SeekCore(*low->file, offset, WhenceOf(origin), &position)) {
        return Fail(error == ERROR_NEGATIVE_SEEK ? ERROR_INVALID_PARAMETER : error, -1L);
    }
    low->atEnd = false;
    return static_cast<long>(position);
}

int _close(int file) {
    platform::win::SafePoint();
    std::shared_ptr<LowFile> low;
    {
        std::lock_guard lock(lowMutex);
        const auto it = lowFiles.find(file);
        if (it == lowFiles.end()) return FailErrno(EBADF, -1);
        low = std::move(it->second);
        lowFiles.erase(it);
    }
    if (low->lent) TakeBackFileHandle(low->lent);
    if (const LONG error = CloseCore(*low->file)) return Fail(error, -1);
    return 0;
}

std::intptr_t _get_osfhandle(int file) {
    std::lock_guard lock(lowMutex);
    const auto it = lowFiles.find(file);
    if (it == lowFiles.end()) return FailErrno(EBADF, std::intptr_t(-1));
    LowFile& low = *it->second;
    try {
        if (!low.lent) low.lent = LendFileHandle(low.file);
    } catch (...) {
        return FailErrno(ENOMEM, std::intptr_t(-1));
    }
    return reinterpret_cast<std::intptr_t>(low.lent);
}

FILE* fopen(const char* path, const char* mode) {
    platform::win::SafePoint();
    if (!path || !mode) return FailErrno(EINVAL, static_cast<FILE*>(nullptr));
    try {
        return OpenStream(Widen(path), Widen(mode));
    } catch (...) {
        return FailErrno(ENOMEM, static_cast<FILE*>(nullptr));
    }
}

FILE* _wfopen(const WCHAR* path, const WCHAR* mode) {
    platform::win::SafePoint();
    if (!path || !mode) return FailErrno(EINVAL, static_cast<FILE*>(nullptr));
    try {
        return OpenStream(path, mode);
    } catch (...) {
        return FailErrno(ENOMEM, static_cast<FILE*>(nullptr));
    }
}

std::size_t fread(void* buffer, std::size_t size, std::size_t count, FILE* stream) {
    platform::win::SafePoint();
    if (size == 0 || count == 0) return 0;
    if (!CanRead(stream) || !buffer) return 0;
    auto* out = static_cast<char*>(buffer);
    const std::size_t total = size * count;
    std::size_t done = 0;
    if (!stream->text) {
        // Binary reads take what is read ahead, then the rest straight from the file.
        const std::size_t first = std::min(Buffered(*stream), total);
        std::copy_n(stream->buffer.data() + stream->next, first, out);
        stream->next += first;
        done = first;
        if (done < total && !stream->atEnd && !stream->failed) {
            std::size_t got = 0;
            if (const LONG error = ReadCore(*stream->file, out + done, total - done, &got)) {
                stream->failed = true;
                Fail(error, 0);
            }
            done += got;
            if (done < total && !stream->failed) stream->atEnd = true;
        }
        return done / size;
    }
    while (done < total) {
        const int c = GetChar(*stream);
        if (c == EOF) break;
        out[done++] = static_cast<char>(c);
    }
    return done / size;
}

std::size_t fwrite(const void* buffer, std::size_t size, std::size_t count, FILE* stream) {
    platform::win::SafePoint();
    if (size == 0 || count == 0) return 0;
    if (!stream || !buffer) return FailErrno(EINVAL, std::size_t{0});
    if (!stream->file->canWrite) {
        stream->failed = true;
        return FailErrno(EBADF, std::size_t{0});
    }
    try {
        DropReadAhead(*stream);
        if (stream->append) SeekCore(*stream->file, 0, FILE_END, nullptr);
        if (const LONG error = WriteTranslated(*stream->file, static_cast<const char*>(buffer), size * count,
                                               stream->text)) {
            stream->failed = true;
            return Fail(error, std::size_t{0});
        }
    } catch (...) {
        stream->failed = true;
        return FailErrno(ENOMEM, std::size_t{0});
    }
    return count;
}

char* fgets(char* buffer, int size, FILE* stream) {
    platform::win::SafePoint();
    if (!buffer || size <= 0) return FailErrno(EINVAL, static_cast<char*>(nullptr));
    if (!CanRead(stream)) return nullptr;
    int done = 0;
    while (done < size - 1) {
        const int c = GetChar(*stream);
        if (c == EOF) break;
        buffer[done++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    if (done == 0 || stream->failed) return nullptr;
    buffer[done] = 0;
    return buffer;
}

int fseek(FILE* stream, long offset, int origin) {
    platform::win::SafePoint();
    if (!stream) return FailErrno(EINVAL, -1);
    std::int64_t distance = offset;
    // The stream's position is the file's less what was read ahead.
    if (origin == SEEK_CUR) distance -= static_cast<std::int64_t>(Buffered(*stream));
    stream->buffer.clear();
    stream->next = 0;
    if (const LONG error = SeekCore(*stream->file, distance, WhenceOf(origin), nullptr)) {
        return Fail(error == ERROR_NEGATIVE_SEEK ? ERROR_INVALID_PARAMETER : error, -1);
    }
    stream->atEnd = false;
    return 0;
}

long ftell(FILE* stream) {
    platform::win::SafePoint();
    if (!stream) return FailErrno(EINVAL, -1L);
    std::int64_t position = 0;
    if (const LONG error = SeekCore(*stream->file, 0, FILE_CURRENT, &position)) return Fail(error, -1L);
    return static_cast<long>(position - static_cast<std::int64_t>(Buffered(*stream)));
}

int feof(FILE* stream) { return stream && stream->atEnd ? 1 : 0; }

int ferror(FILE* stream) { return stream && stream->failed ? 1 : 0; }

int fclose(FILE* stream) {
    platform::win::SafePoint();
    if (!stream) return FailErrno(EINVAL, EOF);
    const std::unique_ptr<FILE> owned(stream);
    if (const LONG error = CloseCore(*owned->file)) return Fail(error, EOF);
    return 0;
}

int fputws(const WCHAR* text, FILE* stream) {
    if (!text || !stream) return FailErrno(EINVAL, EOF);
    try {
        const std::u16string_view wide(text);
        if (wide.empty()) return 0;
        std::string bytes;
        if (stream->text) {
            bytes = text::Utf16ToGbk(wide);
        } else {
            for (const char16_t unit : wide) {
                bytes += static_cast<char>(unit & 0xFF);
                bytes += static_cast<char>(unit >> 8);
            }
        }
        return fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size() ? 0 : EOF;
    } catch (...) {
        return FailErrno(ENOMEM, EOF);
    }
}

WCHAR* fgetws(WCHAR* buffer, int size, FILE* stream) {
    if (!buffer || size <= 0) return FailErrno(EINVAL, static_cast<WCHAR*>(nullptr));
    if (!CanRead(stream)) return nullptr;
    int done = 0;
    while (done < size - 1) {
        const int first = GetChar(*stream);
        if (first == EOF) break;
        char16_t unit;
        if (!stream->text) {
            const int second = GetChar(*stream);
            if (second == EOF) break;  // half a code unit at the end is dropped
            unit = static_cast<char16_t>(first | (second << 8));
        } else if (text::IsGbkLeadByte(static_cast<unsigned char>(first))) {
            // A double-byte character; a lead byte cut off by the end of the file reads as '?'.
            const int second = GetChar(*stream);
            if (second == EOF) {
                unit = u'?';
            } else {
                const char pair[2] = {static_cast<char>(first), static_cast<char>(second)};
                const std::u16string wide = text::GbkToUtf16(std::string_view(pair, 2));
                unit = wide.size() == 1 ? wide[0] : u'?';
            }
        } else {
            unit = static_cast<char16_t>(first);
        }
        buffer[done++] = unit;
        if (unit == u'\n') break;
    }
    if (done == 0 || stream->failed) return nullptr;
    buffer[done] = 0;
    return buffer;
}

}  // namespace platform::win
