#include "cabinet_header.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

std::uint32_t Get32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t Get16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// Reads forward in chunks, never past the end of the file: an enciphered cabinet's reader fails
// a request that reaches past its last block.
class Reader {
public:
    Reader(mspack_system* system, mspack_file* file, long size) : system_(system), file_(file), size_(size) {}

    bool Seek(long position) {
        if (position < 0 || position > size_ || system_->seek(file_, position, MSPACK_SYS_SEEK_START)) return false;
        position_ = position;
        next_ = used_ = 0;
        return true;
    }
    bool Get(unsigned char* out, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            if (!Byte(&out[i])) return false;
        return true;
    }
    bool Byte(unsigned char* out) {
        if (next_ == used_) {
            const long want = std::min<long>(sizeof buffer_, size_ - position_);
            if (want <= 0) return false;
            const int got = system_->read(file_, buffer_, static_cast<int>(want));
            if (got <= 0) return false;
            position_ += got;
            next_ = 0;
            used_ = static_cast<std::size_t>(got);
        }
        *out = buffer_[next_++];
        return true;
    }

private:
    mspack_system* system_;
    mspack_file* file_;
    long size_;
    long position_ = 0;
    unsigned char buffer_[4096];
    std::size_t next_ = 0, used_ = 0;
};

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
        auto reader = std::make_unique<Reader>(system, file, static_cast<long>(size));
        unsigned char header[36];
        if (!reader->Get(header, sizeof header) || std::memcmp(header, "MSCF", 4) != 0) break;
        const std::uint32_t filesAt = Get32(header + 16);
        const std::uint16_t count = Get16(header + 28);
        if (!reader->Seek(static_cast<long>(filesAt))) break;
        places->reserve(count);
        bool whole = true;
        for (std::uint16_t i = 0; i < count && whole; ++i) {
            unsigned char entry[16];
            if (!reader->Get(entry, sizeof entry)) {
                whole = false;
                break;
            }
            places->push_back(MemberPlace{Get16(entry + 8)});
            unsigned char c = 1;
            for (int length = 0; c != 0; ++length)
                if (length > 256 || !reader->Byte(&c)) {
                    whole = false;
                    break;
                }
        }
        ok = whole;
    } while (false);
    system->close(file);
    return ok;
}
