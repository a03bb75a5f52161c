// Tent canvas: a plain weave of olive cotton duck, with uneven threads,
// fading and grime towards the ground. Texture v runs up the tent wall.

#include <cmath>

#include "Noise.h"
#include "Paint.h"
#include "SurfaceTexture.h"

namespace assetgen {

using glm::vec2;
using glm::vec3;
using paint::mix;
using paint::smoothstep;

SurfaceTexture paintCanvas(int size, std::uint32_t seed) {
    SurfaceTexture out{Image(size, size), ScalarField(size, size), true};
    constexpr int threads = 128;
    const float pitch = static_cast<float>(size) / threads;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const vec2 uv = paint::texelCentre(x, y, size, size);
            // Threads wander a little across their lane.
            const float fx = (static_cast<float>(x) + 0.5f) / pitch + 0.18f * noise::gradient(uv * vec2(8, 64), {8, 64}, seed + 1);
            const float fy = (static_cast<float>(y) + 0.5f) / pitch + 0.18f * noise::gradient(uv * vec2(64, 8), {64, 8}, seed + 2);
            const int column = static_cast<int>(std::floor(fx)), row = static_cast<int>(std::floor(fy));
            const float across = fx - std::floor(fx), up = fy - std::floor(fy);
            const bool warpOnTop = ((column + row) & 1) == 0;
            // Each thread is a rounded ridge; the one on top at this crossing
            // shows, arching over the crossing thread.
            const float warpRidge = std::sin(3.1415927f * across) * (0.6f + 0.4f * std::sin(3.1415927f * up));
            const float weftRidge = std::sin(3.1415927f * up) * (0.6f + 0.4f * std::sin(3.1415927f * across));
            const float ridge = warpOnTop ? warpRidge : weftRidge;
            const float threadTone = noise::lattice(warpOnTop ? column : row, warpOnTop ? 0 : 1, 5, seed);

            vec3 cloth = mix(vec3(0.29f, 0.30f, 0.19f), vec3(0.37f, 0.37f, 0.24f), threadTone);
            cloth *= 0.62f + 0.45f * ridge;
            const float fade = noise::fractal(uv * 2.0f, {2, 2}, 4, seed + 3);
            cloth = mix(cloth, cloth * vec3(1.15f, 1.12f, 1.05f), smoothstep(0.0f, 0.6f, fade));
            const float grime = smoothstep(0.35f, 0.0f, uv.y) * (0.5f + 0.5f * noise::fractal(uv * 6.0f, {6, 6}, 4, seed + 4));
            const float stains = smoothstep(0.45f, 0.7f, noise::fractal(uv * 3.0f, {3, 3}, 5, seed + 5));
            cloth = mix(cloth, vec3(0.16f, 0.13f, 0.09f), 0.45f * grime + 0.25f * stains);
            out.colour.at(x, y) = glm::vec4(cloth, 1.0f);
            out.height.at(x, y) = 1.6f * ridge + 0.6f * fade;
        }
    }
    return out;
}

} // namespace assetgen
