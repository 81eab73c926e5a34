// The generator's own random source: splitmix64 with its own conversions, so that one seed gives
// the same drawing with any standard library (the standard distributions are not portable).
#pragma once

#include <cstdint>

namespace makedrawing {

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // In [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Between(double low, double high) { return low + (high - low) * Unit(); }
    // In [low, high].
    int Int(int low, int high)
    {
        return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1));
    }
    bool Chance(double rate) { return rate > 0 && Unit() < rate; }

private:
    std::uint64_t state_;
};

}  // namespace makedrawing
