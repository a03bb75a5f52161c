#pragma once
// The ground of the clearing as a height function: a gently rolling floor
// rising to a wooded rim, a flat spot for the fire pit, and the hollow of
// the pool, whose basin belongs to the ground so the water has depth.

#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "Mesh.h"

namespace assetgen {

class Terrain {
public:
    float height(float x, float z) const;
    glm::vec3 normal(float x, float z) const;
    glm::vec3 at(float x, float z) const { return {x, height(x, z), z}; }

    // Distance from the pool's centre relative to its shoreline there:
    // below 1 is under water.
    float poolReach(float x, float z) const;
    float poolRadius(float angle) const;

    // The ground mesh: a grid whose cells are smallest around the clearing
    // and grow towards the rim.
    Mesh mesh(int cells) const;
    // The same grid cut into tiles x tiles meshes, row by row along +z,
    // each from +x: the program culls its objects whole, against the view
    // and against each face of the fire light's shadow map, so one mesh
    // over the whole ground is always drawn whole. Neighbouring tiles share
    // their edge vertices bit for bit, so they meet without a seam.
    std::vector<Mesh> tiles(int cells, int tiles) const;
};

} // namespace assetgen
