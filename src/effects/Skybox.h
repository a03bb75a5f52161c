#pragma once
// The night-sky backdrop: a unit cube around the eye, textured with a cube
// map of six images and drawn at the far plane, so it stays behind all scene
// geometry under a GL_LESS depth test with depth writes on.

#include "render/Buffer.h"
#include "render/GLObjects.h"
#include "render/ShaderProgram.h"

#include <array>
#include <memory>
#include <string>

class Skybox {
public:
    // The default faces from ../Textures/skybox/.
    Skybox();
    // Faces in GL order +X, -X, +Y, -Y, +Z, -Z.
    explicit Skybox(const std::array<std::string, 6>& facePaths);
    // Releases the vertex array, the vertex and index buffers, the program,
    // then the cube map.
    ~Skybox();
    Skybox(const Skybox&) = delete;
    Skybox& operator=(const Skybox&) = delete;

    // Draws the 36 indices with the sky program and the cube map on unit 0.
    // Depth and culling state are the caller's.
    void draw();

    // Rebuilds the sky program from its files and sets it up again.
    void reloadPrograms(rtr::ProgramReload& reload);

    GLuint getVertexArray() const { return vertexArray.get(); }
    GLuint getCubeMap() const { return cubeMap.get(); }

    static const std::array<std::string, 6>& defaultFacePaths();
    static constexpr int kIndexCount = 36;

private:
    // The "Matrices" block, after each link.
    void setUpPrograms();

    rtr::gl::VertexArrayName vertexArray;
    std::unique_ptr<rtr::VertexBuffer> vertexBuffer;
    std::unique_ptr<rtr::IndexBuffer> indexBuffer;
    std::unique_ptr<ShaderProgram> program;
    rtr::gl::TextureName cubeMap;
};
