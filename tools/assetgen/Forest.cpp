#include "Forest.h"

#include <algorithm>
#include <cmath>

#include <glm/common.hpp>
#include <glm/geometric.hpp>

#include "Layout.h"
#include "Noise.h"
#include "Paint.h"
#include "Random.h"
#include "Shapes.h"

namespace assetgen {

namespace {

using glm::vec2;
using glm::vec3;
using paint::smoothstep;

float distanceToSegment(vec3 p, vec3 a, vec3 b) {
    const vec3 ab = b - a;
    const float t = std::clamp(glm::dot(p - a, ab) / glm::dot(ab, ab), 0.0f, 1.0f);
    return glm::length(p - (a + ab * t));
}

} // namespace

bool Clearance::blocks(vec3 base, float trunkHeight, float crownRadius) const {
    // The tree as a vertical line with the crown's radius around it.
    for (const auto& [point, radius] : points) {
        const float horizontal = glm::length(vec2(point.x - base.x, point.z - base.z));
        if (horizontal < radius + crownRadius && point.y < base.y + trunkHeight + 1.0f) return true;
    }
    for (const Segment& segment : segments) {
        for (float h = 0.0f; h <= trunkHeight; h += 1.0f) {
            if (distanceToSegment(base + vec3(0, h, 0), segment.from, segment.to) < segment.radius + crownRadius) return true;
        }
    }
    return false;
}

std::vector<Spruce> plantForest(const Terrain& terrain, const Clearance& clearance, std::uint32_t seed) {
    Random random(seed);
    std::vector<Spruce> trees;
    const vec2 centre = layout::kClearingCentre;
    const float reach = layout::kTerrainHalfExtent - 6.0f;
    // Jittered candidates, thinned with distance so the inner ring of the
    // forest is dense and the far slopes are covered more loosely.
    constexpr float spacing = 6.4f;
    const int steps = static_cast<int>(2.0f * reach / spacing);
    for (int j = 0; j <= steps; ++j) {
        for (int i = 0; i <= steps; ++i) {
            const vec2 p = centre + vec2(-reach + i * spacing + random.range(-2.0f, 2.0f), -reach + j * spacing + random.range(-2.0f, 2.0f));
            const float fromCentre = glm::length(p - centre);
            const float towardsLight = std::exp(-(p.x / 10.0f) * (p.x / 10.0f)) * smoothstep(40.0f, 55.0f, p.y);
            float keep = smoothstep(17.0f, 22.0f, fromCentre) * (fromCentre < 38.0f ? 0.95f : 0.45f);
            keep *= 1.0f - 0.8f * towardsLight;
            const float draw = static_cast<float>(random.uniform());
            const float sizeDraw = static_cast<float>(random.uniform());
            if (draw > keep || std::max(std::abs(p.x - centre.x), std::abs(p.y - centre.y)) > reach) continue;
            if (terrain.poolReach(p.x, p.y) < 2.6f) continue;

            Spruce tree;
            tree.base = terrain.at(p.x, p.y);
            tree.height = 9.5f + 7.0f * sizeDraw + 2.0f * smoothstep(30.0f, 60.0f, fromCentre);
            tree.trunkRadius = 0.13f + 0.018f * tree.height;
            tree.crownRadius = 1.6f + 0.11f * tree.height + random.range(-0.3f, 0.3f);
            tree.crownBase = random.range(1.6f, 3.2f);
            tree.seed = static_cast<std::uint32_t>(random.next());
            if (clearance.blocks(tree.base, tree.height, tree.crownRadius)) continue;
            bool crowded = false;
            for (const Spruce& other : trees) {
                const float apart = glm::length(vec2(other.base.x - tree.base.x, other.base.z - tree.base.z));
                if (apart < 0.55f * (other.crownRadius + tree.crownRadius) + 1.0f) crowded = true;
            }
            if (!crowded) trees.push_back(tree);
        }
    }
    return trees;
}

Mesh spruceTrunk(const Spruce& tree) {
    TubeShape shape;
    shape.sides = 7;
    const std::uint32_t seed = tree.seed;
    // From below the ground (so slopes never show a gap) to the leader.
    const float bottom = -0.5f;
    const int rings = 6;
    for (int k = 0; k <= rings; ++k) {
        const float t = static_cast<float>(k) / rings;
        const float y = bottom + (tree.height - bottom) * t;
        const float lean = 0.05f * y * noise::gradient(vec2(static_cast<float>(seed % 1000), y * 0.2f), {}, seed);
        shape.path.push_back(tree.base + vec3(lean, y, lean * 0.5f));
        // Flared at the root, tapering to a point.
        const float flare = 1.0f + 0.45f * std::exp(-(y - bottom) * 2.2f);
        shape.radii.push_back(tree.trunkRadius * flare * std::max(1.0f - t * 0.97f, 0.02f));
    }
    shape.uTurns = std::max(1.0f, std::round(6.2831853f * tree.trunkRadius / 1.1f));
    shape.vPerUnit = 1.0f / 1.1f;
    shape.relief = [seed](int ring, int side) { return 1.0f + 0.06f * noise::lattice(ring, side, 3, seed); };
    return tube(shape).mesh;
}

std::vector<vec3> viewpoints(const Clearance& clearance) {
    std::vector<vec3> out;
    for (const Clearance::Segment& segment : clearance.segments)
        for (int k = 0; k <= 4; ++k) out.push_back(glm::mix(segment.from, segment.to, static_cast<float>(k) / 4.0f));
    for (const auto& [point, radius] : clearance.points)
        for (int k = 0; k < 8; ++k) {
            const float angle = 6.2831853f * static_cast<float>(k) / 8.0f;
            out.push_back(point + radius * vec3(std::cos(angle), 0.0f, std::sin(angle)));
        }
    return out;
}

Mesh spruceCrown(const Spruce& tree, const std::vector<vec3>& seenFrom) {
    auto seen = [&](vec3 outward) {
        if (seenFrom.empty()) return true;
        for (const vec3& p : seenFrom) {
            const vec2 towards(p.x - tree.base.x, p.z - tree.base.z);
            const float distance = glm::length(towards);
            if (distance < 1e-3f || glm::dot(vec2(outward.x, outward.z), towards / distance) > -kHiddenCone) return true;
        }
        return false;
    };
    Mesh crown;
    Random random(tree.seed);
    const float top = tree.height;
    float y = tree.crownBase;
    float turn = random.range(0.0f, 6.2831853f);
    while (y < top - 0.6f) {
        const float up = (y - tree.crownBase) / (top - tree.crownBase);
        const float length = tree.crownRadius * std::pow(1.0f - up, 0.85f) + 0.45f;
        const int count = up < 0.5f ? 5 + random.below(2) : 3 + random.below(2);
        for (int k = 0; k < count; ++k) {
            const float angle = turn + 6.2831853f * (static_cast<float>(k) + random.range(-0.2f, 0.2f)) / count;
            const vec3 outward(std::cos(angle), 0.0f, std::sin(angle));
            // Lower branches slope down more; the sprays roll a little.
            const float slope = -(0.25f + 0.25f * (1.0f - up)) + random.range(-0.08f, 0.08f);
            const vec3 direction = glm::normalize(outward + vec3(0.0f, slope, 0.0f));
            const float roll = random.range(-0.35f, 0.35f);
            const vec3 flatSide = glm::normalize(glm::cross(vec3(0, 1, 0), outward));
            const vec3 side = glm::normalize(flatSide * std::cos(roll) + glm::cross(direction, flatSide) * std::sin(roll));
            const float width = std::min(0.75f * length + 0.3f, 1.9f);
            const vec3 root = tree.base + vec3(0.0f, y, 0.0f) + outward * (tree.trunkRadius * 0.5f);
            // Decided after the card's random draws, so the cards that stay
            // are those of the whole crown.
            if (!seen(outward)) continue;
            crown.append(card(root, direction, side, length, width, 0.35f + 0.2f * (1.0f - up), up < 0.45f ? 2 : 1), glm::mat4(1.0f));
        }
        turn += 2.4f;
        y += 0.6f + 0.3f * up + random.range(-0.08f, 0.08f);
    }
    // The leader: two crossed upright cards.
    for (int k = 0; k < 2; ++k) {
        const float angle = turn + 1.5708f * k;
        const vec3 side(std::cos(angle), 0.0f, std::sin(angle));
        crown.append(card(tree.base + vec3(0.0f, top - 1.2f, 0.0f), vec3(0, 1, 0), side, 1.4f, 0.8f, 0.0f, 1), glm::mat4(1.0f));
    }
    // Shade the crown as a volume: normals point away from its axis, so the
    // cards light like the surface of a cone rather than flat sheets.
    const vec3 axisBottom = tree.base + vec3(0.0f, tree.crownBase, 0.0f);
    for (std::size_t i = 0; i < crown.positions.size(); ++i) {
        const vec3 p = crown.positions[i];
        const vec3 fromAxis = p - vec3(axisBottom.x, p.y, axisBottom.z);
        const float outward = glm::length(fromAxis);
        const vec3 radial = outward > 1e-4f ? fromAxis / outward : vec3(0.0f);
        crown.normals[i] = glm::normalize(radial + vec3(0.0f, 0.6f, 0.0f) + crown.normals[i] * 0.3f);
    }
    return crown;
}

} // namespace assetgen
