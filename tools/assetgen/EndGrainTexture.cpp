// The sawn face of a log: growth rings around the pith, darker heartwood,
// drying checks running in from the edge and a rim of bark. Mapped onto log
// ends with the pith at the texture centre and the bark at radius 0.5.

#include <cmath>

#include "Noise.h"
#include "Paint.h"
#include "Random.h"
#include "SurfaceTexture.h"

namespace assetgen {

using glm::vec2;
using glm::vec3;
using paint::mix;
using paint::smoothstep;

SurfaceTexture paintEndGrain(int size, std::uint32_t seed) {
    SurfaceTexture out{Image(size, size), ScalarField(size, size), false};
    Random random(seed);
    struct Check {
        float angle, depth, width;
    };
    std::vector<Check> checks;
    for (int i = 0; i < 6; ++i)
        checks.push_back({random.range(0.0f, 6.2831853f), random.range(0.12f, 0.35f), random.range(0.004f, 0.009f)});

    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const vec2 uv = paint::texelCentre(x, y, size, size);
            const vec2 p = uv - 0.5f;
            const float angle = std::atan2(p.y, p.x);
            float radius = glm::length(p);
            radius *= 1.0f + 0.05f * noise::fractal(p * 3.0f, {}, 3, seed + 1);
            radius += 0.004f * noise::fractal(p * 14.0f, {}, 2, seed + 2);

            // Ring widths vary year to year.
            const float years = radius * 64.0f + 2.5f * noise::fractal(vec2(radius * 9.0f, 0.5f), {}, 2, seed + 3);
            const float phase = years - std::floor(years);
            const float latewood = smoothstep(0.62f, 0.86f, phase) * (1.0f - smoothstep(0.93f, 1.0f, phase));
            vec3 wood = mix(vec3(0.70f, 0.56f, 0.39f), vec3(0.47f, 0.32f, 0.19f), latewood);
            wood = mix(wood, wood * vec3(0.85f, 0.74f, 0.66f), smoothstep(0.26f, 0.16f, radius));
            // Saw marks and weathering grey on a seat that has stood outdoors.
            wood *= 0.96f + 0.05f * std::sin(uv.x * 420.0f + 8.0f * noise::gradient(uv * 6.0f, {}, seed + 4));
            wood = mix(wood, vec3(0.46f, 0.44f, 0.41f), 0.35f * smoothstep(-0.2f, 0.6f, noise::fractal(uv * 5.0f, {}, 4, seed + 5)));
            float h = 2.0f * latewood + 0.8f * noise::gradient(uv * 300.0f, {}, seed + 6);

            float crack = 0.0f;
            for (const Check& check : checks) {
                float d = std::remainder(angle - check.angle, 6.2831853f);
                const float inward = smoothstep(0.5f - check.depth, 0.47f, radius);
                const float width = check.width * inward / std::max(radius, 0.05f);
                crack = std::max(crack, inward * (1.0f - smoothstep(width * 0.3f, width, std::abs(d))));
            }
            wood = mix(wood, vec3(0.09f, 0.06f, 0.04f), crack);
            h -= 6.0f * crack;

            const float barkEdge = smoothstep(0.445f, 0.46f, radius);
            const float barkNoise = noise::fractal(vec2(angle * 8.0f, radius * 40.0f), {}, 3, seed + 7);
            const vec3 bark = mix(vec3(0.17f, 0.12f, 0.09f), vec3(0.32f, 0.24f, 0.18f), smoothstep(-0.4f, 0.6f, barkNoise));
            const vec3 cambium(0.55f, 0.38f, 0.22f);
            vec3 c = mix(wood, cambium, smoothstep(0.435f, 0.445f, radius) * (1.0f - barkEdge));
            c = mix(c, bark, barkEdge);
            h = mix(vec3(h), vec3(3.0f + 4.0f * barkNoise), barkEdge).x;
            out.colour.at(x, y) = glm::vec4(c, 1.0f);
            out.height.at(x, y) = h;
        }
    }
    return out;
}

} // namespace assetgen
