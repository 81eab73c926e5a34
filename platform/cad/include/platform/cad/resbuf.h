// Result buffers: the host's linked lists of typed values, with its type and status codes.
//
// Strings and binary chunks in a chain are heap blocks owned by the chain (malloc); acutRelRb
// frees them with the chain.
#pragma once

#include <cstdint>

using ads_real = double;
using ads_point = ads_real[3];
using ads_name = std::int64_t[2];
using ads_namep = std::int64_t*;

// Value types of result buffers (restype when no DXF group code applies).
constexpr int RTNONE = 5000;
constexpr int RTREAL = 5001;
constexpr int RTPOINT = 5002;
constexpr int RTSHORT = 5003;
constexpr int RTANG = 5004;
constexpr int RTSTR = 5005;
constexpr int RTENAME = 5006;
constexpr int RTPICKS = 5007;
constexpr int RTORINT = 5008;
constexpr int RT3DPOINT = 5009;
constexpr int RTLONG = 5010;
constexpr int RTVOID = 5014;
constexpr int RTLB = 5016;
constexpr int RTLE = 5017;
constexpr int RTDOTE = 5018;
constexpr int RTNIL = 5019;
constexpr int RTDXF0 = 5020;
constexpr int RTT = 5021;
constexpr int RTRESBUF = 5023;

// Status codes of host calls.
constexpr int RTNORM = 5100;
constexpr int RTERROR = -5001;
constexpr int RTCAN = -5002;
constexpr int RTREJ = -5003;
constexpr int RTFAIL = -5004;
constexpr int RTKWORD = -5005;
constexpr int RTINPUTTRUNCATED = -5008;

struct ads_binary {
    short clen;
    char* buf;
};

union ads_u_val {
    ads_real rreal;
    ads_real rpoint[3];
    short rint;
    char* rstring;
    std::int64_t rlname[2];
    std::int64_t rlong;
    std::int64_t mnInt64;
    ads_binary rbinary;
    unsigned char ihandle[8];
};

struct resbuf {
    resbuf* rbnext;
    short restype;
    ads_u_val resval;
};

// Entity names and points are small arrays; these copy and compare them.
inline void ads_name_set(const ads_name from, ads_name to)
{
    to[0] = from[0];
    to[1] = from[1];
}
inline void ads_name_clear(ads_name name)
{
    name[0] = 0;
    name[1] = 0;
}
inline bool ads_name_nil(const ads_name name) { return name[0] == 0 && name[1] == 0; }
inline bool ads_name_equal(const ads_name a, const ads_name b) { return a[0] == b[0] && a[1] == b[1]; }
inline void ads_point_set(const ads_point from, ads_point to)
{
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
}

// A new buffer of the type with a zero value, or null for memory exhaustion.
resbuf* acutNewRb(int type);
// Frees a whole chain with its strings and binary chunks. Returns RTNORM.
int acutRelRb(resbuf* rb);
// A copy of a string on the heap, for storing in a result buffer.
char* acutNewString(const char* text);
// Builds a chain from (type, value) pairs ended by 0: strings as const char*, reals as double,
// points as ads_point, 16-bit values as int, 32-bit values as long, names as ads_name, binary
// chunks as const ads_binary*; the list ends at 0 or RTNONE. Null when a type is unknown or a
// string is null.
resbuf* acutBuildList(int type, ...);
