// Forest-floor ground: dark soil under a litter of pine needles and twigs,
// with clumps of grass blades and a few pebbles, all drawn as wrapping
// strokes so the 6 m tile repeats without a visible edge.

#include <algorithm>

#include "Noise.h"
#include "Paint.h"
#include "Random.h"
#include "SurfaceTexture.h"

namespace assetgen {

namespace {

using glm::vec2;
using glm::vec3;
using paint::mix;
using paint::smoothstep;

struct Layer {
    Image& colour;
    ScalarField& height;
};

// Lays a stroke over what is there: colour blends by coverage, the stroke's
// top surface rises above the ground under it.
void layStroke(Layer layer, vec2 a, vec2 b, float ra, float rb, vec3 base, vec3 tip, float thickness) {
    const int n = layer.colour.width();
    paint::stroke(n, n, a, b, ra, rb, true, [&](int x, int y, float coverage, float along) {
        glm::vec4& texel = layer.colour.at(x, y);
        const vec3 c = mix(base, tip, along);
        texel = glm::vec4(mix(vec3(texel), c, coverage), 1.0f);
        float& h = layer.height.at(x, y);
        const float top = h + thickness * coverage;
        h = std::max(h, top);
    });
}

} // namespace

SurfaceTexture paintForestFloor(int size, std::uint32_t seed) {
    SurfaceTexture out{Image(size, size), ScalarField(size, size), true};
    const float n = static_cast<float>(size);
    Random random(seed);

    // Masks: where grass grows, where needles gather.
    ScalarField grass(size, size), litter(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const vec2 uv = paint::texelCentre(x, y, size, size);
            const float soil = noise::fractal(uv * 4.0f, {4, 4}, 6, seed + 1);
            const float grain = noise::fractal(uv * 48.0f, {48, 48}, 2, seed + 2);
            const float crumbs = noise::gradient(uv * 160.0f, {160, 160}, seed + 3);
            const vec3 dark(0.105f, 0.078f, 0.058f), light(0.26f, 0.20f, 0.145f);
            vec3 c = mix(dark, light, smoothstep(-0.6f, 0.6f, soil + 0.35f * grain));
            c *= 0.88f + 0.24f * smoothstep(-0.4f, 0.8f, crumbs);
            out.colour.at(x, y) = glm::vec4(c, 1.0f);
            out.height.at(x, y) = 6.0f * soil + 1.5f * grain + 0.6f * crumbs;
            grass.at(x, y) = smoothstep(-0.12f, 0.3f, noise::fractal(uv * 3.0f, {3, 3}, 4, seed + 4));
            litter.at(x, y) = smoothstep(-0.3f, 0.25f, noise::fractal(uv * 5.0f, {5, 5}, 3, seed + 5));
        }
    }
    Layer layer{out.colour, out.height};

    // Pebbles first, so litter and blades fall over them.
    for (int i = 0; i < 260; ++i) {
        const vec2 centre(random.range(0, n), random.range(0, n));
        const float radius = random.range(2.0f, 6.0f);
        const vec3 tone = mix(vec3(0.17f, 0.16f, 0.14f), vec3(0.30f, 0.28f, 0.25f), static_cast<float>(random.uniform()));
        const vec2 stretch(random.range(-1.5f, 1.5f), random.range(-1.5f, 1.5f));
        paint::stroke(size, size, centre - stretch, centre + stretch, radius, radius, true,
                      [&](int x, int y, float coverage, float) {
                          // Lit from one side so the pebble reads as round.
                          vec2 offset(static_cast<float>(x) + 0.5f - centre.x, static_cast<float>(y) + 0.5f - centre.y);
                          offset -= glm::round(offset / n) * n;
                          const float shade = std::clamp(0.85f + 0.35f * (offset.y - offset.x) / (radius * 1.8f), 0.5f, 1.2f);
                          glm::vec4& texel = out.colour.at(x, y);
                          texel = glm::vec4(mix(vec3(texel), tone * shade, coverage), 1.0f);
                          out.height.at(x, y) += 2.5f * coverage;
                      });
    }

