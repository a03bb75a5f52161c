#include "scene/Frustum.h"

#include <glm/geometric.hpp>

namespace {

glm::vec4 row(const glm::mat4& m, int i) { return {m[0][i], m[1][i], m[2][i], m[3][i]}; }

glm::vec4 normalisedPlane(const glm::vec4& plane) { return plane / glm::length(glm::vec3(plane)); }

} // namespace

Frustum Frustum::fromViewProjection(const glm::mat4& m) {
    Frustum frustum;
    frustum.enabled = true;
    const glm::vec4 r0 = row(m, 0), r1 = row(m, 1), r2 = row(m, 2), r3 = row(m, 3);
    frustum.planes = {normalisedPlane(r3 - r0), normalisedPlane(r3 + r0), normalisedPlane(r3 + r1),
                      normalisedPlane(r3 - r1), normalisedPlane(r3 - r2), normalisedPlane(r3 + r2)};
    return frustum;
}

bool Frustum::isSphereVisible(const glm::vec3& center, float radius) const {
    if (!enabled)
        return true;
    for (const glm::vec4& p : planes)
        if (p.x * center.x + p.y * center.y + p.z * center.z + p.w <= -radius)
            return false;
    return true;
}
