#pragma once
// The inverse of the sky's face mapping: which face, and where on it, a world
// direction lands. Derived from skyDirection() itself (each face is a plane
// one unit out along its centre direction), so the two can never disagree.

#include <cmath>

#include <glm/geometric.hpp>
#include <glm/vec3.hpp>

#include "effects/SkyDirections.h"

namespace assetgen {

struct FacePoint {
    float s = 0.0f; // texture coordinates on the face's plane; outside [0, 1]
    float t = 0.0f; // when the direction passes beside the face
};

class SkyFace {
public:
    explicit SkyFace(int face)
        : index(face),
          centre(rtr::sky::skyDirection(face, 0.5f, 0.5f)),
          sAxis(rtr::sky::skyDirection(face, 1.0f, 0.5f) - centre),
          tAxis(rtr::sky::skyDirection(face, 0.5f, 1.0f) - centre) {}

    int face() const { return index; }

    // How squarely the direction faces this side of the cube; the face with
    // the largest value is the one the direction goes through.
    float facing(glm::vec3 direction) const { return glm::dot(direction, centre); }

    // Where the direction meets this face's plane; only for facing() > 0.
    FacePoint project(glm::vec3 direction) const {
        const glm::vec3 onPlane = direction / glm::dot(direction, centre);
        return {0.5f + 0.5f * glm::dot(onPlane - centre, sAxis), 0.5f + 0.5f * glm::dot(onPlane - centre, tAxis)};
    }

private:
    int index;
    glm::vec3 centre, sAxis, tAxis;
};

struct FaceHit {
    int face = 0;
    FacePoint point;
};

inline FaceHit faceOf(glm::vec3 direction) {
    int best = 0;
    float bestFacing = -1e30f;
    for (int f = 0; f < 6; ++f) {
        const float facing = SkyFace(f).facing(direction);
        if (facing > bestFacing) {
            bestFacing = facing;
            best = f;
        }
    }
    return {best, SkyFace(best).project(direction)};
}

} // namespace assetgen
