#pragma once
// The pool's surface: planar reflection with screen-space distortion. The
// frame renderer draws the scene mirrored in the water plane into this
// effect's square reflection target (1024 x 1024 at full render scale); the
// surface then blends that reflection with the scene behind it (the
// renderer's second colour target), both shifted by a scrolling dUdV map and
// lit through a normal map, so the pool ripples without moving a vertex. A
// second program writes only alpha where the surface is, the mask that keeps
// the distortion on the water.

#include "render/GLObjects.h"
#include "render/ShaderProgram.h"

#include <glm/vec3.hpp>

#include <memory>
#include <vector>

#include <glm/vec2.hpp>

class ImportObject;

class Water {
public:
    // The reflection target's side at full render scale; a smaller scale
    // shrinks it alike, down to kLeastReflectionSize.
    static constexpr int kReflectionSize = 1024;
    static constexpr int kLeastReflectionSize = 256;
    static int reflectionSizeFor(float renderScale);
    // Phase per second: one full cycle of the ripples every 8 seconds.
    static constexpr float kPhasePerSecond = 0.125f;
    // The farthest the ripples move a lookup into the reflection or the
    // scene behind from the fragment that makes it, along either screen
    // axis, in normalised device coordinates. water.frag gets it as the
    // uniform "rippleReach" and never shifts further, so whatever must be
    // drawn for the surface to read (the mirrored pass) lies within the
    // pool's outline on screen grown by this much.
    static constexpr float kRippleReach = 0.024f;

    // `surface` stays the Level's; its vertex array gets attribute 0
    // re-pointed at the positions, the only input the water programs read.
    // The reflection target is `reflectionSize` texels square.
    explicit Water(ImportObject* surface, int reflectionSize = kReflectionSize);
    // Deletes the water program, the mask program, the reflection, dUdV and
    // normal textures, the reflection framebuffer, then its depth and
    // stencil buffer, and the band's buffer and vertex array.
    ~Water();
    Water(const Water&) = delete;
    Water& operator=(const Water&) = delete;

    // Advances the phase by dt seconds; it wraps at 1.
    void update(double dt);
    // Writes only alpha, wherever the surface passes the depth test; depth
    // writes are off while it draws.
    void drawMask();
    // The surface, then the triangles of `band` (in normalised device
    // coordinates, as widenedOutline gives them), through the mask program
    // with every state as the caller set it: "Matrices" for the surface
    // before the first, the identity before the second. The mirrored pass
    // marks its stencil with them.
    void drawShape();
    void drawBand(const std::vector<glm::vec2>& band);
    // The surface, reading the reflection on unit 0, `sceneTexture` (the
    // scene behind, with the masks in its alpha) on unit 1, the dUdV map on
    // unit 2 and the normal map on unit 3. Depth, blend and colour-mask
    // state are the caller's.
    void draw(GLuint sceneTexture);

    // Rebuilds both programs from their files and sets them up again.
    void reloadPrograms(rtr::ProgramReload& reload);

    GLuint getReflectionFramebuffer() const { return reflectionFramebuffer.get(); }
    GLuint getReflectionTexture() const { return reflectionTexture.get(); }
    int getReflectionSize() const { return reflectionSize; }
    ImportObject* getSurface() const { return surface; }
    float getTime() const { return time; }
    // The height of the water plane: the surface's world translation in y.
    float height() const;
    // The world box around the surface's vertices.
    const glm::vec3& lowestCorner() const { return lowest; }
    const glm::vec3& highestCorner() const { return highest; }
    // The surface's outline in the world: the edges that only one of its
    // triangles has, two points each.
    const std::vector<glm::vec3>& outlineEdges() const { return outline; }

private:
    // Blocks, sampler units and the time location, after each link.
    void setUpPrograms();

    int reflectionSize;
    rtr::gl::FramebufferName reflectionFramebuffer;
    rtr::gl::RenderbufferName reflectionDepth;
    GLint timeLocation = -1;
    rtr::gl::TextureName reflectionTexture;
    rtr::gl::TextureName dudvTexture;
    rtr::gl::TextureName normalTexture;
    ImportObject* surface;
    std::unique_ptr<ShaderProgram> program;
    std::unique_ptr<ShaderProgram> maskProgram;
    float time = 0.0f;
    glm::vec3 lowest{0.0f};
    glm::vec3 highest{0.0f};
    std::vector<glm::vec3> outline;
    // The band's triangles, refilled each frame it is drawn.
    rtr::gl::BufferName bandBuffer;
    rtr::gl::VertexArrayName bandArray;
};
