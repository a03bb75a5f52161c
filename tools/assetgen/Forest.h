#pragma once
// The spruce forest around the clearing: where the trees stand and their
// meshes, an opaque trunk and a crown of drooping branch cards.

#include <cstdint>
#include <vector>

#include <glm/vec2.hpp>

#include "Mesh.h"
#include "Terrain.h"

namespace assetgen {

struct Spruce {
    glm::vec3 base;     // where the trunk meets the ground
    float height;
    float trunkRadius;
    float crownRadius;  // reach of the lowest branches
    float crownBase;    // height of the lowest branches above the base
    std::uint32_t seed;
};

// Places where a tree must not stand: a disc around each point (cameras,
// the tent) and a corridor along each segment (camera paths, lines of sight).
struct Clearance {
    std::vector<std::pair<glm::vec3, float>> points;
    struct Segment {
        glm::vec3 from, to;
        float radius;
    };
    std::vector<Segment> segments;

    bool blocks(glm::vec3 trunkBase, float trunkHeight, float crownRadius) const;
};

std::vector<Spruce> plantForest(const Terrain& terrain, const Clearance& clearance, std::uint32_t seed);

Mesh spruceTrunk(const Spruce& tree);

// The crown: drooping branch cards in whorls up the trunk, and a leader.
// Given the places the crown is seen from, a branch card that points away
// from every one of them (within kHiddenCone of straight away) is left out:
// from all of them it lies behind the trunk and the branches in front, and
// only showed through their gaps, at the cost of all its fragments.
Mesh spruceCrown(const Spruce& tree, const std::vector<glm::vec3>& seenFrom = {});

// Cosine of the half-angle, about straight away from every place a crown is
// seen from, within which its branch cards are left out.
inline constexpr float kHiddenCone = 0.5f;

// The places the tour's cameras see the forest from: along each of the
// clearance's segments, and around each of its points.
std::vector<glm::vec3> viewpoints(const Clearance& clearance);

} // namespace assetgen
