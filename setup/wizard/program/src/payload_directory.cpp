#include "setup/program/payload_directory.h"

#include <vector>

#include "platform/win/code_pages.h"
#include "platform/win/crt_files.h"
#include "platform/win/files.h"

namespace Setup {
namespace {

namespace crt = platform::win;

constexpr std::size_t kNamesAt = 128;
constexpr std::size_t kCountsAt = 4224;
constexpr std::size_t kOffsetAt = 4352;

std::int32_t Int32At(const unsigned char* bytes) {
    const std::uint32_t value = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                                static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return static_cast<std::int32_t>(value);
}

// The path in the ANSI code page, as the runtime's narrow file calls take it; empty when it
// does not fit 260 bytes.
std::string Ansi(const std::u16string& path) {
    char buffer[260] = {};
    const int n = WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, buffer, sizeof buffer, nullptr, nullptr);
    return n > 0 ? std::string(buffer) : std::string();
}

std::u16string Wide(const std::string& ansi) {
    char16_t buffer[260] = {};
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, buffer, 260);
    return n > 0 ? std::u16string(buffer) : std::u16string();
}

bool FileSize(const std::u16string& path, std::int64_t* size) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    *size = static_cast<std::int64_t>(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
    return true;
}

bool Contains(const std::u16string& text, std::u16string_view part) { return text.find(part) != std::u16string::npos; }

}  // namespace

bool IsPlainPayloadName(const std::u16string& name) {
    if (name.empty() || name.size() > static_cast<std::size_t>(kPayloadNameLength)) return false;
    for (char16_t c : name) {
        if (c < 0x20 || c == 0x7F) return false;
        if (std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) return false;
    }
    // Windows drops trailing dots and blanks: "..." would be the folder itself.
    return name.back() != u'.' && name.back() != u' ';
}

bool IsPayloadEntry(const std::u16string& name) { return name.size() >= 5; }

int ReadPayloadDirectory(const std::u16string& programPath, PayloadDirectory* directory) {
    std::int64_t size = 0;
    if (!FileSize(programPath, &size) || size < kPayloadDirectorySize) return 0;
    crt::FILE* file = crt::fopen(Ansi(programPath).c_str(), "rb");
    if (!file) return 0;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(kPayloadDirectorySize));
    const bool read = crt::fseek(file, static_cast<long>(size - kPayloadDirectorySize), SEEK_SET) == 0 &&
                      crt::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    crt::fclose(file);
    if (!read) return 0;
    directory->fileSize = size;
    for (int slot = 0; slot < kPayloadSlots; ++slot) {
        const unsigned char* name = bytes.data() + kNamesAt + static_cast<std::size_t>(slot) * 128;
        std::u16string text;
        for (int i = 0; i < kPayloadNameLength; ++i) {
            const char16_t c = static_cast<char16_t>(name[2 * i] | name[2 * i + 1] << 8);
            if (c == 0) break;
            text += c;
        }
        directory->names[static_cast<std::size_t>(slot)] = text;
        directory->counts[static_cast<std::size_t>(slot)] =
            Int32At(bytes.data() + kCountsAt + static_cast<std::size_t>(slot) * 4);
    }
    directory->firstOffset = Int32At(bytes.data() + kOffsetAt);
    return 1;
}

bool CheckPayloadDirectory(const PayloadDirectory& directory) {
    if (directory.firstOffset < 0) return false;
    std::int64_t end = directory.firstOffset;
    for (int slot = 0; slot < kPayloadSlots; ++slot) {
        const std::u16string& name = directory.names[static_cast<std::size_t>(slot)];
        const std::int32_t count = directory.counts[static_cast<std::size_t>(slot)];
        if (count < 0) return false;
        if (!IsPayloadEntry(name)) continue;
        if (!IsPlainPayloadName(name)) return false;
        end += count;
    }
    return end <= directory.fileSize - kPayloadDirectorySize;
}

int ExtractAppendedPayload(const std::u16string& programPath, const std::u16string& folder, PayloadPaths* paths,
                           int* count) {
    *count = 0;
    PayloadDirectory directory;
    if (!ReadPayloadDirectory(programPath, &directory) || !CheckPayloadDirectory(directory)) return 0;
    if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) CreateDirectoryW(folder.c_str(), nullptr);
    crt::FILE* program = crt::fopen(Ansi(programPath).c_str(), "rb");
    if (!program) return 0;
    const std::string ansiFolder = Ansi(folder);
    std::int64_t position = directory.firstOffset;
    std::vector<char> buffer(64 * 1024);
    for (int slot = 0; slot < kPayloadSlots; ++slot) {
        const std::u16string& name = directory.names[static_cast<std::size_t>(slot)];
        if (!IsPayloadEntry(name)) continue;
        const std::int64_t size = directory.counts[static_cast<std::size_t>(slot)];
        const std::int64_t from = position;
        // An entry that cannot be written still owns its bytes: the next one starts after them.
        position += size;
        const std::string path = ansiFolder + "\\" + Ansi(name);
        DeleteFileA(path.c_str());
        crt::FILE* out = crt::fopen(path.c_str(), "wb");
        if (!out) continue;
        std::int64_t left = size;
        bool ok = crt::fseek(program, static_cast<long>(from), SEEK_SET) == 0;
        while (ok && left > 0) {
            const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())));
            const std::size_t got = crt::fread(buffer.data(), 1, want, program);
            ok = got > 0 && crt::fwrite(buffer.data(), 1, got, out) == got;
            left -= static_cast<std::int64_t>(got);
        }
        const bool closed = crt::fclose(out) == 0;
        if (!ok || !closed) {
            // A part-written file would pass for the whole one.
            DeleteFileA(path.c_str());
            continue;
        }
        const std::u16string written = Wide(path);
        (*paths)[static_cast<std::size_t>(slot)] = written;
        if (!Contains(written, kWatermarkPictureName) && !Contains(written, kHeaderPictureName)) ++*count;
    }
    crt::fclose(program);
    return 1;
}

}  // namespace Setup
