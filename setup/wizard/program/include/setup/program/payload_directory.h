// The files appended to the setup program: their data, then a directory of 4 356 bytes at the
// very end of the program file that names them (little-endian):
//
//   offset  size  content
//   0       128   not read
//   128     4096  32 names of 64 UTF-16 characters, 0-terminated when shorter
//   4224    128   32 signed 32-bit byte counts, one per name
//   4352    4     signed 32-bit offset from the file's start of the first used entry's data
//
// An entry is used when its name has 5 characters or more; the data of the used entries follow
// one another in slot order. A program without a payload ends in its own code, which is read as a
// directory too: only a directory that passes CheckPayloadDirectory is believed.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace Setup {

constexpr int kPayloadSlots = 32;
constexpr int kPayloadNameLength = 64;
constexpr std::int64_t kPayloadDirectorySize = 4356;
inline constexpr char16_t kWatermarkPictureName[] = u"__bitmapwater__.bmp";
inline constexpr char16_t kHeaderPictureName[] = u"__bitmaphead__.bmp";

struct PayloadDirectory {
    std::array<std::u16string, kPayloadSlots> names;  // up to the first 0, at most 64 characters
    std::array<std::int32_t, kPayloadSlots> counts{};
    std::int32_t firstOffset = 0;
    std::int64_t fileSize = 0;  // of the program file it was read from
};

using PayloadPaths = std::array<std::u16string, kPayloadSlots>;

// Whether a slot's name stands for an appended file.
bool IsPayloadEntry(const std::u16string& name);
// A name that can only mean a file in the work folder itself: no folder, drive or device part,
// nothing Windows would trim, at most 64 characters.
bool IsPlainPayloadName(const std::u16string& name);

// Reads the last 4 356 bytes of the program file. 1, or 0 when the file cannot be opened or is
// shorter than a directory.
int ReadPayloadDirectory(const std::u16string& programPath, PayloadDirectory* directory);

// A directory is believed only when every used name is a plain file name (no folder, drive or
// device part, nothing Windows would trim), no count is negative and the data of the used
// entries lie inside the file before the directory.
bool CheckPayloadDirectory(const PayloadDirectory& directory);

// Writes the appended files into the folder (made when missing, one level): an existing file of
// the same name is replaced. paths receives each extracted file's path by slot; count the number
// of extracted files other than the two wizard pictures. 1 when the directory was read, believed
// and the program file opened; else 0 and nothing is written.
int ExtractAppendedPayload(const std::u16string& programPath, const std::u16string& folder, PayloadPaths* paths,
                           int* count);

}  // namespace Setup
