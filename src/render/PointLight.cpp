#include "render/PointLight.h"

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <cstddef>

PointLight::PointLight(const glm::vec3& position, const glm::vec3& colour, float intensity)
    : position(position), colour(colour), intensity(intensity) {
    updateFaceMatrices(*this);
}

void updateFaceMatrices(PointLight& light) {
    // Columns of each face's rotation: the look-at of direction d with GL's
    // cube-map up vector, written out.
    static const glm::mat4 rotations[6] = {
        glm::mat4({0, 0, -1, 0}, {0, -1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 0, 1}), // +X
        glm::mat4({0, 0, 1, 0}, {0, -1, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}),   // -X
        glm::mat4({1, 0, 0, 0}, {0, 0, -1, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}),   // +Y
        glm::mat4({1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}, {0, 0, 0, 1}),   // -Y
        glm::mat4({1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {0, 0, 0, 1}),  // +Z
        glm::mat4({-1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}),  // -Z
    };
    light.faceViews.clear();
    const glm::mat4 toLight = glm::translate(glm::mat4(1.0f), -light.position);
    light.nearPlane = 0.0f;
    light.farPlane = 100.0f;
    const auto fovy = static_cast<float>(2.0 * std::atan(1024.0 / 1023.0));
    light.faceProjection = glm::perspective(fovy, 1.0f, light.nearPlane, light.farPlane);
    for (const glm::mat4& rotation : rotations)
        light.faceViews.push_back(rotation * toLight);
}

unsigned cubeFacesReached(const PointLight& light, const glm::vec3& centre, float radius) {
    // Relative rounding of the clip coordinates the GPU computes, with room
    // to spare: a sphere must clear a plane by this much to count as beyond.
    const float margin = 1e-3f * (glm::length(centre - light.position) + radius) + 1e-4f;
    const glm::vec4 point(centre, 1.0f);
    unsigned faces = 0;
    for (std::size_t face = 0; face < light.faceViews.size() && face < 6; ++face) {
        const glm::mat4 m = glm::transpose(light.faceProjection * light.faceViews[face]); // rows as columns
        // x = +-w, y = +-w, and w = 0: depth equals w here (near plane 0),
        // so only w < 0 clips in depth.
        const glm::vec4 planes[5] = {m[3] - m[0], m[3] + m[0], m[3] - m[1], m[3] + m[1], m[3]};
        bool reached = true;
        for (const glm::vec4& plane : planes) {
            const float length = glm::length(glm::vec3(plane));
            if (length > 0.0f && glm::dot(plane, point) < -(radius + margin) * length) {
                reached = false;
                break;
            }
        }
        if (reached)
            faces |= 1u << face;
    }
    return faces;
}
