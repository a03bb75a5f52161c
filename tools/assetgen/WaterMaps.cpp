// Ripples on the pool: one tileable height field of wind ripples and small
// wave trains, turned into the distortion map (slopes around 0.5) and the
// normal map the water shader reads.

#include <cmath>

#include "EffectTextures.h"
#include "Noise.h"
#include "Paint.h"

namespace assetgen {

using glm::vec2;
using glm::vec3;

WaterMaps paintWaterMaps(int size, std::uint32_t seed) {
    ScalarField height(size, size);
    struct Wave {
        int kx, ky;
        float amplitude, phase;
    };
    // Whole numbers of cycles across the tile keep every train tileable.
    const Wave waves[] = {{3, 1, 0.9f, 0.3f}, {-2, 3, 0.7f, 1.7f}, {5, -2, 0.45f, 4.1f}, {1, 6, 0.35f, 2.6f}, {-7, 4, 0.22f, 0.9f}};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const vec2 uv = paint::texelCentre(x, y, size, size);
            float h = 2.2f * noise::fractal(uv * 6.0f, {6, 6}, 5, seed + 1, 0.5f);
            for (const Wave& w : waves)
                h += w.amplitude * std::sin(6.2831853f * (w.kx * uv.x + w.ky * uv.y) + w.phase +
                                            0.8f * noise::gradient(uv * 3.0f, {3, 3}, seed + 2));
            height.at(x, y) = h * static_cast<float>(size) / 128.0f;
        }
    }
    WaterMaps maps{Image(size, size), paint::normalMapFromHeight(height, 1.0f)};
    // Central differences of a periodic field average to zero, so the map is
    // centred on 0.5 by construction.
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float du = (height.wrapped(x + 1, y) - height.wrapped(x - 1, y)) * 0.5f;
            const float dv = (height.wrapped(x, y + 1) - height.wrapped(x, y - 1)) * 0.5f;
            maps.distortion.at(x, y) = glm::vec4(0.5f + 0.35f * du, 0.5f + 0.35f * dv, 0.0f, 1.0f);
        }
    }
    return maps;
}

} // namespace assetgen
