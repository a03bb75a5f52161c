#pragma once
// Heat shimmer above the campfire: one world-space point that the haze
// geometry shader grows into a screen-facing area, whose fragments re-read
// the already rendered scene through a scrolling distortion (dUdV) map.
// The distortion fades to nothing at the area's edges, so the area itself
// never shows.

#include "render/Buffer.h"
#include "render/GLObjects.h"
#include "render/ShaderProgram.h"

#include <glm/vec3.hpp>

#include <memory>

class HeatHaze {
public:
    explicit HeatHaze(const glm::vec3& position);
    // Releases the program, the vertex array, the vertex buffer, then the
    // distortion map.
    ~HeatHaze();
    HeatHaze(const HeatHaze&) = delete;
    HeatHaze& operator=(const HeatHaze&) = delete;

    // sceneTexture: the scene image to distort (read on unit 0; the
    // distortion map goes on unit 1). Depth state is the caller's.
    void draw(GLuint sceneTexture);

    // Rebuilds the haze program from its files and sets it up again.
    void reloadPrograms(rtr::ProgramReload& reload);

    // Advances the scroll phase by dt: a 5-second cycle in [0, 1).
    static float nextPhase(float time, float dt);

    float time = 0.0f; // scroll phase in [0, 1)

private:
    // The "Matrices" block, the sampler units and the time location, after
    // each link.
    void setUpPrograms();

    std::unique_ptr<ShaderProgram> program;
    rtr::gl::VertexArrayName vertexArray;
    std::unique_ptr<rtr::VertexBuffer> vertexBuffer;
    rtr::gl::TextureName dudvTexture;
    GLint timeLocation = -1;
};
