#include "render/PointLight.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

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
