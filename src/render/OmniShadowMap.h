#pragma once
// Omnidirectional shadows of a point light: one 512 x 512 depth cube map,
// filled in a single pass whose geometry stage sends every caster triangle
// to the six faces (layers) at once, so each caster is submitted once per
// frame instead of six times. The depth stored is the distance to the light
// scaled by its near and far planes, which the lit program reads back. A
// small cube drawn at the light shows the map for debugging.
//
// The six face matrices themselves belong to the light (updateFaceMatrices
// in PointLight.h), since a light computes them before any map exists.

#include "render/GLObjects.h"

#include <glm/vec3.hpp>

#include <unordered_map>

class CameraSet;
class ImportObject;
class Level;
class PointLight;
class ShaderProgram;

class OmniShadowMap {
public:
    static constexpr int kSize = 512;

    // The programs, the Level and the cameras are shared and outlive the
    // map. An incomplete framebuffer is reported on standard error and the
    // program goes on without working shadows.
    OmniShadowMap(ShaderProgram* debugProgram, ShaderProgram* firstPassProgram, Level* level, CameraSet* cameras);
    // Deletes the framebuffer, the cube map, the debug cube's vertex and
    // index buffers, then its vertex array.
    ~OmniShadowMap();
    OmniShadowMap(const OmniShadowMap&) = delete;
    OmniShadowMap& operator=(const OmniShadowMap&) = delete;

    // A caster whose bounding sphere lies wholly farther than this from the
    // light is left out of its map while culling is on. Every shadow lies
    // farther from the light than what casts it, and 20 m out the fire
    // light's falloff, 1 / (1 + d^2), has taken it to 1/400 of its strength
    // at the light: what such shadows take from the tour's frames is at most
    // 3 steps on a few pixels, and the ground and the trees out there were
    // half of the pass's work.
    static constexpr float kCasterReach = 20.0f;

    // Renders the Level's opaque and fire objects into the cube map from the
    // light's position with its current face matrices, and hands the map to
    // the light. Leaves the viewport at the map's size. With `faceCulling`
    // each caster goes only to the faces its bounding sphere reaches and the
    // geometry stage drops triangles beyond a face's frustum, which leaves
    // the map the same, only cheaper; and casters wholly beyond
    // `casterReach` are left out (all of it off with the frustum culling
    // switch).
    void renderShadowPass(PointLight& light, bool faceCulling = true, float casterReach = kCasterReach);
    // The map on a cube of half-size 1 around the light, seen by the
    // selected camera through all geometry, on whatever is bound now.
    void drawShadowDebug(const PointLight& light);

    // Looks up the uniforms of the depth pass and the debug view; again
    // after each link of either program.
    void setUpPrograms();

    GLuint cubeMap() const { return cubeMapName.get(); }
    GLuint framebuffer() const { return framebufferName.get(); }

private:
    rtr::gl::BufferName debugVertexBuffer;
    rtr::gl::BufferName debugIndexBuffer;
    rtr::gl::VertexArrayName debugVertexArray;
    rtr::gl::FramebufferName framebufferName;
    rtr::gl::TextureName cubeMapName;
    int width = kSize;
    int height = kSize;
    ShaderProgram* debugProgram;
    ShaderProgram* firstPassProgram;
    Level* level;
    CameraSet* cameras;
    // Where a caster's vertices lie in its own space: the middle of their
    // box and the half-diagonal, for the test against the faces.
    struct Bounds {
        glm::vec3 centre{0.0f};
        float radius = 0.0f;
    };
    const Bounds& boundsOf(const ImportObject& object);

    std::unordered_map<const ImportObject*, Bounds> casterBounds;
    GLint modelLocation = -1; // "M"
    GLint faceMaskLocation = -1;
    GLint faceMatrixLocations[6] = {-1, -1, -1, -1, -1, -1};
    GLint lightPositionLocation = -1;
    GLint nearFarLocation = -1;
    GLint debugModelLocation = -1;
    GLint debugViewLocation = -1;
    GLint debugProjectionLocation = -1;
};
