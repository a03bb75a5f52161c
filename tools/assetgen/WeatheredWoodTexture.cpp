// Weathered, debarked log wood for the seats: silvery grey-brown with long
// grain lines, drying checks along the grain, the odd knot, and a few
// patches of bark still clinging on. Texture v runs along the log.

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

SurfaceTexture paintWeatheredWood(int size, std::uint32_t seed) {
    SurfaceTexture out{Image(size, size), ScalarField(size, size), true};
    Random random(seed);
    struct Check {
        float u, v0, length, width;
    };
    std::vector<Check> checks;
    for (int i = 0; i < 9; ++i)
        checks.push_back({static_cast<float>(random.uniform()), static_cast<float>(random.uniform()), random.range(0.25f, 0.7f),
                          random.range(0.0015f, 0.004f)});
    struct Knot {
        vec2 at;
        float radius;
    };
    std::vector<Knot> knots;
    for (int i = 0; i < 3; ++i) knots.push_back({{static_cast<float>(random.uniform()), static_cast<float>(random.uniform())}, random.range(0.012f, 0.025f)});

    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const vec2 uv = paint::texelCentre(x, y, size, size);
            // Grain lines bend around knots.
            float bend = 0.0f;
            for (const Knot& k : knots) {
                vec2 d = uv - k.at;
                d -= glm::round(d);
                bend += k.radius * 1.5f * std::exp(-glm::dot(d * vec2(1.0f, 0.4f), d * vec2(1.0f, 0.4f)) / (k.radius * k.radius * 4.0f)) *
                        (d.x > 0.0f ? 1.0f : -1.0f);
            }
            const float grainU = uv.x + bend + 0.01f * noise::fractal(uv * vec2(4, 2), {4, 2}, 3, seed + 1);
            const float lines = noise::fractal(vec2(grainU * 90.0f, uv.y * 3.0f), {90, 3}, 3, seed + 2);
            const float fibres = noise::fractal(uv * vec2(300, 6), {300, 6}, 2, seed + 3);
            const float weather = noise::fractal(uv * 3.0f, {3, 3}, 5, seed + 4);

            vec3 wood = mix(vec3(0.40f, 0.34f, 0.28f), vec3(0.55f, 0.53f, 0.49f), smoothstep(-0.4f, 0.5f, weather));
            wood *= 0.86f + 0.2f * smoothstep(-0.5f, 0.5f, lines) + 0.06f * fibres;
            float h = 2.5f * lines + 0.8f * fibres;

            float crack = 0.0f;
            for (const Check& c : checks) {
                float dv = uv.y - c.v0;
                dv -= std::floor(dv);
                if (dv > c.length) continue;
                const float taper = std::sin(3.14159f * dv / c.length);
                float du = grainU - c.u - 0.006f * noise::gradient(vec2(uv.y * 20.0f, c.u * 10.0f), {20, 0}, seed + 5);
                du -= std::round(du);
                crack = std::max(crack, 1.0f - smoothstep(c.width * taper * 0.4f, c.width * taper, std::abs(du)));
            }
            wood = mix(wood, vec3(0.08f, 0.06f, 0.05f), crack);
            h -= 6.0f * crack;

            for (const Knot& k : knots) {
                vec2 d = uv - k.at;
                d -= glm::round(d);
                const float r = glm::length(d * vec2(1.0f, 0.55f)) / k.radius;
                if (r < 1.6f) {
                    const float ring = 0.5f + 0.5f * std::sin(r * 14.0f);
                    wood = mix(wood, mix(vec3(0.22f, 0.15f, 0.10f), vec3(0.32f, 0.24f, 0.17f), ring), smoothstep(1.6f, 0.9f, r));
                    h += 2.0f * smoothstep(1.2f, 0.0f, r);
                }
            }

            // Bark still clinging in places.
            const float barkPatch = smoothstep(0.38f, 0.45f, noise::fractal(uv * vec2(3, 2), {3, 2}, 4, seed + 6));
            if (barkPatch > 0.0f) {
                const noise::Cell plate = noise::cellular(uv * vec2(14, 7), {14, 7}, seed + 7, 0.8f);
                const float furrow = 1.0f - smoothstep(0.02f, 0.12f, plate.second - plate.nearest);
                const vec3 bark = mix(vec3(0.30f, 0.22f, 0.17f), vec3(0.08f, 0.06f, 0.05f), furrow);
                wood = mix(wood, bark, barkPatch);
                h = mix(vec3(h), vec3(5.0f + 4.0f * (1.0f - furrow)), barkPatch).x;
            }
            out.colour.at(x, y) = glm::vec4(wood, 1.0f);
            out.height.at(x, y) = h;
        }
    }
    return out;
}

} // namespace assetgen
