#pragma once
// Mesh builders for the scene's objects: tubes along a path (trunks, logs),
// end caps, displaced spheres (rocks) and bent cards (foliage).

#include <functional>
#include <vector>

#include "Mesh.h"
#include "Random.h"

namespace assetgen {

struct TubeShape {
    std::vector<glm::vec3> path; // ring centres
    std::vector<float> radii;    // one per ring
    int sides = 8;
    float uTurns = 1.0f;         // texture repeats around the tube
    float vPerUnit = 1.0f;       // texture repeats per unit of length
    // Optional relief: scales the radius at (ring, side).
    std::function<float(int ring, int side)> relief;
};

struct Tube {
    Mesh mesh;
    // The rings' vertex positions, for caps that close the ends exactly.
    std::vector<glm::vec3> firstRing, lastRing;
};

Tube tube(const TubeShape& shape);

// A flat cap over a closed ring of points, facing `outward`, with the ring's
// centre at texture (0.5, 0.5) and the rim at radius 0.5.
Mesh cap(const std::vector<glm::vec3>& ring, glm::vec3 outward);

// A lumpy boulder: a sphere of the given radii, displaced by noise.
Mesh boulder(Random& random, glm::vec3 radii, int rings, int segments);

// A foliage card: a strip from `root` along `direction` (bending down by
// `droop` radians towards its tip), `width` wide, with v = 0 at the root.
Mesh card(glm::vec3 root, glm::vec3 direction, glm::vec3 side, float length, float width, float droop, int segments = 2);

} // namespace assetgen
