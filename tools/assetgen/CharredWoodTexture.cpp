// Burning firewood: charcoal checked into blocks (alligatoring), fibrous
// along the grain, with embers glowing in some of the cracks and grey ash
// on the blocks. Texture v runs along the log; the glow is painted into
// the colour so the logs read hot even under the fire light alone.

#include <cmath>

#include "Noise.h"
#include "Paint.h"
#include "SurfaceTexture.h"

namespace assetgen {

using glm::vec2;
using glm::vec3;
using paint::mix;
using paint::smoothstep;

namespace {

vec3 emberColour(float heat) {
    const vec3 dull(0.30f, 0.025f, 0.01f), red(0.80f, 0.12f, 0.02f), orange(1.0f, 0.42f, 0.05f), yellow(1.0f, 0.76f, 0.36f);
    if (heat < 0.4f) return mix(dull, red, heat / 0.4f);
    if (heat < 0.8f) return mix(red, orange, (heat - 0.4f) / 0.4f);
    return mix(orange, yellow, std::min((heat - 0.8f) / 0.2f, 1.0f));
}

} // namespace

SurfaceTexture paintCharredWood(int size, std::uint32_t seed) {
    SurfaceTexture out{Image(size, size), ScalarField(size, size), true};
    constexpr int columns = 10, rows = 16;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const vec2 uv = paint::texelCentre(x, y, size, size);
            const vec2 warp(noise::fractal(uv * 5.0f, {5, 5}, 3, seed + 1), noise::fractal(uv * 5.0f, {5, 5}, 3, seed + 2));
            // Blocks a little longer along the grain than across it.
            const noise::Cell block = noise::cellular(uv * vec2(columns, rows) + warp * 0.45f, {columns, rows}, seed + 3, 0.6f);
            const float edge = block.second - block.nearest + 0.04f * noise::gradient(uv * 60.0f, {60, 60}, seed + 9);
            const float crack = 1.0f - smoothstep(0.02f, 0.085f, edge);
            const float lip = 1.0f - smoothstep(0.07f, 0.22f, edge);
            const float blockTone = noise::lattice(static_cast<int>(block.id & 0xFFFF), 1, 2, seed);
            const float fibres = noise::fractal(uv * vec2(70, 6), {70, 6}, 3, seed + 5);
            const float sheen = noise::fractal(uv * 18.0f, {18, 18}, 3, seed + 4);

            vec3 coal = mix(vec3(0.028f, 0.025f, 0.024f), vec3(0.095f, 0.092f, 0.09f), smoothstep(-0.2f, 0.7f, sheen + 0.5f * fibres));
            coal *= 0.8f + 0.35f * blockTone;
            const float ash = smoothstep(0.3f, 0.65f, noise::fractal(uv * 4.0f, {4, 4}, 5, seed + 6) + 0.35f * blockTone - 0.2f * lip);
            coal = mix(coal, vec3(0.50f, 0.48f, 0.46f) * (0.75f + 0.35f * sheen), 0.85f * ash);

            // Heat gathers in patches; inside them only the cracks glow
            // brightly, and the hottest patches redden the block edges.
            const float heatField = smoothstep(-0.25f, 0.4f, noise::fractal(uv * 3.0f, {3, 3}, 4, seed + 7));
            const float flicker = 0.6f + 0.4f * noise::fractal(uv * 24.0f, {24, 24}, 2, seed + 8);
            const float crackHeat = std::clamp(heatField * flicker * 1.15f, 0.0f, 1.0f);
            vec3 c = mix(coal, vec3(0.015f, 0.01f, 0.01f), lip * 0.6f);
            c = mix(c, emberColour(0.2f), heatField * lip * (1.0f - crack) * 0.5f * (1.0f - ash));
            const vec3 glowingCrack = mix(vec3(0.02f, 0.012f, 0.01f), emberColour(crackHeat), smoothstep(0.08f, 0.4f, crackHeat));
            c = mix(c, glowingCrack, crack);
            out.colour.at(x, y) = glm::vec4(c, 1.0f);
            out.height.at(x, y) = 12.0f * (1.0f - lip) + 6.0f * (1.0f - crack) + 2.0f * fibres + 1.0f * sheen;
        }
    }
    return out;
}

} // namespace assetgen
