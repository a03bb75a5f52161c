// The icon is drawn as flat shapes with hard edges (flames, logs, hill,
// pines, moon) over soft glows, every pixel averaged over a grid of samples.
// Desktops show it from 16 to 256 pixels: the fire is large and bright
// against a dark badge so it still reads at 16, while the stars and sparks
// are details that only the larger sizes resolve.

#include "Icon.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <glm/geometric.hpp>

#include "Paint.h"

namespace assetgen {

namespace {

using glm::vec2;
using glm::vec3;
using glm::vec4;
using paint::mix;
using paint::smoothstep;

constexpr float kPi = 3.14159265f;
constexpr vec2 kCentre(0.5f, 0.5f);
constexpr float kBadgeRadius = 0.47f;
constexpr vec2 kFireBase(0.5f, 0.30f);

// Premultiplied colour under construction; `over` puts a layer on top.
struct Canvas {
    vec4 colour{0.0f};
    void over(vec3 c, float alpha = 1.0f) { colour = vec4(c * alpha, alpha) + colour * (1.0f - alpha); }
};

// A flame tongue rising from `base`: a round bottom (the square root) that
// tapers to a curved point (the power above one), its middle line bending
// with `lean` towards the tip.
bool insideTongue(vec2 p, vec2 base, float height, float width, float lean) {
    const float t = (p.y - base.y) / height;
    if (t <= 0.0f || t >= 1.0f) return false;
    const float halfWidth = width * 2.9f * std::sqrt(t) * std::pow(1.0f - t, 1.3f);
    const float middle = base.x + lean * t * t + 0.025f * std::sin(kPi * t) * t;
    return std::abs(p.x - middle) < halfWidth;
}

// One flame layer: tongues of the same colour, its gradient running from
// `bottom` at the fire's base to `top` at the height of the tallest tongue.
struct Tongue {
    vec2 base;
    float height, width, lean;
};
struct FlameLayer {
    std::array<Tongue, 3> tongues;
    int count;
    vec3 bottom, top;
};

const std::array<FlameLayer, 3> kFlames = {{
    {{{{{0.50f, 0.26f}, 0.52f, 0.165f, -0.05f}, {{0.42f, 0.28f}, 0.33f, 0.085f, -0.08f}, {{0.585f, 0.28f}, 0.37f, 0.09f, 0.07f}}},
     3, vec3(1.0f, 0.40f, 0.05f), vec3(0.88f, 0.14f, 0.03f)},
    {{{{{0.50f, 0.265f}, 0.38f, 0.115f, -0.035f}, {{0.56f, 0.28f}, 0.25f, 0.06f, 0.05f}, {}}},
     2, vec3(1.0f, 0.72f, 0.16f), vec3(1.0f, 0.50f, 0.07f)},
    {{{{{0.50f, 0.27f}, 0.23f, 0.07f, -0.02f}, {}, {}}}, 1, vec3(1.0f, 0.98f, 0.82f), vec3(1.0f, 0.86f, 0.42f)},
}};

struct Log {
    vec2 a, b;
    float radius;
};
const std::array<Log, 2> kLogs = {{
    {{0.245f, 0.215f}, {0.60f, 0.37f}, 0.038f},
    {{0.755f, 0.215f}, {0.40f, 0.37f}, 0.038f},
}};

// The ring of stones in front of the fire: centres and radii of flattened
// discs.
const std::array<vec3, 5> kStones = {{
    {0.335f, 0.19f, 0.04f}, {0.42f, 0.172f, 0.045f}, {0.50f, 0.166f, 0.046f}, {0.58f, 0.172f, 0.045f},
    {0.665f, 0.19f, 0.04f},
}};

struct Dot {
    vec2 at;
    float radius;
    float brightness;
};
const std::array<Dot, 9> kStars = {{
    {{0.24f, 0.74f}, 0.007f, 0.9f}, {{0.33f, 0.86f}, 0.005f, 0.7f}, {{0.17f, 0.57f}, 0.005f, 0.6f},
    {{0.41f, 0.78f}, 0.004f, 0.5f}, {{0.52f, 0.91f}, 0.006f, 0.8f}, {{0.83f, 0.60f}, 0.005f, 0.6f},
    {{0.86f, 0.45f}, 0.004f, 0.5f}, {{0.29f, 0.62f}, 0.004f, 0.45f}, {{0.60f, 0.83f}, 0.004f, 0.5f},
}};
const std::array<Dot, 4> kSparks = {{
    {{0.585f, 0.81f}, 0.008f, 1.0f}, {{0.40f, 0.73f}, 0.007f, 0.9f}, {{0.53f, 0.875f}, 0.006f, 0.8f},
    {{0.665f, 0.70f}, 0.006f, 0.9f},
}};

float groundLine(float x) { return 0.25f - 0.35f * (x - 0.5f) * (x - 0.5f); }

// A pine's silhouette: three stacked triangles and a trunk.
bool insidePine(vec2 p, float x, float foot, float height, float width) {
    if (std::abs(p.x - x) < width * 0.08f && p.y > foot && p.y < foot + height * 0.2f) return true;
    for (int tier = 0; tier < 3; ++tier) {
        const float bottom = foot + height * (0.15f + 0.25f * tier);
        const float top = bottom + height * (0.55f - 0.1f * tier);
        const float half = width * (0.5f - 0.12f * tier);
        if (p.y >= bottom && p.y <= top && std::abs(p.x - x) <= half * (top - p.y) / (top - bottom)) return true;
    }
    return false;
}

// Warmth of the fire's light at p, 1 at the fire and falling off around it.
float fireLight(vec2 p) {
    const vec2 d = (p - vec2(kFireBase.x, kFireBase.y + 0.12f)) * vec2(1.0f, 1.3f);
    return std::exp(-glm::dot(d, d) / 0.045f);
}

vec4 sample(vec2 p) {
    const vec2 fromCentre = p - kCentre;
    if (glm::length(fromCentre) > kBadgeRadius) return vec4(0.0f);
    Canvas canvas;
    const vec3 warm(1.0f, 0.45f, 0.12f);

    // Night sky: deep blue at the top, lighter towards the trees, and the
    // fire's glow spreading into it.
    vec3 sky = mix(vec3(0.07f, 0.11f, 0.25f), vec3(0.015f, 0.025f, 0.08f), smoothstep(0.3f, 0.95f, p.y));
    sky += warm * 0.55f * fireLight(p);
    for (const Dot& star : kStars)
        sky += vec3(0.9f, 0.93f, 1.0f) * star.brightness * smoothstep(star.radius, 0.0f, glm::length(p - star.at));
    canvas.over(sky);

    // A crescent moon, upper right.
    const vec2 moon(0.71f, 0.75f);
    if (glm::length(p - moon) < 0.075f && glm::length(p - (moon + vec2(0.035f, 0.03f))) > 0.068f)
        canvas.over(vec3(0.98f, 0.94f, 0.78f));

    // Pines at the edge of the clearing, dark against the sky.
    const vec3 pine = mix(vec3(0.01f, 0.025f, 0.035f), warm * 0.25f, fireLight(p) * 0.6f);
    if (insidePine(p, 0.16f, 0.16f, 0.50f, 0.20f) || insidePine(p, 0.27f, 0.19f, 0.36f, 0.15f) ||
        insidePine(p, 0.83f, 0.15f, 0.55f, 0.22f) || insidePine(p, 0.73f, 0.19f, 0.32f, 0.14f))
        canvas.over(pine);

    // The ground of the clearing, lit around the fire.
    if (p.y < groundLine(p.x))
        canvas.over(mix(vec3(0.02f, 0.035f, 0.03f), vec3(0.45f, 0.2f, 0.07f), fireLight(p) * 0.9f));

    // Logs: bark lit from above by the fire, pale cut ends, embers glowing
    // where they meet under the flames.
    for (const Log& log : kLogs) {
        const vec2 ab = log.b - log.a;
        const float t = std::clamp(glm::dot(p - log.a, ab) / glm::dot(ab, ab), 0.0f, 1.0f);
        const vec2 offset = p - (log.a + ab * t);
        if (glm::length(offset) > log.radius) continue;
        const vec2 across = glm::normalize(vec2(-ab.y, ab.x)) * (ab.x > 0.0f ? 1.0f : -1.0f);
        const float side = glm::dot(offset, across) / log.radius; // -1 underneath, 1 on top
        vec3 bark = mix(vec3(0.16f, 0.07f, 0.03f), vec3(0.55f, 0.30f, 0.13f), smoothstep(-0.6f, 0.9f, side));
        const float length = glm::length(ab);
        if (std::min(t, 1.0f - t) * length < 0.012f) bark = vec3(0.78f, 0.58f, 0.36f);
        const float ember = smoothstep(0.11f, 0.02f, glm::length(p - vec2(kFireBase.x, kFireBase.y - 0.04f)));
        canvas.over(mix(bark, vec3(1.0f, 0.42f, 0.06f), ember * 0.85f));
    }

    // The flames, outer tongues first.
    for (const FlameLayer& layer : kFlames) {
        for (int i = 0; i < layer.count; ++i) {
            const Tongue& tongue = layer.tongues[static_cast<std::size_t>(i)];
            if (!insideTongue(p, tongue.base, tongue.height, tongue.width, tongue.lean)) continue;
            const float up = std::clamp((p.y - kFireBase.y) / 0.45f, 0.0f, 1.0f);
            canvas.over(mix(layer.bottom, layer.top, up));
            break;
        }
    }

    // Stones in front, their tops lit by the fire.
    for (const vec3& stone : kStones) {
        const vec2 d = (p - vec2(stone)) / vec2(stone.z, stone.z * 0.62f);
        if (glm::dot(d, d) > 1.0f) continue;
        canvas.over(mix(vec3(0.12f, 0.11f, 0.12f), vec3(0.62f, 0.44f, 0.33f), smoothstep(-0.5f, 0.9f, d.y)));
    }

    for (const Dot& spark : kSparks)
        canvas.over(vec3(1.0f, 0.62f, 0.18f),
                    spark.brightness * smoothstep(spark.radius, spark.radius * 0.4f, glm::length(p - spark.at)));
    return canvas.colour;
}

} // namespace

Image paintIcon(int size) {
    constexpr int grid = 4;
    Image icon(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            vec4 sum(0.0f);
            for (int j = 0; j < grid; ++j)
                for (int i = 0; i < grid; ++i)
                    sum += sample(vec2((static_cast<float>(x) + (static_cast<float>(i) + 0.5f) / grid) / size,
                                       (static_cast<float>(y) + (static_cast<float>(j) + 0.5f) / grid) / size));
            const vec4 premultiplied = sum / static_cast<float>(grid * grid);
            const float alpha = premultiplied.a;
            icon.at(x, y) = alpha > 0.0f ? vec4(vec3(premultiplied) / alpha, alpha) : vec4(0.0f);
        }
    }
    return icon;
}

} // namespace assetgen
