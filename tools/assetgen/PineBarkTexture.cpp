// Pine bark: scaly plates split by wide, deep furrows. The plates peel in
// thin layers, grey where weathered and orange-brown where a layer has
// come away, and crack across into smaller scales. Texture v runs along
// the trunk.

#include <cmath>

#include "Noise.h"
#include "Paint.h"
#include "SurfaceTexture.h"

namespace assetgen {

using glm::vec2;
using glm::vec3;
using paint::mix;
using paint::smoothstep;

SurfaceTexture paintPineBark(int size, std::uint32_t seed) {
    SurfaceTexture out{Image(size, size), ScalarField(size, size), true};
    constexpr int columns = 9, rows = 4;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const vec2 uv = paint::texelCentre(x, y, size, size);
            const vec2 warp(noise::fractal(uv * vec2(8, 4), {8, 4}, 4, seed + 1),
                            noise::fractal(uv * vec2(8, 4), {8, 4}, 4, seed + 2));
            const noise::Cell plate = noise::cellular(uv * vec2(columns, rows) + warp * vec2(0.35f, 0.3f), {columns, rows}, seed + 3, 0.85f);
            const float ragged = 0.07f * noise::fractal(uv * vec2(30, 14), {30, 14}, 3, seed + 4);
            const float edge = plate.second - plate.nearest + ragged;
            // Distance into the plate, 0 at the furrow's lip.
            const float into = smoothstep(0.05f, 0.30f, edge);
            const float furrow = 1.0f - smoothstep(0.0f, 0.09f, edge);

            // Scales: each plate cracks across into smaller pieces.
            const noise::Cell scale = noise::cellular(uv * vec2(columns * 2, rows * 5) + warp * 0.5f, {columns * 2, rows * 5}, seed + 5, 0.8f);
            const float scaleCrack = 1.0f - smoothstep(0.0f, 0.07f, scale.second - scale.nearest);

            // Peeled layers: a stepped relief, the lower steps freshly exposed.
            const float layering = noise::fractal(uv * vec2(14, 36), {14, 36}, 4, seed + 6) + 0.6f * noise::lattice(static_cast<int>(scale.id & 0xFFFF), 3, 1, seed);
            const float steps = std::floor(layering * 3.0f + 3.0f) / 3.0f;
            const float peeled = smoothstep(0.15f, 0.35f, -layering + 0.25f);
            const float plateTone = noise::lattice(static_cast<int>(plate.id & 0xFFFF), static_cast<int>(plate.id >> 16), 0, seed);
            const float fibres = noise::fractal(uv * vec2(160, 10), {160, 10}, 2, seed + 7);

            vec3 weathered = mix(vec3(0.30f, 0.27f, 0.25f), vec3(0.40f, 0.35f, 0.31f), plateTone);
            const vec3 fresh = mix(vec3(0.46f, 0.26f, 0.16f), vec3(0.56f, 0.34f, 0.20f), plateTone);
            vec3 c = mix(weathered, fresh, peeled);
            c *= 0.85f + 0.2f * steps * 0.5f + 0.08f * fibres;
            c *= 1.0f - 0.55f * scaleCrack;
            // Plates darken towards their edges as they curl down into the furrow.
            c *= 0.55f + 0.45f * into;
            const vec3 furrowColour = vec3(0.10f, 0.065f, 0.045f) * (0.8f + 0.4f * fibres);
            c = mix(c, furrowColour, furrow);
            out.colour.at(x, y) = glm::vec4(c, 1.0f);
            out.height.at(x, y) = 26.0f * into + 3.0f * steps - 4.0f * scaleCrack + 1.0f * fibres;
        }
    }
    return out;
}

} // namespace assetgen
