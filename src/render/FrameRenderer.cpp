#include "render/FrameRenderer.h"

#include "app/AppState.h"
#include "app/Camera.h"
#include "app/CameraSet.h"
#include "app/InputController.h"
#include "effects/Campfire.h"
#include "effects/Water.h"
#include "render/FramebufferStatus.h"
#include "render/GLDebug.h"
#include "render/Level.h"
#include "render/OmniShadowMap.h"
#include "render/PassProfile.h"
#include "render/PassState.h"
#include "render/PointLight.h"
#include "render/UniformBlocks.h"
#include "scene/ImportObject.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>

namespace blocks = rtr::blocks;

namespace {

void allocateTarget(GLuint texture, int width, int height) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
}

rtr::gl::TextureName makeTarget(int width, int height, GLint filter, bool clampToEdge) {
    auto texture = rtr::gl::TextureName::generate();
    allocateTarget(texture.get(), width, height);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    if (clampToEdge) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    return texture;
}

// Around the pool's outline on screen, the mirrored pass draws as far as the
// ripples shift the surface's lookups, and one texel of the reflection
// target more for its linear filtering (normalised device coordinates, in
// which the target's side is 2).
float reflectionMargin(int reflectionSize) {
    return Water::kRippleReach + 2.0f / static_cast<float>(reflectionSize);
}

// `scale` of a side of `pixels`, at least one pixel.
int scaledSide(int pixels, float scale) {
    if (scale == 1.0f)
        return pixels;
    return std::max(1, static_cast<int>(std::lround(static_cast<float>(pixels) * scale)));
}

constexpr std::size_t kCamera = litIndex(LitVariant::Camera);
constexpr std::size_t kMirrored = litIndex(LitVariant::Mirrored);

// Reflection in the horizontal plane y = height: y becomes 2 height - y.
glm::mat4 mirrorInWaterPlane(float height) {
    return glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 2.0f * height, 0.0f)) *
           glm::scale(glm::mat4(1.0f), glm::vec3(1.0f, -1.0f, 1.0f));
}

} // namespace

void renderFrame() {
    if (frameRenderer != nullptr)
        frameRenderer->renderFrame();
}

FrameRenderer::FrameRenderer()
    : litPrograms{phongProgram, mirroredPhongProgram}, level(::level), water(::water), width(screenWidth),
      height(screenHeight), scale(renderScale), sceneWidth(scaledSide(width, scale)),
      sceneHeight(scaledSide(height, scale)) {
    const auto w = static_cast<float>(width), h = static_cast<float>(height);
    screenQuad = std::make_unique<ScreenQuad>(0.0f, 0.0f, w, h);
    debugQuad = std::make_unique<ScreenQuad>(0.0f, 0.0f, 150.0f, 150.0f);

    compositionProgram = std::make_unique<ShaderProgram>("../Shader/textured.vert", "../Shader/textured.frag");
    bufferDebugProgram = std::make_unique<ShaderProgram>("../Shader/textured.vert", "../Shader/texturedDebug.frag");
    setUpPrograms();

    matrices = blocks::createBlockBuffer(blocks::kMatrices, blocks::matrices::kSize);

    sceneFramebuffer = rtr::gl::FramebufferName::generate();
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer.get());
    // Linear filtering on the picture scales it up to the window in the
    // composition (at full scale it meets the texels' centres exactly).
    sceneColourTexture = makeTarget(sceneWidth, sceneHeight, GL_LINEAR, false);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, sceneColourTexture.get(), 0);
    sceneMaskTexture = makeTarget(sceneWidth, sceneHeight, GL_NEAREST, true);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT1, GL_TEXTURE_2D, sceneMaskTexture.get(), 0);
    sceneDepth = rtr::gl::RenderbufferName::generate();
    glBindRenderbuffer(GL_RENDERBUFFER, sceneDepth.get());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, sceneWidth, sceneHeight);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, sceneDepth.get());
    sceneColourFramebuffer = rtr::gl::FramebufferName::generate();
    glBindFramebuffer(GL_FRAMEBUFFER, sceneColourFramebuffer.get());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, sceneColourTexture.get(), 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, sceneDepth.get());
    checkFramebuffers();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    rtr::labelObject(GL_FRAMEBUFFER, sceneFramebuffer.get(), "scene");
    rtr::labelObject(GL_FRAMEBUFFER, sceneColourFramebuffer.get(), "scene colour");
    rtr::labelObject(GL_TEXTURE, sceneColourTexture.get(), "scene colour");
    rtr::labelObject(GL_TEXTURE, sceneMaskTexture.get(), "scene copy and masks");

    // glInvalidateFramebuffer is GL 4.3 or ARB_invalidate_subdata; a plain
    // 3.3 driver leaves the entry point null.
    canInvalidate = (GLEW_VERSION_4_3 || GLEW_ARB_invalidate_subdata) && glInvalidateFramebuffer != nullptr;
}

