#include "Terrain.h"

#include <cmath>

#include <glm/geometric.hpp>

#include "Layout.h"
#include "Noise.h"
#include "Paint.h"

namespace assetgen {

namespace {

using paint::smoothstep;

constexpr std::uint32_t kSeed = 0x7E77A1u;

// Grid coordinate in [-1, 1] to world offset: fine cells in the middle,
// coarse ones at the rim.
float warp(float g) { return layout::kTerrainHalfExtent * (0.42f * g + 0.58f * g * g * g); }

} // namespace

float Terrain::poolRadius(float angle) const {
    return layout::kPoolRadius * (1.0f + 0.13f * std::sin(2.0f * angle + 0.7f) + 0.07f * std::sin(3.0f * angle + 2.1f));
}

float Terrain::poolReach(float x, float z) const {
    const glm::vec2 offset = glm::vec2(x, z) - layout::kPoolCentre;
    return glm::length(offset) / poolRadius(std::atan2(offset.y, offset.x));
}

float Terrain::height(float x, float z) const {
    const glm::vec2 p(x, z);
    const float fromCentre = glm::length(p - layout::kClearingCentre);

    // Floor and rim.
    // To the south the ground falls away into a gully, well below the low
    // blue light that hangs there, so it lights the clearing broadly instead
    // of making a bright spot on the ground beneath it.
    const float valley = std::exp(-(x / 16.0f) * (x / 16.0f)) * smoothstep(36.0f, 60.0f, z);
    float rim = 11.0f * std::pow(smoothstep(18.0f, 66.0f, fromCentre), 1.2f) * (1.0f - 0.9f * valley);
    rim -= 12.0f * valley * smoothstep(44.0f, 72.0f, z);
    const float hills = 1.8f * noise::fractal(p / 38.0f, {}, 4, kSeed) * smoothstep(14.0f, 40.0f, fromCentre) +
                        0.22f * noise::fractal(p / 7.0f, {}, 3, kSeed + 1);
    const float floor = layout::kClearingFloor + rim + hills;

    // The pool's hollow: a basin below the water, a bank rising to the floor.
    const float reach = poolReach(x, z);
    float ground;
    if (reach < 1.0f) {
        const float inward = std::min((1.0f - reach) / 0.7f, 1.0f);
        ground = -layout::kPoolDepth * inward * (2.0f - inward) + 0.08f * noise::gradient(p / 1.7f, {}, kSeed + 2);
        ground = layout::kWaterLevel + std::min(ground, -0.02f * inward);
    } else {
        // Below the fire the bank runs straight from the water's edge up to
        // the hearth stones, so that seen from the water the fire pit stands
        // at its top: what the pool mirrors there is the pit and its glow,
        // not a bank in the way.
        const glm::vec2 offset = p - layout::kPoolCentre;
        const float angle = std::atan2(offset.y, offset.x);
        const float shoreDistance = (reach - 1.0f) * poolRadius(angle);
        const glm::vec2 toPit = glm::vec2(layout::kFirePitCentre.x, layout::kFirePitCentre.z) - layout::kPoolCentre;
        const float fireBank = glm::length(toPit) - poolRadius(std::atan2(toPit.y, toPit.x)) - layout::kHearthReach;
        const float belowFire = smoothstep(0.85f, 0.97f, glm::dot(glm::vec2(std::cos(angle), std::sin(angle)), glm::normalize(toPit))) *
                                smoothstep(fireBank + 3.0f, fireBank + 1.0f, shoreDistance);
        const float width = layout::kBankWidth + (fireBank - layout::kBankWidth) * belowFire;
        const float top = floor + (layout::kFireGround - floor) * belowFire;
        const float t = std::min(shoreDistance / width, 1.0f);
        const float rise = t * (2.0f - t) + (t - t * (2.0f - t)) * belowFire;
        ground = layout::kWaterLevel + (top - layout::kWaterLevel) * rise;
    }

    // A level spot for the fire pit and its seats; towards the pool it ends
    // at the hearth stones, where the bank begins.
    const glm::vec2 pit(layout::kFirePitCentre.x, layout::kFirePitCentre.z);
    const float fromFire = glm::length(p - pit);
    const float poolward = fromFire > 1e-4f ? glm::dot((p - pit) / fromFire, glm::normalize(layout::kPoolCentre - pit)) : 0.0f;
    const float open = smoothstep(0.5f, 0.9f, poolward);
    const float level = smoothstep(4.6f + (layout::kHearthReach + 0.6f - 4.6f) * open,
                                   2.4f + (layout::kHearthReach - 0.2f - 2.4f) * open, fromFire);
    return ground + (layout::kFireGround - ground) * level;
}

glm::vec3 Terrain::normal(float x, float z) const {
    constexpr float e = 0.05f;
    const float dx = height(x + e, z) - height(x - e, z);
    const float dz = height(x, z + e) - height(x, z - e);
    return glm::normalize(glm::vec3(-dx, 2.0f * e, -dz));
}

namespace {

// Grid lines i0..i1 by j0..j1 of a cells x cells grid as one mesh.
Mesh gridPatch(const Terrain& terrain, int cells, int i0, int i1, int j0, int j1) {
    Mesh mesh;
    constexpr float textureMetres = 6.0f;
    for (int j = j0; j <= j1; ++j) {
        for (int i = i0; i <= i1; ++i) {
            const float x = layout::kClearingCentre.x + warp(2.0f * i / cells - 1.0f);
            const float z = layout::kClearingCentre.y + warp(2.0f * j / cells - 1.0f);
            mesh.addVertex(terrain.at(x, z), terrain.normal(x, z), {x / textureMetres, z / textureMetres});
        }
    }
    const std::uint32_t stride = static_cast<std::uint32_t>(i1 - i0 + 1);
    for (int j = 0; j < j1 - j0; ++j) {
        for (int i = 0; i < i1 - i0; ++i) {
            const std::uint32_t a = j * stride + i;
            // Counter-clockwise from above: +x then +z turns clockwise seen
            // from +y, so walk a, a+stride, a+stride+1, a+1.
            mesh.addQuad(a, a + stride, a + stride + 1, a + 1);
        }
    }
    return mesh;
}

} // namespace

Mesh Terrain::mesh(int cells) const { return gridPatch(*this, cells, 0, cells, 0, cells); }

std::vector<Mesh> Terrain::tiles(int cells, int tiles) const {
    std::vector<Mesh> out;
    auto line = [&](int k) { return k * cells / tiles; };
    for (int tj = 0; tj < tiles; ++tj)
        for (int ti = 0; ti < tiles; ++ti)
            out.push_back(gridPatch(*this, cells, line(ti), line(ti + 1), line(tj), line(tj + 1)));
    return out;
}

} // namespace assetgen
