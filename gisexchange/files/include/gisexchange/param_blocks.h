// The parameter blocks of MapGIS points, lines and areas: little-endian whatever the machine,
// zero where nothing is set.
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/gis/bas60.h"

namespace gisexchange {

template <std::size_t N>
struct ParamBlock {
    BYTE bytes[N] = {};
    void Put32(std::size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<BYTE>(v >> (8 * i));
    }
    void Put16(std::size_t at, std::uint16_t v)
    {
        bytes[at] = static_cast<BYTE>(v);
        bytes[at + 1] = static_cast<BYTE>(v >> 8);
    }
    void PutFloat(std::size_t at, float v)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        Put32(at, bits);
    }
    void PutDouble(std::size_t at, double v)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &v, 8);
        Put32(at, static_cast<std::uint32_t>(bits));
        Put32(at + 4, static_cast<std::uint32_t>(bits >> 32));
    }
};
using PointParams = ParamBlock<GIS_POINT_PARAM_SIZE>;
using LineParams = ParamBlock<GIS_LINE_PARAM_SIZE>;
using AreaParams = ParamBlock<GIS_AREA_PARAM_SIZE>;

}  // namespace gisexchange