void FrameRenderer::resize(int newWidth, int newHeight) {
    if (newWidth == width && newHeight == height)
        return;
    width = newWidth;
    height = newHeight;
    sceneWidth = scaledSide(width, scale);
    sceneHeight = scaledSide(height, scale);
    // New storage for the same names: the framebuffer keeps its attachments.
    allocateTarget(sceneColourTexture.get(), sceneWidth, sceneHeight);
    allocateTarget(sceneMaskTexture.get(), sceneWidth, sceneHeight);
    glBindRenderbuffer(GL_RENDERBUFFER, sceneDepth.get());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, sceneWidth, sceneHeight);
    checkFramebuffers();
    screenQuad = std::make_unique<ScreenQuad>(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height));
    screenMatrixReady = false;
}

void FrameRenderer::checkFramebuffers() const {
    GLint drawFramebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, sceneFramebuffer.get());
    rtr::checkFramebufferComplete(GL_DRAW_FRAMEBUFFER, "scene");
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, sceneColourFramebuffer.get());
    rtr::checkFramebufferComplete(GL_DRAW_FRAMEBUFFER, "scene colour");
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
}

void FrameRenderer::setUpPrograms() {
    blocks::bindProgramBlock(compositionProgram->program, blocks::kMatrices);
    blocks::bindProgramBlock(bufferDebugProgram->program, blocks::kMatrices);
    rtr::setSamplerUnits(*compositionProgram, {{"image", 0}});
    rtr::setSamplerUnits(*bufferDebugProgram, {{"image", 0}});

    // Only the mirrored view cuts at the water level; the camera's program
    // has no "waterLevel" (-1, which GL passes over).
    const float waterHeight = water != nullptr ? water->height() : 0.0f;
    for (std::size_t i = 0; i < kLitVariantCount; ++i) {
        const GLuint program = litPrograms[i]->program;
        viewMatrixLocations[i] = glGetUniformLocation(program, "viewMatrix");
        projectionMatrixLocations[i] = glGetUniformLocation(program, "projectionMatrix");
        glUseProgram(program);
        glUniform1f(glGetUniformLocation(program, "waterLevel"), waterHeight - 0.05f);
    }
}

void FrameRenderer::reloadPrograms(rtr::ProgramReload& reload) {
    reload(*compositionProgram);
    reload(*bufferDebugProgram);
    setUpPrograms();
}

void FrameRenderer::invalidateDepth(bool withStencil) {
    if (!canInvalidate)
        return;
    const GLenum attachments[2] = {GL_DEPTH_ATTACHMENT, GL_STENCIL_ATTACHMENT};
    glInvalidateFramebuffer(GL_DRAW_FRAMEBUFFER, withStencil ? 2 : 1, attachments);
}

void FrameRenderer::renderFrame() {
    const InputController& switches = *inputController;
    rtr::checkPassState({"the frame's start"});
    // Wireframe shows the scene's triangles as lines. Whatever is not the
    // camera's view of the scene stays filled: drawn as lines, the
    // composition quad would leave the window at the clear colour with one
    // diagonal across it.
    scenePolygonMode = switches.wireframe == 1 ? GL_LINE : GL_FILL;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    // Only the overlay shows the passes' GPU times; hidden, it costs no query.
    if (switches.overlay == 1)
        passQueries.beginFrame();
    else
        passQueries.pause();

    glGetError();
    glUseProgram(litPrograms[kCamera]->program);
    glUniform1i(normalMappingLocation, switches.normalMapping);
    glUniform1i(shadowMappingLocation, switches.shadows);

    // The shadow map is rendered for the Level's first light (the fire's),
    // always filled: lines in the map would light what they should shadow.
    const auto lights = level->lights();
    PointLight* shadowCaster = shadowMap != nullptr && !lights.empty() ? lights.front() : nullptr;
    if (switches.shadows == 1 && shadowCaster != nullptr)
        shadowMap->renderShadowPass(*shadowCaster, switches.frustumCulling == 1);
    rtr::checkPassState({"the shadow pass's end"});

    renderPasses(*cameras->current(), switches.frustumCulling == 1);

    if (switches.bufferDebugView == 1) {
        glGetError();
        glUseProgram(bufferDebugProgram->program);
        debugQuad->draw(sceneMaskTexture.get());
    }
    if (switches.shadowDebugView == 1 && shadowCaster != nullptr)
        shadowMap->drawShadowDebug(*shadowCaster);
    rtr::checkPassState({"the frame's end"});
    passQueries.endFrame();
}

