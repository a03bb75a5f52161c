#include "NightSky.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

#include "Noise.h"
#include "Paint.h"
#include "Random.h"
#include "SkyFaces.h"

namespace assetgen {

namespace {

using glm::vec2;
using glm::vec3;
using paint::mix;
using paint::smoothstep;

constexpr float kPi = 3.14159265f;
constexpr float kMoonRadius = 0.026f; // radians; larger than life so it reads on screen
constexpr int kTreelineSteps = 8192;

vec3 fromAzimuthElevation(float azimuth, float elevation) {
    return {std::cos(elevation) * std::sin(azimuth), std::sin(elevation), -std::cos(elevation) * std::cos(azimuth)};
}

vec3 perpendicular(vec3 v) {
    const vec3 helper = std::abs(v.y) < 0.9f ? vec3(0, 1, 0) : vec3(1, 0, 0);
    return glm::normalize(glm::cross(helper, v));
}

vec3 starTint(Random& random) {
    const float k = static_cast<float>(random.uniform());
    if (k < 0.25f) return {0.78f, 0.86f, 1.0f};
    if (k < 0.65f) return {0.95f, 0.96f, 1.0f};
    if (k < 0.88f) return {1.0f, 0.94f, 0.80f};
    return {1.0f, 0.80f, 0.60f};
}

} // namespace

NightSky::NightSky(std::uint32_t seedValue) : seed(seedValue) {
    // The moon hangs above the trees beyond the fire, as seen from across
    // the pool.
    moon = glm::normalize(fromAzimuthElevation(-2.80f, 0.44f));
    moonRight = perpendicular(moon);
    moonUp = glm::cross(moon, moonRight);
    sunOnMoon = glm::normalize(vec3(0.55f, 0.2f, 0.8f));
    galaxyPole = glm::normalize(vec3(0.45f, 0.55f, 0.70f));
    galaxyCore = glm::normalize(glm::cross(galaxyPole, vec3(0.2f, -0.3f, 0.9f)));

    Random random(seed);
    auto addStar = [&](vec3 direction, float magnitudeDraw) {
        // Few bright stars, many faint ones.
        const float brightness = std::min(2.2f, 0.03f / std::pow(1.003f - magnitudeDraw, 0.85f));
        const float spread = 0.0011f * (0.7f + 0.5f * std::min(brightness, 1.0f));
        stars.push_back({glm::normalize(direction), starTint(random), brightness, spread});
    };
    for (int i = 0; i < 9000; ++i)
        addStar(vec3(random.normal(), random.normal(), random.normal()), static_cast<float>(random.uniform()));
    // The galaxy band is thick with faint stars.
    for (int i = 0; i < 9000; ++i) {
        const vec3 d = vec3(random.normal(), random.normal(), random.normal());
        const vec3 inPlane = glm::normalize(d - galaxyPole * glm::dot(d, galaxyPole));
        const vec3 offset = galaxyPole * (random.normal() * 0.12f);
        addStar(inPlane + offset, static_cast<float>(random.uniform()) * 0.9f);
    }

    // Distant forest: rolling hills crowned by spruce tips.
    treeline.assign(kTreelineSteps, 0.0f);
    for (int i = 0; i < kTreelineSteps; ++i) {
        const float u = static_cast<float>(i) / kTreelineSteps;
        treeline[i] = 0.018f + 0.022f * noise::fractal(vec2(u * 6.0f, 0.5f), {6, 0}, 4, seed + 21);
    }
    std::vector<float> crowns(kTreelineSteps, -1.0f);
    for (int tree = 0; tree < 2600; ++tree) {
        const int at = random.below(kTreelineSteps);
        const float height = random.range(0.006f, 0.022f);
        const int halfWidth = 3 + random.below(6);
        for (int k = -halfWidth; k <= halfWidth; ++k) {
            const int i = (at + k + kTreelineSteps) % kTreelineSteps;
            const float profile = 1.0f - std::abs(static_cast<float>(k)) / (halfWidth + 1);
            crowns[i] = std::max(crowns[i], height * profile);
        }
    }
    for (int i = 0; i < kTreelineSteps; ++i) treeline[i] += std::max(crowns[i], 0.0f);
}

float NightSky::forestCover(vec3 d, float texelAngle) const {
    const float elevation = std::asin(std::clamp(d.y, -1.0f, 1.0f));
    if (elevation > 0.12f) return 0.0f;
    if (elevation < -0.05f) return 1.0f;
    float position = (std::atan2(d.x, -d.z) / (2.0f * kPi) + 1.0f) * kTreelineSteps;
    position = std::fmod(position, static_cast<float>(kTreelineSteps));
    const int i0 = static_cast<int>(position);
    const float f = position - static_cast<float>(i0);
    const float top = treeline[i0 % kTreelineSteps] * (1.0f - f) + treeline[(i0 + 1) % kTreelineSteps] * f;
    return smoothstep(texelAngle, -texelAngle, elevation - top);
}

vec3 NightSky::backdrop(vec3 d) const {
    const float up = std::max(d.y, 0.0f);
    // Gradient: deep blue overhead, lighter and greyer at the horizon: a
    // sky with a bright moon in it, light enough for the crowns of the
    // forest to stand out against it.
    const vec3 zenith(0.024f, 0.040f, 0.098f), middle(0.042f, 0.063f, 0.135f), horizon(0.105f, 0.128f, 0.192f);
    const float towardsHorizon = std::pow(1.0f - up, 4.0f);
    vec3 sky = mix(mix(zenith, middle, std::pow(1.0f - up, 1.5f)), horizon, towardsHorizon);

    // Galaxy: a soft band with clumpy clouds and a dark rift along its middle,
    // brighter towards the core.
    const float offBand = glm::dot(d, galaxyPole);
    const float band = std::exp(-offBand * offBand / (2.0f * 0.16f * 0.16f));
    if (band > 0.002f) {
        const float clouds = noise::fractal(d * 3.5f, {}, 6, seed + 31, 0.55f);
        const float knots = noise::fractal(d * 11.0f, {}, 4, seed + 32);
        // Dust lanes wander across the band and come and go along it.
        const float laneOffset = 0.07f * noise::fractal(d * 2.5f, {}, 3, seed + 33);
        const float laneWidth = 0.035f + 0.03f * noise::fractal(d * 4.0f, {}, 2, seed + 34);
        const float lane = std::exp(-std::pow((offBand - laneOffset) / laneWidth, 2.0f)) *
                           smoothstep(-0.15f, 0.35f, noise::fractal(d * 1.8f, {}, 3, seed + 35));
        const float core = 0.5f + 0.5f * std::max(glm::dot(d, galaxyCore), 0.0f);
        float glow = band * core * std::max(0.35f + 0.95f * clouds + 0.3f * knots, 0.0f);
        glow *= 1.0f - 0.75f * lane * smoothstep(-0.4f, 0.2f, knots + clouds);
        sky += std::max(glow, 0.0f) * vec3(0.085f, 0.085f, 0.095f);
    }

    // Moonlight scattered in the air, a tight glow, and a faint ice halo.
    const float cosMoon = std::clamp(glm::dot(d, moon), -1.0f, 1.0f);
    const float angle = std::acos(cosMoon);
    sky += vec3(0.045f, 0.060f, 0.095f) * std::pow(std::max(cosMoon, 0.0f), 6.0f);
    sky += vec3(0.30f, 0.32f, 0.36f) * std::exp(-std::max(angle - kMoonRadius, 0.0f) / 0.018f) * 0.55f;
    sky += vec3(0.09f, 0.10f, 0.12f) * std::exp(-angle / 0.10f);
    sky += vec3(0.010f, 0.011f, 0.013f) * std::exp(-std::pow((angle - 0.384f) / 0.014f, 2.0f));

    if (angle < kMoonRadius * 1.2f) {
        const vec2 local(glm::dot(d, moonRight) / kMoonRadius, glm::dot(d, moonUp) / kMoonRadius);
        const float r2 = glm::dot(local, local);
        if (r2 < 1.0f) {
            const vec3 normal(local.x, local.y, std::sqrt(1.0f - r2));
            const float lit = smoothstep(-0.04f, 0.04f, glm::dot(normal, sunOnMoon));
            const float maria = noise::fractal(local * 1.6f, {}, 5, seed + 41);
            const float craters = noise::fractal(local * 7.0f, {}, 3, seed + 42);
            const float albedo = 0.78f - 0.26f * smoothstep(-0.1f, 0.35f, maria) + 0.08f * craters;
            const float limb = 0.75f + 0.25f * std::pow(normal.z, 0.5f);
            const vec3 surface = vec3(1.0f, 0.97f, 0.90f) * albedo * limb;
            const vec3 earthshine = vec3(0.05f, 0.06f, 0.08f) * albedo;
            const vec3 disc = mix(earthshine, surface, lit);
            // Anti-aliased rim.
            const float edge = smoothstep(1.0f, 0.94f, std::sqrt(r2));
            sky = mix(sky, disc, edge);
        }
    }
    return sky;
}

void NightSky::addStars(Image& image, int face) const {
    const int size = image.width();
    const SkyFace plane(face);
    const float texelAngle = 2.0f / static_cast<float>(size);
    for (const Star& star : stars) {
        const float facing = plane.facing(star.direction);
        if (facing < 0.4f) continue;
        // A bright star also gets a small glow; the window must hold the whole
        // kernel even where the face's texels are smallest in angle.
        const float reach = star.brightness > 0.6f ? 5.0f * star.spread : 3.5f * star.spread;
        const FacePoint at = plane.project(star.direction);
        const float cx = at.s * size - 0.5f, cy = at.t * size - 0.5f;
        const int window = static_cast<int>(std::ceil(3.0f * reach / texelAngle)) + 1;
        const int x0 = std::max(0, static_cast<int>(cx) - window), x1 = std::min(size - 1, static_cast<int>(cx) + window);
        const int y0 = std::max(0, static_cast<int>(cy) - window), y1 = std::min(size - 1, static_cast<int>(cy) + window);
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const vec3 d = glm::normalize(rtr::sky::skyDirection(face, (x + 0.5f) / size, (y + 0.5f) / size));
                const vec3 chord = d - star.direction;
                const float distance2 = glm::dot(chord, chord);
                if (distance2 > reach * reach) continue;
                float light = star.brightness * std::exp(-distance2 / (2.0f * star.spread * star.spread));
                if (star.brightness > 0.6f)
                    light += 0.05f * star.brightness * std::exp(-distance2 / (2.0f * 9.0f * star.spread * star.spread));
                glm::vec4& texel = image.at(x, y);
                const float visible = texel.a; // alpha holds the open sky fraction while painting
                texel += glm::vec4(star.colour * light * visible, 0.0f);
            }
        }
    }
}

