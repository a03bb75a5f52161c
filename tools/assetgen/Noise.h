#pragma once
// Lattice noise for the procedural textures: gradient (Perlin-style) noise,
// fractal sums of it and cellular (Worley) noise. Every function can wrap its
// lattice with an integer period, which makes textures tile seamlessly and
// sprite animations loop.

#include <cstdint>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

namespace assetgen::noise {

std::uint32_t hash(std::uint32_t x);
std::uint32_t hash(int x, int y, int z, std::uint32_t seed);

// Hash of a lattice point mapped to [0, 1).
float lattice(int x, int y, int z, std::uint32_t seed);

// Lattice periods per axis; 0 means the axis does not wrap.
struct Period {
    int x = 0;
    int y = 0;
    int z = 0;
};

// Gradient noise in about [-1, 1].
float gradient(glm::vec2 p, Period period, std::uint32_t seed);
float gradient(glm::vec3 p, Period period, std::uint32_t seed);

// Fractal sum of gradient noise: octave k runs at frequency 2^k and, when
// the base period is set, wraps with period 2^k times it, so the sum tiles
// exactly like its first octave. Normalised to about [-1, 1].
float fractal(glm::vec2 p, Period period, int octaves, std::uint32_t seed, float gain = 0.5f);
float fractal(glm::vec3 p, Period period, int octaves, std::uint32_t seed, float gain = 0.5f);

// Ridged fractal: sharp creases where the noise crosses zero, in [0, 1].
float ridged(glm::vec2 p, Period period, int octaves, std::uint32_t seed, float gain = 0.5f);

struct Cell {
    float nearest = 0.0f;  // distance to the closest feature point
    float second = 0.0f;   // distance to the second closest
    std::uint32_t id = 0;  // hash of the closest point's cell, stable per cell
    glm::vec2 toNearest{}; // vector from p to the closest point
};

// Cellular noise with one jittered feature point per unit cell.
Cell cellular(glm::vec2 p, Period period, std::uint32_t seed, float jitter = 0.9f);

} // namespace assetgen::noise
