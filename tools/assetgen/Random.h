#pragma once
// A fixed pseudo-random generator (SplitMix64) with its own distributions, so
// every asset comes out bit-identical on every run, unlike the standard
// library's distributions, whose output is not specified.

#include <cmath>
#include <cstdint>

namespace assetgen {

class Random {
public:
    explicit Random(std::uint64_t seed) : state(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    float range(float lo, float hi) { return lo + (hi - lo) * static_cast<float>(uniform()); }

    // Uniform integer in [0, n).
    int below(int n) { return static_cast<int>(uniform() * n); }

    bool chance(double p) { return uniform() < p; }

    // Standard normal deviate (Box-Muller; the second value is dropped to keep
    // the sequence simple to reason about).
    float normal() {
        const double u1 = 1.0 - uniform();
        const double u2 = uniform();
        return static_cast<float>(std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2));
    }

    // Exponentially distributed waiting time with the given mean.
    double exponential(double mean) { return -mean * std::log(1.0 - uniform()); }

    // An independent generator whose sequence depends only on this one's seed
    // and the salt, for work that must not disturb the caller's sequence.
    Random fork(std::uint64_t salt) { return Random(next() ^ (salt * 0xD1B54A32D192ED03ull)); }

private:
    std::uint64_t state;
};

} // namespace assetgen
