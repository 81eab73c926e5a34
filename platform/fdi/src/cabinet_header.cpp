#include "cabinet_header.h"

#include <cstring>

namespace {

std::uint32_t Get32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t Get16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

}  // namespace

bool ReadMemberPlaces(mspack_system* system, const char* path, std::vector<MemberPlace>* places) {
    places->clear();
    mspack_file* file = system->open(system, path, MSPACK_SYS_OPEN_READ);
    if (!file) return false;
    bool ok = false;
    do {
        if (system->seek(file, 0, MSPACK_SYS_SEEK_END)) break;
        const off_t size = system->tell(file);
        if (size < 36 || size > 0x7FFFFFFF || system->seek(file, 0, MSPACK_SYS_SEEK_START)) break;
        // The file is read through a block of it (read_ahead.h): a few bytes at a time cost the
        // caller's file no more reads.
        const auto get = [&](unsigned char* out, int count) { return system->read(file, out, count) == count; };
        unsigned char header[36];
        if (!get(header, sizeof header) || std::memcmp(header, "MSCF", 4) != 0) break;
        const std::uint32_t filesAt = Get32(header + 16);
        const std::uint16_t count = Get16(header + 28);
        if (filesAt > static_cast<std::uint32_t>(size) || system->seek(file, filesAt, MSPACK_SYS_SEEK_START)) break;
        places->reserve(count);
        bool whole = true;
        for (std::uint16_t i = 0; i < count && whole; ++i) {
            unsigned char entry[16];
            if (!get(entry, sizeof entry)) {
                whole = false;
                break;
            }
            places->push_back(MemberPlace{Get16(entry + 8)});
            unsigned char c = 1;
            for (int length = 0; c != 0; ++length)
                if (length > 256 || !get(&c, 1)) {
                    whole = false;
                    break;
                }
        }
        ok = whole;
    } while (false);
    system->close(file);
    return ok;
}
