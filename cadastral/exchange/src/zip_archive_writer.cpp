#include "cadastral/zip_archive_writer.h"

#include <minizip/zip.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cadastral/folder_tree.h"
#include "platform/text/format.h"
#include "platform/win/file_handles.h"
#include "platform/win/files.h"
#include "platform/win/system_time.h"

namespace cadastral {


namespace {

// minizip's file calls, routed through Win32 handles so that the Windows path mapping and the
// fault injection reach the archive as they reach every other file of the product.
struct ArchiveFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool failed = false;
};

voidpf ZCALLBACK OpenArchive(voidpf, const void* name, int mode) {
    if (!name) return nullptr;
    const bool create = (mode & ZLIB_FILEFUNC_MODE_CREATE) != 0;
    HANDLE handle = CreateFileA(static_cast<const char*>(name), create ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                                FILE_SHARE_READ, nullptr, create ? CREATE_ALWAYS : OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    auto* file = new ArchiveFile;
    file->handle = handle;
    return file;
}

uLong ZCALLBACK ReadArchive(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* file = static_cast<ArchiveFile*>(stream);
    DWORD read = 0;
    if (!ReadFile(file->handle, buffer, static_cast<DWORD>(size), &read, nullptr)) {
        file->failed = true;
        return 0;
    }
    return read;
}

// A failed write is kept in the writer's flag and reported as done: minizip loses memory on some
// of its own error paths, so the writer checks the flag after every call and gives up itself.
uLong ZCALLBACK WriteArchive(voidpf opaque, voidpf stream, const void* buffer, uLong size) {
    auto* file = static_cast<ArchiveFile*>(stream);
    DWORD written = 0;
    if (file->failed || !WriteFile(file->handle, buffer, static_cast<DWORD>(size), &written, nullptr) ||
        written != size) {
        file->failed = true;
        *static_cast<bool*>(opaque) = true;
    }
    return size;
}

ZPOS64_T ZCALLBACK TellArchive(voidpf, voidpf stream) {
    auto* file = static_cast<ArchiveFile*>(stream);
    LARGE_INTEGER zero{};
    LARGE_INTEGER position{};
    if (!SetFilePointerEx(file->handle, zero, &position, FILE_CURRENT)) {
        file->failed = true;
        return static_cast<ZPOS64_T>(-1);
    }
    return static_cast<ZPOS64_T>(position.QuadPart);
}

long ZCALLBACK SeekArchive(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* file = static_cast<ArchiveFile*>(stream);
    DWORD method = FILE_BEGIN;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) method = FILE_CURRENT;
    else if (origin == ZLIB_FILEFUNC_SEEK_END) method = FILE_END;
    LARGE_INTEGER distance{};
    distance.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file->handle, distance, nullptr, method)) {
        file->failed = true;
        return -1;
    }
    return 0;
}

int ZCALLBACK CloseArchive(voidpf, voidpf stream) {
    auto* file = static_cast<ArchiveFile*>(stream);
    const bool closed = CloseHandle(file->handle) != FALSE;
    const bool failed = file->failed;
    delete file;
    return closed && !failed ? 0 : -1;
}

int ZCALLBACK ArchiveError(voidpf, voidpf stream) { return static_cast<ArchiveFile*>(stream)->failed ? -1 : 0; }

zlib_filefunc64_def ArchiveCalls(bool* writeFailed) {
    zlib_filefunc64_def calls{};
    calls.zopen64_file = OpenArchive;
    calls.zread_file = ReadArchive;
    calls.zwrite_file = WriteArchive;
    calls.ztell64_file = TellArchive;
    calls.zseek64_file = SeekArchive;
    calls.zclose_file = CloseArchive;
    calls.zerror_file = ArchiveError;
    calls.opaque = writeFailed;
    return calls;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A name beside path that nothing holds yet: the archive's working and stepped-aside copies must
// never take the place of a file of the user's.
std::string FreeSibling(const std::string& path, const char* suffix) {
    std::string name = path + suffix;
    for (int n = 1; Exists(name); ++n) name = path + suffix + std::to_string(n);
    return name;
}

// Closes a source file on every path out of AddFile.
class SourceFile {
public:
    explicit SourceFile(const std::string& path)
        : m_handle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~SourceFile() {
        if (IsOpen()) CloseHandle(m_handle);
    }
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return m_handle; }

private:
    HANDLE m_handle;
};

}  // namespace

ZipArchiveWriter::~ZipArchiveWriter() { Abandon(); }

bool ZipArchiveWriter::Fail(std::string what) {
    m_error = std::move(what);
    Abandon();
    return false;
}