void FrameRenderer::renderPasses(Camera& camera, bool cullingEnabled) {
    const glm::mat4 view = camera.getViewMatrix();
    const glm::mat4 projection = camera.getProjectionMatrix();
    glPolygonMode(GL_FRONT_AND_BACK, scenePolygonMode);
    frustum = cullingEnabled ? Frustum::fromViewProjection(projection * view) : Frustum::disabled();
    glGetError();
    glUseProgram(litPrograms[kCamera]->program);
    glUniformMatrix4fv(viewMatrixLocations[kCamera], 1, GL_FALSE, glm::value_ptr(view));
    glUniformMatrix4fv(projectionMatrixLocations[kCamera], 1, GL_FALSE, glm::value_ptr(projection));
    // The water's mirrored pass and its draws run only while the surface is
    // in view.
    waterVisible = effectsEnabled && water != nullptr && water->getSurface()->isVisible(frustum);
    if (waterVisible && frustum.enabled) {
        waterFootprint = rtr::screenFootprint(projection * view, water->lowestCorner(), water->highestCorner())
                             .grownAndClamped(reflectionMargin(water->getReflectionSize()));
        waterVisible = !waterFootprint.empty();
    } else {
        waterFootprint = rtr::ScreenRect{};
    }
    if (waterVisible) {
        rtr::PassTimer timer(rtr::Pass::Reflection);
        renderReflection(camera, view, projection);
    }
    rtr::checkPassState({"the mirrored pass's end", scenePolygonMode});

    // Scene pass: both attachments receive the lit picture; alpha is kept
    // for the masks the effects write afterwards.
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, sceneFramebuffer.get());
    const GLenum both[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
    glDrawBuffers(2, both);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, sceneWidth, sceneHeight);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);

    const glm::mat4 sky = projection * view * glm::translate(glm::mat4(1.0f), camera.position);
    blocks::writeMatrices(*matrices, blocks::matrices::kTransform, &sky);
    level->setEyePosition(camera.position);
    level->draw(frustum);
    rtr::checkPassState({"the lit scene's end", scenePolygonMode, false});

    const glm::mat4 viewAndProjection[2] = {view, projection};
    blocks::writeMatrices(*matrices, blocks::matrices::kModelView, viewAndProjection, 2);

    const GLenum picture = GL_COLOR_ATTACHMENT0;
    if (effectsEnabled) {
        drawCampfire();
    } else {
        // What the campfire's draws would have left behind.
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDrawBuffers(1, &picture);
    }
    if (waterVisible) {
        // The mask goes into the copy's alpha; the surface then reads the
        // copy (the scene behind it) while it draws into the picture,
        // through the framebuffer that has no copy attached.
        rtr::PassTimer timer(rtr::Pass::Water);
        writeSurfaceMatrices(view, projection);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, sceneFramebuffer.get());
        const GLenum copy = GL_COLOR_ATTACHMENT1;
        glDrawBuffers(1, &copy);
        water->drawMask();
        glDrawBuffers(1, &picture);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, sceneColourFramebuffer.get());
        water->draw(sceneMaskTexture.get());
        rtr::checkPassState({"the water's end", scenePolygonMode});
    }
    // The scene pass ends with the picture as the only draw buffer, and
    // nothing after this point tests against the scene's depth.
    invalidateDepth();

    // Composition of the picture onto the window.
    rtr::PassTimer compositionTimer(rtr::Pass::Composition);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    glClear(GL_COLOR_BUFFER_BIT);
    if (!screenMatrixReady) {
        screenMatrix = glm::ortho(0.0f, static_cast<float>(width), static_cast<float>(height), 0.0f);
        screenMatrixReady = true;
    }
    blocks::writeMatrices(*matrices, blocks::matrices::kTransform, &screenMatrix);
    glGetError();
    glUseProgram(compositionProgram->program);
    screenQuad->draw(sceneColourTexture.get());
    rtr::checkPassState({"the composition's end"});
}

