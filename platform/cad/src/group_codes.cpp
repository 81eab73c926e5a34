#include "platform/cad/group_codes.h"

#include <array>

#include "platform/cad/resbuf.h"

namespace platform::cad {

namespace {
struct Range {
    int first;
    int last;
    GroupValueKind kind;
};

// DXF group code ranges as the DXF reference lists them. Points are whole 3D values in lists, under
// the code of their x value; a y or z group standing alone (as some exporters write XData) is a real.
constexpr Range kRanges[] = {
    {-5, -5, GroupValueKind::Name},     {-4, -4, GroupValueKind::String},   {-3, -3, GroupValueKind::None},
    {-2, -1, GroupValueKind::Name},     {0, 9, GroupValueKind::String},     {10, 18, GroupValueKind::Point},
    {19, 59, GroupValueKind::Real},     {60, 79, GroupValueKind::Int16},    {90, 99, GroupValueKind::Int32},
    {100, 100, GroupValueKind::String}, {102, 102, GroupValueKind::String}, {105, 105, GroupValueKind::String},
    {110, 119, GroupValueKind::Point},  {120, 149, GroupValueKind::Real},   {160, 169, GroupValueKind::Int64},
    {170, 179, GroupValueKind::Int16},  {210, 219, GroupValueKind::Point},  {220, 239, GroupValueKind::Real},
    {270, 289, GroupValueKind::Int16},
    {290, 299, GroupValueKind::Bool},   {300, 309, GroupValueKind::String}, {310, 319, GroupValueKind::Binary},
    {320, 329, GroupValueKind::String}, {330, 369, GroupValueKind::Name},   {370, 389, GroupValueKind::Int16},
    {390, 399, GroupValueKind::Name},   {400, 409, GroupValueKind::Int16},  {410, 419, GroupValueKind::String},
    {420, 429, GroupValueKind::Int32},  {430, 439, GroupValueKind::String}, {440, 459, GroupValueKind::Int32},
    {460, 469, GroupValueKind::Real},   {470, 479, GroupValueKind::String}, {480, 481, GroupValueKind::Name},
    {999, 999, GroupValueKind::String}, {1000, 1003, GroupValueKind::String}, {1004, 1004, GroupValueKind::Binary},
    {1005, 1009, GroupValueKind::String}, {1010, 1019, GroupValueKind::Point}, {1020, 1059, GroupValueKind::Real},
    {1060, 1070, GroupValueKind::Int16}, {1071, 1071, GroupValueKind::Int32},
};

bool RtKind(int code, GroupValueKind& kind)
{
    switch (code) {
    case RTREAL:
    case RTANG:
    case RTORINT:
        kind = GroupValueKind::Real;
        return true;
    case RTPOINT:
    case RT3DPOINT:
        kind = GroupValueKind::Point;
        return true;
    case RTSHORT:
        kind = GroupValueKind::Int16;
        return true;
    case RTLONG:
        kind = GroupValueKind::Int32;
        return true;
    case RTSTR:
    case RTDXF0:
        kind = GroupValueKind::String;
        return true;
    case RTENAME:
    case RTPICKS:
        kind = GroupValueKind::Name;
        return true;
    case RTNONE:
    case RTVOID:
    case RTLB:
    case RTLE:
    case RTDOTE:
    case RTNIL:
    case RTT:
        kind = GroupValueKind::None;
        return true;
    default:
        return false;
    }
}
}  // namespace

namespace {
GroupValueKind LookUpKind(int code)
{
    GroupValueKind kind;
    if (RtKind(code, kind))
        return kind;
    for (const Range& r : kRanges)
        if (code >= r.first && code <= r.last)
            return r.kind;
    return GroupValueKind::None;
}

constexpr int kTabled = 1072;  // the codes of drawing files, 0 to 1071
}  // namespace

GroupValueKind GroupKindOf(int code)
{
    // Every group of a file asks: the file codes are looked up once.
    static const auto kKinds = [] {
        std::array<GroupValueKind, kTabled> kinds{};
        for (int c = 0; c < kTabled; ++c)
            kinds[static_cast<std::size_t>(c)] = LookUpKind(c);
        return kinds;
    }();
    if (code >= 0 && code < kTabled)
        return kKinds[static_cast<std::size_t>(code)];
    return LookUpKind(code);
}

bool IsPointFollowerCode(int code)
{
    return (code >= 20 && code <= 37) || (code >= 120 && code <= 139) || (code >= 220 && code <= 239) ||
           (code >= 1020 && code <= 1039);
}

namespace {
bool LooksUpKnown(int code)
{
    GroupValueKind kind;
    if (RtKind(code, kind))
        return true;
    for (const Range& r : kRanges)
        if (code >= r.first && code <= r.last)
            return true;
    return false;
}
}  // namespace

bool IsKnownGroupCode(int code)
{
    // Asked for every buffer of a chain handed to the host: the file codes are looked up once.
    static const auto kKnown = [] {
        std::array<bool, kTabled> known{};
        for (int c = 0; c < kTabled; ++c)
            known[static_cast<std::size_t>(c)] = LooksUpKnown(c);
        return known;
    }();
    if (code >= 0 && code < kTabled)
        return kKnown[static_cast<std::size_t>(code)];
    return LooksUpKnown(code);
}

}  // namespace platform::cad