bool ZipArchiveWriter::Create(const std::string& archivePath) {
    Abandon();
    m_error.clear();
    m_archivePath = archivePath;
    m_temporaryPath = FreeSibling(archivePath, ".part");
    m_writeFailed = false;
    zlib_filefunc64_def calls = ArchiveCalls(&m_writeFailed);
    m_zip = zipOpen2_64(m_temporaryPath.c_str(), APPEND_STATUS_CREATE, nullptr, &calls);
    if (!m_zip || m_writeFailed) return Fail(platform::text::Format("无法创建压缩文件 %s", m_temporaryPath.c_str()));
    return true;
}

bool ZipArchiveWriter::AddFile(const std::string& sourcePath, const std::string& entryName) {
    if (!m_zip) return Fail(platform::text::Format("压缩文件 %s 未打开", m_archivePath.c_str()));
    SourceFile source(sourcePath);
    if (!source.IsOpen()) return Fail(platform::text::Format("无法读取文件 %s", sourcePath.c_str()));
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(source.Handle(), &size))
        return Fail(platform::text::Format("无法读取文件 %s", sourcePath.c_str()));

    SYSTEMTIME now{};
    GetLocalTime(&now);
    zip_fileinfo info{};
    info.tmz_date.tm_year = now.wYear;
    info.tmz_date.tm_mon = now.wMonth - 1u;
    info.tmz_date.tm_mday = now.wDay;
    info.tmz_date.tm_hour = now.wHour;
    info.tmz_date.tm_min = now.wMinute;
    info.tmz_date.tm_sec = now.wSecond;
    const int large = size.QuadPart >= 0xFFFFFFFFLL ? 1 : 0;
    if (zipOpenNewFileInZip64(m_zip, entryName.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                              Z_DEFAULT_COMPRESSION, large) != ZIP_OK ||
        m_writeFailed)
        return Fail(platform::text::Format("无法写入压缩文件 %s", m_temporaryPath.c_str()));

    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(source.Handle(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return Fail(platform::text::Format("无法读取文件 %s", sourcePath.c_str()));
        if (read == 0) break;
        if (zipWriteInFileInZip(m_zip, buffer.data(), read) != ZIP_OK || m_writeFailed)
            return Fail(platform::text::Format("无法写入压缩文件 %s", m_temporaryPath.c_str()));
    }
    if (zipCloseFileInZip(m_zip) != ZIP_OK || m_writeFailed)
        return Fail(platform::text::Format("无法写入压缩文件 %s", m_temporaryPath.c_str()));
    return true;
}

bool ZipArchiveWriter::Commit() {
    if (!m_zip) return Fail(platform::text::Format("压缩文件 %s 未打开", m_archivePath.c_str()));
    const int closed = zipClose(m_zip, nullptr);
    m_zip = nullptr;
    if (closed != ZIP_OK || m_writeFailed) return Fail(platform::text::Format("无法写入压缩文件 %s", m_temporaryPath.c_str()));

    // The older archive steps aside first and comes back if the new one cannot take its name.
    const std::string older = FreeSibling(m_archivePath, ".old");
    const bool hadOlder = Exists(m_archivePath);
    if (hadOlder) {
        if (!MoveFileA(m_archivePath.c_str(), older.c_str()))
            return Fail(platform::text::Format("无法替换压缩文件 %s", m_archivePath.c_str()));
    }
    if (!MoveFileA(m_temporaryPath.c_str(), m_archivePath.c_str())) {
        if (hadOlder) MoveFileA(older.c_str(), m_archivePath.c_str());
        return Fail(platform::text::Format("无法替换压缩文件 %s", m_archivePath.c_str()));
    }
    if (hadOlder) DeleteFileA(older.c_str());
    m_temporaryPath.clear();
    return true;
}

void ZipArchiveWriter::Abandon() {
    if (m_zip) {
        zipClose(m_zip, nullptr);
        m_zip = nullptr;
    }
    if (!m_temporaryPath.empty()) {
        DeleteFileA(m_temporaryPath.c_str());
        m_temporaryPath.clear();
    }
}

bool PackFolderToZip(const std::string& folder, const std::string& archivePath, std::string& error) {
    const std::string base = WithoutTrailingBackslash(folder);
    struct Item {
        std::string name;
        DWORD attributes;
    };
    std::vector<Item> items;
    WIN32_FIND_DATAA data{};
    const std::string pattern = base + "\\*.*";
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        error = platform::text::Format("无法读取文件夹 %s", folder.c_str());
        return false;
    }
    do {
        items.push_back({data.cFileName, data.dwFileAttributes});
    } while (FindNextFileA(find, &data));
    FindClose(find);

    ZipArchiveWriter writer;
    if (!writer.Create(archivePath)) {
        error = writer.Error();
        return false;
    }
    for (const Item& item : items) {
        if (item.name == "." || item.name == ".." || (item.attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (!writer.AddFile(base + "\\" + item.name, item.name)) {
            error = writer.Error();
            return false;
        }
    }
    if (!writer.Commit()) {
        error = writer.Error();
        return false;
    }
    error.clear();
    return true;
}

}  // namespace cadastral
