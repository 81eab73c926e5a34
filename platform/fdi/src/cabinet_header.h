// The folder index of each member, read from the cabinet's file table: libmspack does not say
// which members continue from the previous cabinet or into the next.
#pragma once
#include <mspack.h>

#include <cstdint>
#include <vector>

struct MemberPlace {
    std::uint16_t folder;
};

// False when the table cannot be read whole.
bool ReadMemberPlaces(mspack_system* system, const char* path, std::vector<MemberPlace>* places);
