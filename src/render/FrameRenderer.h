#pragma once
// One frame of the demo, pass by pass: the fire light's shadow cube map, the
// mirrored pass into the water's reflection target when the water is in
// view, the scene pass into an off-screen framebuffer with two colour
// attachments (the picture, and a copy whose alpha carries the fire and
// water masks for the distortion effects), the effects, and the composition
// of the picture onto the window, with the optional debug overlays. At a
// render scale below 1 the scene's targets have that share of the window's
// pixels in each direction, and the composition scales the picture up with
// linear filtering: every pass that draws the scene shades fewer pixels.
// The GL state between these passes is the contract in PassState.h.

#include "render/Buffer.h"
#include "render/GLObjects.h"
#include "render/LitVariant.h"
#include "render/PassQueries.h"
#include "render/ScreenFootprint.h"
#include "render/ScreenQuad.h"
#include "render/ShaderProgram.h"
#include "scene/Frustum.h"

#include <glm/mat4x4.hpp>

#include <array>
#include <memory>

class Camera;
class Level;
class InputController;
class Water;

// The frame entry of the main loop: the frame renderer's frame, when there
// is one.
void renderFrame();

class FrameRenderer {
public:
    // Reads the Level, the lit program and its mirrored-view variant, the
    // window size and the render scale from the application state; the
    // targets keep their size until resize().
    FrameRenderer();
    FrameRenderer(const FrameRenderer&) = delete;
    FrameRenderer& operator=(const FrameRenderer&) = delete;

    void renderFrame();
    void renderPasses(Camera& camera, bool cullingEnabled);

    // The window's framebuffer has a new size: the scene's picture, copy and
    // depth follow it at the same render scale, and so do the viewport and
    // the composition. The water's reflection target keeps its own size.
    void resize(int newWidth, int newHeight);

    // The frustum the last scene pass culled with.
    const Frustum& lastFrustum() const { return frustum; }
    // Whether the last frame found the water surface in view.
    bool isWaterVisible() const { return waterVisible; }

    GLuint getSceneMaskTexture() const { return sceneMaskTexture.get(); }
    // The scene's targets' share of the window's size, and their size.
    float getRenderScale() const { return scale; }
    int getSceneWidth() const { return sceneWidth; }
    int getSceneHeight() const { return sceneHeight; }

    // Rebuilds the composition and buffer-debug programs from their files,
    // then sets up every program this renderer reads, the lit ones included
    // (reload those first).
    void reloadPrograms(rtr::ProgramReload& reload);

    // The GPU time of each pass, measured while the overlay shows (F1) and
    // read back a few frames later.
    const rtr::PassQueries& passTimes() const { return passQueries; }

    // Off only in the benchmark's floor, which measures the scene pass and
    // the composition alone: no mirrored pass, no campfire draws, no water.
    bool effectsEnabled = true;

private:
    // What the renderer's programs need after each link: their blocks, the
    // lit programs' matrix locations and the constant water level.
    void setUpPrograms();
    // Scene pass: the fire's particles into both targets, its smoke mask
    // into the second target's alpha, the heat haze into the picture.
    void drawCampfire();
    // The bound draw framebuffer's depth (and stencil) are not needed again.
    void invalidateDepth(bool withStencil = false);
    // The scene mirrored in the water plane into the water's reflection
    // target, and the water's mask over it.
    void renderReflection(const Camera& camera, const glm::mat4& view, const glm::mat4& projection);
    // "Matrices" in full for the water surface seen through `view`.
    void writeSurfaceMatrices(const glm::mat4& view, const glm::mat4& projection);

    // Reports either of the scene's framebuffers that the driver refuses.
    void checkFramebuffers() const;

    rtr::gl::FramebufferName sceneFramebuffer;
    // The picture and the scene's depth without the copy: the draws that
    // read the copy (the heat haze, the water) draw through it, since
    // sampling a texture attached to the framebuffer being drawn into is
    // undefined, whichever draw buffers are on.
    rtr::gl::FramebufferName sceneColourFramebuffer;
    rtr::gl::TextureName sceneColourTexture;
    rtr::gl::TextureName sceneMaskTexture;
    rtr::gl::RenderbufferName sceneDepth;
    // The lit program and its mirrored-view variant, and in each the
    // locations of the camera's matrices.
    std::array<ShaderProgram*, kLitVariantCount> litPrograms{};
    std::array<GLint, kLitVariantCount> viewMatrixLocations{-1, -1};
    std::array<GLint, kLitVariantCount> projectionMatrixLocations{-1, -1};
    std::unique_ptr<rtr::UniformBuffer> matrices;
    std::unique_ptr<ShaderProgram> compositionProgram;
    std::unique_ptr<ShaderProgram> bufferDebugProgram;
    std::unique_ptr<ScreenQuad> screenQuad;
    std::unique_ptr<ScreenQuad> debugQuad;
    Level* level;
    Water* water; // null without a water object
    // The window's framebuffer, and the scene's targets at `scale` of it.
    int width;
    int height;
    float scale;
    int sceneWidth;
    int sceneHeight;
    GLenum scenePolygonMode = GL_FILL; // GL_LINE while wireframe is on
    bool screenMatrixReady = false;
    glm::mat4 screenMatrix{1.0f};
    bool canInvalidate = false;
    Frustum frustum;
    bool waterVisible = false;
    // Where the pool lies on screen, with room for its ripples; the whole
    // screen while culling is off.
    rtr::ScreenRect waterFootprint;
    rtr::PassQueries passQueries;
};
