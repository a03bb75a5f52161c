#pragma once
// A point light of the scene: position, colour and intensity for the lit
// program's "Lights" block, and the near/far planes and six cube-face
// matrices its omnidirectional shadow map is rendered with.

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include <vector>

class PointLight {
public:
    // Computes the face matrices at once.
    PointLight(const glm::vec3& position, const glm::vec3& colour, float intensity);

    float nearPlane = 0.0f;
    float farPlane = 100.0f;
    glm::vec3 position;
    glm::vec3 colour;
    float intensity;
    int shadowMap = -1;  // GL name of its shadow cube map, once rendered
    int lightIndex = -1; // key given by the Level: list position + 2
    std::vector<glm::mat4> faceViews;
    glm::mat4 faceProjection{1.0f};
};

// The light's cube-face view matrices (GL face order +X, -X, +Y, -Y, +Z,
// -Z, each a fixed rotation times the translation to the light) and the
// face projection: a field of view a hair over 90 degrees
// (2 atan(1024/1023)), so neighbouring 512-texel faces overlap by a texel,
// near 0 and far 100. The shadow depth is written as the distance to the
// light mapped from [near, far] to [0, 1], so the degenerate near plane does
// no harm.
void updateFaceMatrices(PointLight& light);

// The cube faces of the light's map that a sphere (world centre, radius)
// may show in: bit i for face i. A face is left out only when the sphere
// lies wholly beyond one side of its frustum or behind the light, with a
// margin for rounding, so what is left out could not have drawn a texel.
unsigned cubeFacesReached(const PointLight& light, const glm::vec3& centre, float radius);
