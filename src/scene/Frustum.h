#pragma once
// The view frustum used to cull scene objects: six planes (a, b, c, d) with
// unit normals pointing inwards, and a switch. When the switch is off the
// planes are not computed and everything counts as visible.

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include <array>

struct Frustum {
    // Right, left, bottom, top, far, near.
    std::array<glm::vec4, 6> planes{};
    bool enabled = false;

    // The planes of projection x view: row 3 -/+ rows 0, 1, 2 of the matrix,
    // each divided by the length of its normal.
    static Frustum fromViewProjection(const glm::mat4& projectionView);
    static Frustum disabled() { return Frustum{}; }

    // A sphere is rejected by the first plane it lies entirely behind
    // (distance <= -radius; touching from outside counts as behind).
    bool isSphereVisible(const glm::vec3& center, float radius) const;
};