void FrameRenderer::renderReflection(const Camera& camera, const glm::mat4& view, const glm::mat4& projection) {
    const float waterHeight = water->height();
    const glm::mat4 reflectedView = view * mirrorInWaterPlane(waterHeight);
    // The mirrored scene is only ever seen through the pool, and the pool
    // covers the same pixels in the mirrored view as in the camera's (the
    // mirror leaves its plane in place). So only what the pool's footprint
    // shows is culled in and drawn.
    const Frustum reflectedFrustum =
        frustum.enabled ? Frustum::fromViewProjection(rtr::zoomToRect(waterFootprint) * projection * reflectedView)
                        : Frustum::disabled();

    const int reflectionSize = water->getReflectionSize();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, water->getReflectionFramebuffer());
    glViewport(0, 0, reflectionSize, reflectionSize);
    const auto toPixel = [reflectionSize](float ndc) {
        return static_cast<GLint>(std::floor((ndc * 0.5f + 0.5f) * static_cast<float>(reflectionSize)));
    };
    const GLint left = toPixel(waterFootprint.lower.x), bottom = toPixel(waterFootprint.lower.y);
    glEnable(GL_SCISSOR_TEST);
    glScissor(left, bottom, toPixel(waterFootprint.upper.x) + 1 - left, toPixel(waterFootprint.upper.y) + 1 - bottom);
    glStencilMask(0xff);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);

    // Within that rectangle, only the pool itself and what its ripples can
    // reach around it: the surface and the band around its outline go into
    // the stencil, and the mirrored scene is drawn where they are. Culling
    // off culls nothing, here too.
    const bool stencilled = frustum.enabled;
    if (stencilled) {
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(GL_ALWAYS, 1, 0xff);
        glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE); // seen from below, or a band turned either way
        // Filled in wireframe too: marked as lines, the stencil would let
        // the mirrored scene through only along the marking's edges.
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        writeSurfaceMatrices(view, projection);
        water->drawShape();
        const glm::mat4 identity(1.0f);
        blocks::writeMatrices(*matrices, blocks::matrices::kTransform, &identity);
        water->drawBand(
            rtr::widenedOutline(projection * view, water->outlineEdges(), reflectionMargin(reflectionSize)));
        glPolygonMode(GL_FRONT_AND_BACK, scenePolygonMode);
        glEnable(GL_CULL_FACE);
        glEnable(GL_DEPTH_TEST);
        // No stencil writes while the scene draws: the driver may then test
        // depth and stencil before shading even for programs that discard.
        glStencilFunc(GL_EQUAL, 1, 0xff);
        glStencilMask(0);
    }

    // The mirror turns every triangle's winding around, so the faces to keep
    // are the ones that now look clockwise. The lit program's mirrored-view
    // variant cuts away what lies below the water, and has no fire shadow
    // and no normal maps.
    glGetError();
    glUseProgram(litPrograms[kMirrored]->program);
    glUniformMatrix4fv(viewMatrixLocations[kMirrored], 1, GL_FALSE, glm::value_ptr(reflectedView));
    glUniformMatrix4fv(projectionMatrixLocations[kMirrored], 1, GL_FALSE, glm::value_ptr(projection));
    glCullFace(GL_FRONT);
    glEnable(GL_CLIP_DISTANCE0);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);

    // The sky around the camera's mirror image.
    const glm::vec3 mirroredEye(camera.position.x, 2.0f * waterHeight - camera.position.y, camera.position.z);
    const glm::mat4 sky = projection * reflectedView * glm::translate(glm::mat4(1.0f), mirroredEye);
    blocks::writeMatrices(*matrices, blocks::matrices::kTransform, &sky);
    // Blended objects are sorted from where this pass looks: the mirror
    // image of the eye.
    level->setEyePosition(mirroredEye);
    level->drawMirrored(reflectedFrustum);

    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_CLIP_DISTANCE0);
    glCullFace(GL_BACK);
    // The whole surface marks the reflection's alpha, even where mirrored
    // geometry stands nearer than the water plane.
    glDepthFunc(GL_ALWAYS);
    writeSurfaceMatrices(view, projection);
    water->drawMask();
    glDepthFunc(GL_LESS);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glStencilMask(0xff);
    invalidateDepth(true);
}

void FrameRenderer::writeSurfaceMatrices(const glm::mat4& view, const glm::mat4& projection) {
    const glm::mat4 modelView = view * water->getSurface()->modelMatrix;
    const glm::mat4 surface[5] = {projection * modelView, view, modelView, projection,
                                  glm::transpose(glm::inverse(modelView))};
    blocks::writeMatrices(*matrices, blocks::matrices::kTransform, surface, 5);
}

void FrameRenderer::drawCampfire() {
    const GLenum picture = GL_COLOR_ATTACHMENT0, copyAndMasks = GL_COLOR_ATTACHMENT1;
    // Flames and smoke go into both targets, depth-tested against the
    // scene, with the alpha of the second target kept for the masks.
    {
        rtr::PassTimer timer(rtr::Pass::Particles);
        campfire->particles->draw();
    }
    rtr::checkPassState({"the flames and smoke's end", scenePolygonMode, false});
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    {
        rtr::PassTimer timer(rtr::Pass::FireMask);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, sceneFramebuffer.get());
        glDrawBuffers(1, &copyAndMasks);
        campfire->drawMask();
        glDrawBuffers(1, &picture);
    }
    rtr::checkPassState({"the smoke mask's end", scenePolygonMode});
    // The haze reads the second target and writes the picture, through the
    // framebuffer that has no second target.
    {
        rtr::PassTimer timer(rtr::Pass::Haze);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, sceneColourFramebuffer.get());
        glDepthMask(GL_FALSE);
        campfire->haze->draw(sceneMaskTexture.get());
        glDepthMask(GL_TRUE);
    }
    rtr::checkPassState({"the heat haze's end", scenePolygonMode});
}