Image NightSky::paintFace(int face, int size) const {
    Image image(size, size);
    const float texelAngle = 2.0f / static_cast<float>(size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const vec3 d = glm::normalize(rtr::sky::skyDirection(face, (x + 0.5f) / size, (y + 0.5f) / size));
            const float cover = forestCover(d, texelAngle);
            vec3 colour = backdrop(d);
            if (cover > 0.0f) {
                // Below the skyline: the dark mass of distant forest, lit a
                // little by the sky at its top, fading into the ground below.
                const float depth = smoothstep(0.0f, -0.6f, d.y);
                const vec3 forest = mix(vec3(0.016f, 0.022f, 0.026f), vec3(0.008f, 0.010f, 0.012f), depth);
                colour = mix(colour, forest, cover);
            }
            // Stars shine only where neither the forest nor the moon's disc is,
            // and the moon's glare drowns them close by.
            const float moonDisc = smoothstep(kMoonRadius * 1.6f, kMoonRadius * 0.95f, std::acos(std::clamp(glm::dot(d, moon), -1.0f, 1.0f)));
            image.at(x, y) = glm::vec4(colour, (1.0f - cover) * (1.0f - moonDisc));
        }
    }
    addStars(image, face);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Dither against banding in the dark gradient.
            const float dither = (noise::lattice(x, y, face, seed + 51) - 0.5f) / 255.0f;
            glm::vec4& texel = image.at(x, y);
            texel = glm::vec4(vec3(texel) + dither, 1.0f);
        }
    }
    return image;
}

} // namespace assetgen
