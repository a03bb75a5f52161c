// Tent canvas: olive cotton duck, its fine plain weave only a texture of
// the cloth, with soft wrinkles, a stitched seam, fading and grime towards
// the ground. Texture v runs up the tent wall.

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
    constexpr int threads = 256;
    const float pitch = static_cast<float>(size) / threads;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const vec2 uv = paint::texelCentre(x, y, size, size);
            // The weave: each crossing shows the thread that lies on top.
            const float fx = (static_cast<float>(x) + 0.5f) / pitch, fy = (static_cast<float>(y) + 0.5f) / pitch;
            const int column = static_cast<int>(fx), row = static_cast<int>(fy);
            const float across = fx - std::floor(fx), up = fy - std::floor(fy);
            const bool warpOnTop = ((column + row) & 1) == 0;
            const float ridge = std::sin(3.1415927f * (warpOnTop ? across : up));
            const float slub = noise::lattice(warpOnTop ? column : row, warpOnTop ? 0 : 1, 5, seed);

            // Wrinkles hang down the wall from where the cloth is pulled.
            const float wrinkles = noise::fractal(uv * vec2(9, 2), {9, 2}, 3, seed + 1);
            const float fade = noise::fractal(uv * 2.0f, {2, 2}, 4, seed + 3);
            vec3 cloth = mix(vec3(0.29f, 0.30f, 0.19f), vec3(0.35f, 0.35f, 0.23f), smoothstep(-0.5f, 0.5f, fade));
            cloth *= 0.94f + 0.06f * ridge + 0.05f * (slub - 0.5f);
            cloth *= 0.9f + 0.16f * smoothstep(-0.6f, 0.6f, wrinkles);

            // A seam across the wall, two rows of stitches beside a fold.
            const float seamV = std::abs(uv.y - 0.5f);
            const float seam = 1.0f - smoothstep(0.003f, 0.008f, seamV);
            const float stitches = (1.0f - smoothstep(0.0f, 0.0015f, std::abs(seamV - 0.012f))) *
                                   smoothstep(0.3f, 0.5f, std::sin(uv.x * 6.2831853f * 160.0f));
            cloth *= 1.0f - 0.25f * seam;
            cloth = mix(cloth, vec3(0.22f, 0.21f, 0.15f), 0.6f * stitches);

            // Grime splashes up from the ground and gathers in stains.
            const float grime = smoothstep(0.3f, 0.0f, uv.y) * (0.5f + 0.5f * noise::fractal(uv * 6.0f, {6, 6}, 4, seed + 4));
            const float stains = smoothstep(0.45f, 0.7f, noise::fractal(uv * 3.0f, {3, 3}, 5, seed + 5));
            cloth = mix(cloth, vec3(0.15f, 0.12f, 0.08f), 0.5f * grime + 0.25f * stains);
            out.colour.at(x, y) = glm::vec4(cloth, 1.0f);
            out.height.at(x, y) = 0.5f * ridge + 12.0f * wrinkles - 2.0f * seam + 0.6f * stitches;
        }
    }
    return out;
}

} // namespace assetgen
