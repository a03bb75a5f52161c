#include "Noise.h"

#include <cmath>

#include <glm/geometric.hpp>

namespace assetgen::noise {

namespace {

int wrap(int i, int period) {
    if (period <= 0) return i;
    const int m = i % period;
    return m < 0 ? m + period : m;
}

float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

float lerp(float a, float b, float t) { return a + (b - a) * t; }

glm::vec2 gradient2At(int x, int y, std::uint32_t seed) {
    const float angle = lattice(x, y, 0, seed) * 6.2831853f;
    return {std::cos(angle), std::sin(angle)};
}

// Twelve edge directions of a cube, the classic set for 3D gradient noise.
glm::vec3 gradient3At(int x, int y, int z, std::uint32_t seed) {
    static const glm::vec3 directions[12] = {{1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0},
                                             {1, 0, 1}, {-1, 0, 1}, {1, 0, -1}, {-1, 0, -1},
                                             {0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1}};
    return directions[hash(x, y, z, seed) % 12u];
}

Period scaled(Period p, int factor) { return {p.x * factor, p.y * factor, p.z * factor}; }

} // namespace

std::uint32_t hash(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

std::uint32_t hash(int x, int y, int z, std::uint32_t seed) {
    std::uint32_t h = hash(seed ^ 0x9E3779B9u);
    h = hash(h ^ static_cast<std::uint32_t>(x));
    h = hash(h ^ static_cast<std::uint32_t>(y) * 0x85EBCA6Bu);
    h = hash(h ^ static_cast<std::uint32_t>(z) * 0xC2B2AE35u);
    return h;
}

float lattice(int x, int y, int z, std::uint32_t seed) {
    return static_cast<float>(hash(x, y, z, seed) >> 8) * (1.0f / 16777216.0f);
}

float gradient(glm::vec2 p, Period period, std::uint32_t seed) {
    const float fx = std::floor(p.x), fy = std::floor(p.y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float dx = p.x - fx, dy = p.y - fy;
    auto corner = [&](int cx, int cy) {
        const glm::vec2 g = gradient2At(wrap(ix + cx, period.x), wrap(iy + cy, period.y), seed);
        return g.x * (dx - cx) + g.y * (dy - cy);
    };
    const float u = fade(dx), v = fade(dy);
    const float value = lerp(lerp(corner(0, 0), corner(1, 0), u), lerp(corner(0, 1), corner(1, 1), u), v);
    return value * 1.41421356f;
}

float gradient(glm::vec3 p, Period period, std::uint32_t seed) {
    const glm::vec3 f = glm::floor(p);
    const int ix = static_cast<int>(f.x), iy = static_cast<int>(f.y), iz = static_cast<int>(f.z);
    const glm::vec3 d = p - f;
    auto corner = [&](int cx, int cy, int cz) {
        const glm::vec3 g = gradient3At(wrap(ix + cx, period.x), wrap(iy + cy, period.y),
                                        wrap(iz + cz, period.z), seed);
        return glm::dot(g, d - glm::vec3(cx, cy, cz));
    };
    const float u = fade(d.x), v = fade(d.y), w = fade(d.z);
    const float z0 = lerp(lerp(corner(0, 0, 0), corner(1, 0, 0), u), lerp(corner(0, 1, 0), corner(1, 1, 0), u), v);
    const float z1 = lerp(lerp(corner(0, 0, 1), corner(1, 0, 1), u), lerp(corner(0, 1, 1), corner(1, 1, 1), u), v);
    return lerp(z0, z1, w);
}

namespace {

// Octaves of gradient noise at doubling frequency, in 2D or 3D alike.
template <typename Point>
float fractalOf(Point p, Period period, int octaves, std::uint32_t seed, float gain) {
    float sum = 0.0f, amplitude = 1.0f, norm = 0.0f;
    for (int k = 0; k < octaves; ++k) {
        const int factor = 1 << k;
        sum += amplitude * gradient(p * static_cast<float>(factor), scaled(period, factor), seed + 131u * k);
        norm += amplitude;
        amplitude *= gain;
    }
    return sum / norm;
}

} // namespace

float fractal(glm::vec2 p, Period period, int octaves, std::uint32_t seed, float gain) {
    return fractalOf(p, period, octaves, seed, gain);
}

float fractal(glm::vec3 p, Period period, int octaves, std::uint32_t seed, float gain) {
    return fractalOf(p, period, octaves, seed, gain);
}

float ridged(glm::vec2 p, Period period, int octaves, std::uint32_t seed, float gain) {
    float sum = 0.0f, amplitude = 1.0f, norm = 0.0f;
    for (int k = 0; k < octaves; ++k) {
        const int factor = 1 << k;
        const float n = gradient(p * static_cast<float>(factor), scaled(period, factor), seed + 977u * k);
        const float ridge = 1.0f - std::abs(n);
        sum += amplitude * ridge * ridge;
        norm += amplitude;
        amplitude *= gain;
    }
    return sum / norm;
}

Cell cellular(glm::vec2 p, Period period, std::uint32_t seed, float jitter) {
    const float fx = std::floor(p.x), fy = std::floor(p.y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    Cell cell;
    cell.nearest = cell.second = 1e9f;
    for (int cy = -1; cy <= 1; ++cy) {
        for (int cx = -1; cx <= 1; ++cx) {
            const int wx = wrap(ix + cx, period.x), wy = wrap(iy + cy, period.y);
            const std::uint32_t h = hash(wx, wy, 7, seed);
            const glm::vec2 jitterOffset(static_cast<float>(h & 0xFFFFu) / 65535.0f,
                                         static_cast<float>(h >> 16) / 65535.0f);
            const glm::vec2 point = glm::vec2(fx + cx, fy + cy) + 0.5f + (jitterOffset - 0.5f) * jitter;
            const glm::vec2 offset = point - p;
            const float distance = glm::length(offset);
            if (distance < cell.nearest) {
                cell.second = cell.nearest;
                cell.nearest = distance;
                cell.id = h;
                cell.toNearest = offset;
            } else if (distance < cell.second) {
                cell.second = distance;
            }
        }
    }
    return cell;
}

} // namespace assetgen::noise
