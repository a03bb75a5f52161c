// One soft, irregular puff of grey smoke; its alpha falls to zero well
// inside the border, so the sprite never shows its square.

#include <cmath>

#include "EffectTextures.h"
#include "Noise.h"
#include "Paint.h"

namespace assetgen {

using glm::vec2;
using glm::vec3;
using paint::smoothstep;

Image paintSmokePuff(int size, std::uint32_t seed) {
    Image puff(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const vec2 uv = paint::texelCentre(x, y, size, size);
            const vec2 p = uv - 0.5f;
            const float angle = std::atan2(p.y, p.x);
            // The outline wobbles around the circle (a periodic function of
            // the angle), the inside billows.
            const float outline = 0.30f * (1.0f + 0.22f * noise::fractal(vec2(angle / 6.2831853f * 5.0f, 0.5f), {5, 0}, 3, seed + 1));
            const float radius = glm::length(p) / outline;
            const float billows = noise::fractal(uv * 5.0f, {}, 5, seed + 2, 0.55f);
            float density = smoothstep(1.05f, 0.2f, radius) * (0.6f + 0.5f * billows);
            density *= smoothstep(0.5f, 0.38f, glm::length(p)); // zero at the border
            const float alpha = std::clamp(density * 0.95f, 0.0f, 1.0f);
            // Lighter where the billows bulge towards the light.
            const float shade = 0.62f + 0.3f * smoothstep(-0.4f, 0.6f, billows + p.y);
            puff.at(x, y) = glm::vec4(vec3(shade, shade, shade * 1.02f), alpha);
        }
    }
    return puff;
}

} // namespace assetgen
