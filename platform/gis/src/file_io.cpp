#include <algorithm>
#include "platform/gis/gis_document.h"
#include "platform/win/file_handles.h"
#include "platform/win/files.h"

namespace platform::gis {

namespace {

// Reads the whole file into a buffer that is not cleared first: large files are read often enough
// that touching every page twice shows.
template <typename Store>
int ReadWhole(const std::string& path, Store store)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 && size.QuadPart < (LONGLONG{1} << 32);
    if (ok) {
        const auto total = static_cast<std::size_t>(size.QuadPart);
        char* buffer = store(total);
        std::size_t done = 0;
        while (ok && done < total) {
            DWORD read = 0;
            const auto chunk = static_cast<DWORD>(std::min<std::size_t>(total - done, 1u << 30));
            ok = ReadFile(file, buffer + done, chunk, &read, nullptr) && read > 0;
            done += read;
        }
    }
    CloseHandle(file);
    return ok ? 1 : -1;
}

}  // namespace

int ReadFileBytes(const std::string& path, std::string* bytes)
{
    return ReadWhole(path, [bytes](std::size_t size) {
        bytes->resize(size);
        return bytes->data();
    });
}

int ReadFileBytes(const std::string& path, std::unique_ptr<char[]>* bytes, std::size_t* size)
{
    return ReadWhole(path, [bytes, size](std::size_t total) {
        bytes->reset(new char[total == 0 ? 1 : total]);
        *size = total;
        return bytes->get();
    });
}

namespace {

bool WriteAll(HANDLE file, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written != chunk) return false;
        done += written;
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes)
{
    return WriteFileAtomically(path, [bytes](const ByteSink& sink) { return sink(bytes); });
}

bool WriteFileAtomically(const std::string& path, const std::function<bool(const ByteSink&)>& write)
{
    if (path.empty()) return false;
    const std::string temporary = path + ".~gis";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const ByteSink sink = [file](std::string_view bytes) { return WriteAll(file, bytes); };
    bool ok = write(sink);
    ok = ok && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    // The rename does not replace, so the old file goes first; a failure after that still leaves the
    // complete new bytes in the temporary file, never a partial file under the target's name.
    if (ok && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) ok = DeleteFileA(path.c_str());
    ok = ok && MoveFileA(temporary.c_str(), path.c_str());
    if (!ok) {
        const DWORD error = GetLastError();
        DeleteFileA(temporary.c_str());
        SetLastError(error);
    }
    return ok;
}

}  // namespace platform::gis
