#include "read_ahead.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

bool ReadAhead::Start() {
    const long at = seek_(hf_, 0, SEEK_CUR);
    const long end = at == -1 ? -1 : seek_(hf_, 0, SEEK_END);
    if (end == -1 || seek_(hf_, at, SEEK_SET) == -1) return false;
    position_ = underlying_ = at;
    size_ = end;
    return true;
}

bool ReadAhead::PlaceAt(long position) {
    if (underlying_ == position) return true;
    if (seek_(hf_, position, SEEK_SET) == -1) return false;
    underlying_ = position;
    return true;
}

long ReadAhead::ReadHere(void* into, long count) {
    if (!PlaceAt(position_)) return -1;
    const UINT asked = static_cast<UINT>(count);
    const UINT read = read_(hf_, into, asked);
    if (read == UINT_MAX || read > asked) {
        underlying_ = -1;  // where a failed read left the file is not known
        return -1;
    }
    underlying_ = position_ + static_cast<long>(read);
    return static_cast<long>(read);
}

int ReadAhead::Read(void* buffer, int bytes) {
    if (bytes < 0) return -1;
    auto* out = static_cast<unsigned char*>(buffer);
    int got = 0;
    while (got < bytes) {
        if (position_ >= blockStart_ && position_ < blockStart_ + blockUsed_) {
            const int taken = static_cast<int>(std::min<long>(bytes - got, blockStart_ + blockUsed_ - position_));
            std::memcpy(out + got, block_.data() + (position_ - blockStart_), static_cast<std::size_t>(taken));
            position_ += taken;
            got += taken;
            continue;
        }
        const long wanted = bytes - got;
        const long ahead = std::min(kBlock, size_ - position_);
        if (wanted < kBlock && ahead > 0) {
            const long filled = ReadHere(block_.data(), ahead);
            if (filled == 0) return got;
            if (filled > 0) {
                blockStart_ = position_;
                blockUsed_ = filled;
                continue;
            }
            // The file refused the block (an enciphered one takes no read into a short last block
            // of its cipher): it is asked for just what was wanted, as it would have been.
        }
        // A large read goes straight to the file, as does one at or past the end seen at the start.
        const long read = ReadHere(out + got, wanted);
        if (read < 0) return -1;
        position_ += read;
        return got + static_cast<int>(read);
    }
    return got;
}

bool ReadAhead::Seek(long offset, int origin) {
    const long base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? position_ : origin == SEEK_END ? size_ : -1;
    if (base < 0 || (offset < 0 && base + offset < 0) || (offset > 0 && base > LONG_MAX - offset)) return false;
    position_ = base + offset;
    return true;
}

void ReadAhead::Settle() { PlaceAt(position_); }
