// Weathered granite for boulders and the stones of the fire ring: a
// crystalline grey crust with a few cracks, dark streaks where rain runs
// off, moss in the hollows and pale lichen rosettes on the tops.

#include <cmath>

#include "Noise.h"
#include "Paint.h"
#include "SurfaceTexture.h"

namespace assetgen {

using glm::vec2;
using glm::vec3;
using paint::mix;
using paint::smoothstep;

SurfaceTexture paintRock(int size, std::uint32_t seed) {
    SurfaceTexture out{Image(size, size), ScalarField(size, size), true};
    ScalarField lichen(size, size), cracks(size, size);
    constexpr int crystals = 190;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const vec2 uv = paint::texelCentre(x, y, size, size);
            const vec2 warp(noise::fractal(uv * 3.0f, {3, 3}, 3, seed + 1), noise::fractal(uv * 3.0f, {3, 3}, 3, seed + 2));
            const float lumps = noise::fractal(uv * 4.0f, {4, 4}, 6, seed + 3, 0.55f);
            const float crack = std::pow(noise::ridged(uv * 3.0f + warp * 0.3f, {3, 3}, 2, seed + 4, 0.4f), 16.0f);

            // Crystals: quartz, feldspar and dark mica, each a few texels across.
            const noise::Cell crystal = noise::cellular(uv * static_cast<float>(crystals), {crystals, crystals}, seed + 5, 1.0f);
            const float kind = noise::lattice(static_cast<int>(crystal.id & 0xFFFF), static_cast<int>(crystal.id >> 16), 2, seed);
            vec3 mineral;
            if (kind < 0.18f) mineral = vec3(0.16f, 0.15f, 0.15f);
            else if (kind < 0.55f) mineral = vec3(0.55f, 0.53f, 0.50f);
            else if (kind < 0.80f) mineral = vec3(0.47f, 0.42f, 0.39f);
            else mineral = vec3(0.62f, 0.61f, 0.59f);

            const float tint = noise::fractal(uv * 2.0f, {2, 2}, 4, seed + 7);
            const vec3 crust = mix(vec3(0.34f, 0.33f, 0.31f), vec3(0.46f, 0.44f, 0.41f), smoothstep(-0.5f, 0.5f, tint + 0.5f * lumps));
            vec3 c = mix(crust, mineral, 0.38f);
            // Rain streaks run down the stone (along v).
            const float streaks = noise::fractal(uv * vec2(22, 2), {22, 2}, 3, seed + 8);
            c *= 1.0f - 0.22f * smoothstep(0.1f, 0.6f, streaks);
            out.colour.at(x, y) = glm::vec4(c, 1.0f);
            out.height.at(x, y) = 40.0f * lumps - 10.0f * crack + 1.2f * (kind < 0.18f ? -1.0f : 0.5f);
            cracks.at(x, y) = crack;
            lichen.at(x, y) = noise::fractal(uv * 7.0f, {7, 7}, 5, seed + 9);
        }
    }

    const ScalarField surroundings = paint::blurred(out.height, 12);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const vec2 uv = paint::texelCentre(x, y, size, size);
            const float hollow = surroundings.at(x, y) - out.height.at(x, y);
            glm::vec4& texel = out.colour.at(x, y);
            vec3 c(texel);
            const float moss = smoothstep(2.0f, 6.0f, hollow + 5.0f * noise::fractal(uv * 10.0f, {10, 10}, 4, seed + 10));
            const vec3 mossColour = mix(vec3(0.08f, 0.12f, 0.05f), vec3(0.17f, 0.22f, 0.08f), noise::lattice(x / 3, y / 3, 4, seed));
            c = mix(c, mossColour, 0.85f * moss);
            const float rosette = smoothstep(0.30f, 0.38f, lichen.at(x, y)) * smoothstep(3.0f, -2.0f, hollow);
            const bool orange = noise::fractal(uv * 4.0f, {4, 4}, 2, seed + 11) > 0.45f;
            const vec3 lichenColour = orange ? vec3(0.58f, 0.44f, 0.22f) : vec3(0.56f, 0.60f, 0.50f);
            const float speckle = 0.85f + 0.3f * noise::lattice(x / 2, y / 2, 5, seed);
            c = mix(c, lichenColour * speckle, 0.8f * rosette);
            out.height.at(x, y) += 1.5f * rosette + 2.0f * moss;
            c *= 1.0f - 0.6f * cracks.at(x, y);
            c *= 1.0f - std::clamp(hollow * 0.03f, 0.0f, 0.3f);
            texel = glm::vec4(c, 1.0f);
        }
    }
    return out;
}

} // namespace assetgen
