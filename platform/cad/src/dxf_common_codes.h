// The group codes of the part every entity shares, in front of its class's own subclass: the
// handle, reactors, owner, linetype, layer, linetype scale, visibility, colour and space, as the
// DXF reference lists them and as our objects and entities read and write them themselves. The
// lineweight (370) belongs to that part too, but our entities do not hold it: it is kept as read.
#pragma once

namespace platform::cad {

constexpr int kLineweightCode = 370;

inline bool IsCommonEntityCode(int code)
{
    switch (code) {
    case 5:
    case 102:
    case 330:
    case 360:
    case 6:
    case 8:
    case 48:
    case 60:
    case 62:
    case 67:
        return true;
    default:
        return false;
    }
}

}  // namespace platform::cad
