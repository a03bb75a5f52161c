// A tuft of wild grass for the ground-cover cards: blades rising from a
// clump at the bottom edge, arching and spreading, on a transparent ground.

#include <algorithm>
#include <cmath>

#include "Paint.h"
#include "Random.h"
#include "SurfaceTexture.h"

namespace assetgen {

namespace {

using glm::vec2;
using glm::vec3;
using paint::mix;

const vec3 kGrassFill(0.13f, 0.17f, 0.07f);

} // namespace

SurfaceTexture paintGrassTuft(int size, std::uint32_t seed) {
    SurfaceTexture out{Image(size, size, glm::vec4(kGrassFill, 0.0f)), ScalarField(size, size), false};
    Random random(seed);
    const float s = static_cast<float>(size);
    for (int blade = 0; blade < 170; ++blade) {
        const float spread = random.normal() * 0.11f;
        vec2 point(s * (0.5f + spread * 0.6f), 0.0f);
        const float lean = spread * 2.2f + random.range(-0.25f, 0.25f);
        const float length = s * random.range(0.45f, 0.95f) * (1.0f - std::abs(spread));
        const float droop = random.range(0.2f, 1.2f) * (lean > 0.0f ? 1.0f : -1.0f);
        const float width = random.range(2.2f, 4.0f) * s / 512.0f;
        const float dry = paint::smoothstep(0.7f, 1.0f, static_cast<float>(random.uniform()));
        const vec3 green = mix(vec3(0.07f, 0.13f, 0.04f), vec3(0.20f, 0.29f, 0.09f), static_cast<float>(random.uniform()));
        const vec3 colour = mix(green, vec3(0.42f, 0.38f, 0.20f), dry);
        const int segments = 10;
        for (int k = 0; k < segments; ++k) {
            const float t0 = static_cast<float>(k) / segments, t1 = static_cast<float>(k + 1) / segments;
            // The blade arches over as it grows: its angle from upright grows.
            const float angle = lean + droop * t1 * t1;
            const vec2 next = point + vec2(std::sin(angle), std::cos(angle)) * (length / segments);
            paint::stroke(size, size, point, next, width * (1.0f - 0.85f * t0), width * (1.0f - 0.85f * t1), false,
                          [&](int x, int y, float coverage, float) {
                              glm::vec4& texel = out.colour.at(x, y);
                              const vec3 c = colour * (0.55f + 0.6f * t0);
                              texel = glm::vec4(mix(vec3(texel), c, coverage), std::max(texel.a, coverage));
                              out.height.at(x, y) = std::max(out.height.at(x, y), 3.0f * coverage);
                          });
            point = next;
        }
    }
    for (glm::vec4& texel : out.colour.data())
        if (texel.a < 1.0f) texel = glm::vec4(mix(kGrassFill, vec3(texel), texel.a), texel.a);
    return out;
}

} // namespace assetgen
