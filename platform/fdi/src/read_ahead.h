// A cabinet read through the caller's callbacks a block at a time. libmspack reads a cabinet's
// headers a few bytes at a time and seeks back after every member's name, so without it each
// member of a large cabinet would cost the caller several reads and seeks, at every opening.
#pragma once

#include <array>

#include "platform/fdi/fdi.h"

class ReadAhead {
public:
    ReadAhead(PFNREAD read, PFNSEEK seek, INT_PTR hf) : read_(read), seek_(seek), hf_(hf) {}

    // Learns where the file stands and how long it is; false when the file cannot seek.
    bool Start();
    // As read(2): the bytes got, 0 at the end, -1 on an error.
    int Read(void* buffer, int bytes);
    // As the callback's seek; false when the place would lie before the start.
    bool Seek(long offset, int origin);
    long Tell() const { return position_; }
    // Leaves the caller's file where the reads stopped, as if every read had gone to it.
    void Settle();

private:
    bool PlaceAt(long position);
    // Reads up to count bytes at the current place, not moving it; -1 on an error.
    long ReadHere(void* into, long count);

    static constexpr long kBlock = 16384;
    PFNREAD read_;
    PFNSEEK seek_;
    INT_PTR hf_;
    std::array<unsigned char, kBlock> block_;
    long blockStart_ = 0;   // the file's place of the block's first byte
    long blockUsed_ = 0;
    long position_ = 0;     // where the next read starts
    long underlying_ = 0;   // where the caller's file stands
    long size_ = 0;
};
