#include "platform/cad/color_palette.h"

#include <array>
#include <cmath>

namespace {
struct Rgb {
    int r, g, b;
};

// The host's index colours as the published table gives them: 0 (by block) shows as white, 1-9
// named colours, 10-249 twenty-four hues in five brightness levels
// (255, 204, 153, 127, 76), each full and pale (halfway to white), 250-255 greys.
Rgb IndexColor(int index)
{
    static const Rgb named[10] = {{255, 255, 255},       {255, 0, 0},   {255, 255, 0}, {0, 255, 0},     {0, 255, 255},
                                  {0, 0, 255},     {255, 0, 255}, {255, 255, 255}, {128, 128, 128}, {192, 192, 192}};
    if (index < 10)
        return named[index];
    if (index >= 250) {
        static const int greys[6] = {51, 91, 132, 173, 214, 255};
        int g = greys[index - 250];
        return {g, g, g};
    }
    int hue = index / 10 - 1;  // 0..23, 15 degrees each
    int variant = index % 10;
    double h = hue * 15.0;
    int sector = static_cast<int>(h / 60);
    double f = (h - sector * 60) / 60 * 255;
    double r = 0, g = 0, b = 0;
    switch (sector) {
    case 0: r = 255, g = f, b = 0; break;
    case 1: r = 255 - f, g = 255, b = 0; break;
    case 2: r = 0, g = 255, b = f; break;
    case 3: r = 0, g = 255 - f, b = 255; break;
    case 4: r = f, g = 0, b = 255; break;
    default: r = 255, g = 0, b = 255 - f; break;
    }
    if (variant % 2 == 1) {
        r += (255 - r) / 2;
        g += (255 - g) / 2;
        b += (255 - b) / 2;
    }
    static const double levels[5] = {255, 204, 153, 127, 76};
    double scale = levels[variant / 2] / 255;
    auto channel = [&](double v) { return static_cast<int>(std::floor(v * scale + 1e-9)); };
    return {channel(r), channel(g), channel(b)};
}
}  // namespace

std::uint32_t acedGetRGB(int colorIndex)
{
    if (colorIndex < 0 || colorIndex > 255)
        return 0;
    Rgb c = IndexColor(colorIndex);
    return static_cast<std::uint32_t>(c.r) | (static_cast<std::uint32_t>(c.g) << 8) |
           (static_cast<std::uint32_t>(c.b) << 16);
}
