#include "platform/gis/mapdsp60.h"

#include <array>

namespace {

struct Colour {
    short number;
    int red, green, blue;
};

// The fixed colour table; README.md lists it.
constexpr std::array<Colour, 16> kColours{{
    {1, 0, 0, 0},       {2, 255, 0, 0},     {3, 0, 255, 0},     {4, 0, 0, 255},
    {5, 255, 255, 0},   {6, 255, 0, 255},   {7, 0, 255, 255},   {8, 255, 255, 255},
    {9, 128, 128, 128}, {10, 128, 0, 0},    {11, 0, 128, 0},    {12, 0, 0, 128},
    {13, 128, 128, 0},  {14, 128, 0, 128},  {15, 0, 128, 128},  {16, 192, 192, 192},
}};

}  // namespace

short GisColorNumber(int red, int green, int blue)
{
    short best = kColours[0].number;
    long bestDistance = -1;
    for (const Colour& colour : kColours) {
        const long dr = red - colour.red, dg = green - colour.green, db = blue - colour.blue;
        const long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = colour.number;
        }
    }
    return best;
}
