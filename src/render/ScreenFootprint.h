#pragma once
// Where a box in the world lands on screen: the rectangle, in normalised
// device coordinates, that bounds its part in front of the near plane. A pass
// whose result is only ever looked at through one object (the water's
// mirrored scene, seen only through the pool) can cull and scissor to it.
// Pure geometry, no GL.

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <vector>

namespace rtr {

struct ScreenRect {
    glm::vec2 lower{-1.0f};
    glm::vec2 upper{1.0f};
    bool empty() const { return !(lower.x < upper.x && lower.y < upper.y); }
    // Grown by `margin` on every side, then cut to the screen [-1, 1].
    ScreenRect grownAndClamped(float margin) const;
};

// The bounds of the box [lowest, highest] seen through viewProjection, on
// and off screen alike: the projections of its corners in front of the near
// plane and of the points where its edges cross it. Empty when the whole box
// lies behind the near plane.
ScreenRect screenFootprint(const glm::mat4& viewProjection, const glm::vec3& lowest, const glm::vec3& highest);

// The band around a flat shape's outline on screen, as triangles in
// normalised device coordinates: every point within `reach` (in x and in y)
// of the outline's projection. `edges` are the outline's edges in the world,
// two points each, on one plane; together with the shape itself (drawn
// apart) the band covers everything within `reach` of the shape. Where the
// shape reaches behind the eye, its cut at the near plane counts as outline.
// Each edge gives the two squares around its ends and the parallelogram
// between them, which make up the edge swept over the square.
std::vector<glm::vec2> widenedOutline(const glm::mat4& viewProjection, const std::vector<glm::vec3>& edges,
                                      float reach);

// The clip-space transform that stretches `rect` over the whole screen:
// frustum planes taken from (this x projection x view) bound just the rect.
glm::mat4 zoomToRect(const ScreenRect& rect);

} // namespace rtr
