// The host's 256-colour index palette.
#pragma once

#include <cstdint>

// The colour of an index 0..255 as 0x00BBGGRR (red in the lowest byte); 0 for other indexes.
std::uint32_t acedGetRGB(int colorIndex);