    // Twigs: long, thin, dark.
    for (int i = 0; i < 70; ++i) {
        vec2 a(random.range(0, n), random.range(0, n));
        float angle = random.range(0.0f, 6.2831853f);
        const int segments = 3 + random.below(4);
        const float width = random.range(1.2f, 2.4f);
        const vec3 bark = mix(vec3(0.13f, 0.10f, 0.08f), vec3(0.30f, 0.25f, 0.20f), static_cast<float>(random.uniform()));
        for (int s = 0; s < segments; ++s) {
            angle += random.range(-0.35f, 0.35f);
            const vec2 b = a + vec2(std::cos(angle), std::sin(angle)) * random.range(10.0f, 26.0f);
            layStroke(layer, a, b, width, width * 0.85f, bark, bark * 1.1f, 2.0f);
            a = b;
        }
    }

    // Fallen pine needles, clustered where the litter mask is high.
    for (int i = 0; i < 52000; ++i) {
        const vec2 a(random.range(0, n), random.range(0, n));
        const float density = litter.wrapped(static_cast<int>(a.x), static_cast<int>(a.y));
        if (random.uniform() > 0.15 + 0.85 * density) continue;
        const float angle = random.range(0.0f, 6.2831853f);
        const vec2 b = a + vec2(std::cos(angle), std::sin(angle)) * random.range(12.0f, 26.0f);
        const float age = static_cast<float>(random.uniform());
        const vec3 fresh(0.42f, 0.27f, 0.13f), old(0.20f, 0.14f, 0.09f);
        const vec3 tone = mix(fresh, old, age) * random.range(0.8f, 1.15f);
        layStroke(layer, a, b, random.range(0.7f, 1.0f), 0.45f, tone * 0.85f, tone, 1.2f);
    }

    // Grass blades in clumps: each clump leans its blades roughly one way.
    for (int clump = 0; clump < 5200; ++clump) {
        const vec2 centre(random.range(0, n), random.range(0, n));
        const float density = grass.wrapped(static_cast<int>(centre.x), static_cast<int>(centre.y));
        if (random.uniform() > 0.05 + 0.95 * density) continue;
        const float lean = random.range(0.0f, 6.2831853f);
        const int blades = 6 + random.below(14);
        const float dryness = smoothstep(0.55f, 1.0f, static_cast<float>(random.uniform()));
        for (int b = 0; b < blades; ++b) {
            const vec2 root = centre + vec2(random.normal(), random.normal()) * 4.0f;
            const float angle = lean + random.range(-0.9f, 0.9f);
            const float length = random.range(10.0f, 30.0f);
            const vec2 tipPoint = root + vec2(std::cos(angle), std::sin(angle)) * length;
            const vec3 green = mix(vec3(0.085f, 0.15f, 0.05f), vec3(0.20f, 0.29f, 0.09f),
                                   static_cast<float>(random.uniform()));
            const vec3 colour = mix(green, vec3(0.40f, 0.37f, 0.19f), dryness * random.range(0.3f, 1.0f));
            layStroke(layer, root, tipPoint, random.range(1.0f, 1.6f), 0.3f, colour * 0.55f, colour * 1.15f, 2.5f);
        }
    }

    // Cavities collect shadow: darken where the relief is below its
    // surroundings. The whole is lifted a little: at night the floor is seen
    // by the sky's light alone away from the fire, and a true-to-day soil
    // tone leaves the clearing black.
    constexpr float kLift = 1.35f;
    const ScalarField surroundings = paint::blurred(out.height, 6);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float cavity = std::clamp((surroundings.at(x, y) - out.height.at(x, y)) * 0.18f, 0.0f, 0.45f);
            glm::vec4& texel = out.colour.at(x, y);
            texel = glm::vec4(vec3(texel) * (1.0f - cavity) * kLift, 1.0f);
        }
    }
    return out;
}

} // namespace assetgen
