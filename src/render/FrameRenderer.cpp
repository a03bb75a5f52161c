#include "render/FrameRenderer.h"

#include "app/AppState.h"
#include "app/Camera.h"
#include "app/CameraSet.h"
#include "app/InputController.h"
#include "effects/Campfire.h"
#include "render/GLDebug.h"
#include "render/Level.h"
#include "render/PassProfile.h"
#include "render/PointLight.h"
#include "render/UniformBlocks.h"
#include "scene/ImportObject.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace blocks = rtr::blocks;

namespace {

rtr::gl::TextureName makeTarget(int width, int height, GLint filter, bool clampToEdge) {
    auto texture = rtr::gl::TextureName::generate();
    glBindTexture(GL_TEXTURE_2D, texture.get());
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    if (clampToEdge) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    return texture;
}

// The water surface (the Level's first water object), if the scene has one.
ImportObject* waterSurface(const Level* level) {
    if (level == nullptr)
        return nullptr;
    const auto water = level->getWaterObjects();
    return water.empty() ? nullptr : water.front();
}

} // namespace

void renderFrame() {
    if (frameRenderer != nullptr)
        frameRenderer->renderFrame();
}

FrameRenderer::FrameRenderer() : litProgram(phongProgram), level(::level), width(screenWidth), height(screenHeight) {
    const auto w = static_cast<float>(width), h = static_cast<float>(height);
    screenQuad = std::make_unique<ScreenQuad>(0.0f, 0.0f, w, h);
    debugQuad = std::make_unique<ScreenQuad>(0.0f, 0.0f, 150.0f, 150.0f);

    compositionProgram = std::make_unique<ShaderProgram>("../Shader/textured.vert", "../Shader/textured.frag");
    bufferDebugProgram = std::make_unique<ShaderProgram>("../Shader/textured.vert", "../Shader/texturedDebug.frag");
    blocks::bindProgramBlock(compositionProgram->program, blocks::kMatrices);
    blocks::bindProgramBlock(bufferDebugProgram->program, blocks::kMatrices);

    viewMatrixLocation = glGetUniformLocation(litProgram->program, "viewMatrix");
    projectionMatrixLocation = glGetUniformLocation(litProgram->program, "projectionMatrix");
    const ImportObject* water = waterSurface(level);
    const float waterHeight = water != nullptr ? water->modelMatrix[3].y : 0.0f;
    glUseProgram(litProgram->program);
    glUniform1f(glGetUniformLocation(litProgram->program, "waterLevel"), waterHeight - 0.05f);

    matrices = blocks::createBlockBuffer(blocks::kMatrices, blocks::matrices::kSize);

    sceneFramebuffer = rtr::gl::FramebufferName::generate();
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer.get());
    sceneColourTexture = makeTarget(width, height, GL_LINEAR, false);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, sceneColourTexture.get(), 0);
    sceneMaskTexture = makeTarget(width, height, GL_NEAREST, true);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT1, GL_TEXTURE_2D, sceneMaskTexture.get(), 0);
    sceneDepth = rtr::gl::RenderbufferName::generate();
    glBindRenderbuffer(GL_RENDERBUFFER, sceneDepth.get());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, sceneDepth.get());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    rtr::labelObject(GL_FRAMEBUFFER, sceneFramebuffer.get(), "scene");
    rtr::labelObject(GL_TEXTURE, sceneColourTexture.get(), "scene colour");
    rtr::labelObject(GL_TEXTURE, sceneMaskTexture.get(), "scene copy and masks");

    // glInvalidateFramebuffer is GL 4.3 or ARB_invalidate_subdata; a plain
    // 3.3 driver leaves the entry point null.
    canInvalidate = (GLEW_VERSION_4_3 || GLEW_ARB_invalidate_subdata) && glInvalidateFramebuffer != nullptr;
}

void FrameRenderer::invalidateDepth() {
    if (!canInvalidate)
        return;
    const GLenum depth = GL_DEPTH_ATTACHMENT;
    glInvalidateFramebuffer(GL_DRAW_FRAMEBUFFER, 1, &depth);
}

void FrameRenderer::renderFrame() {
    const InputController& switches = *inputController;
    // Wireframe shows the scene's triangles as lines. Whatever is not the
    // camera's view of the scene stays filled: drawn as lines, the
    // composition quad would leave the window at the clear colour with one
    // diagonal across it.
    scenePolygonMode = switches.wireframe == 1 ? GL_LINE : GL_FILL;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    glGetError();
    glUseProgram(litProgram->program);
    glUniform1i(normalMappingLocation, switches.normalMapping);
    glUniform1i(shadowMappingLocation, switches.shadows);

    renderPasses(*cameras->current(), switches.frustumCulling == 1);

    if (switches.bufferDebugView == 1) {
        glGetError();
        glUseProgram(bufferDebugProgram->program);
        debugQuad->draw(sceneMaskTexture.get());
    }
}

void FrameRenderer::renderPasses(Camera& camera, bool cullingEnabled) {
    const glm::mat4 view = camera.getViewMatrix();
    const glm::mat4 projection = camera.getProjectionMatrix();
    glPolygonMode(GL_FRONT_AND_BACK, scenePolygonMode);
    frustum = cullingEnabled ? Frustum::fromViewProjection(projection * view) : Frustum::disabled();
    glGetError();
    glUseProgram(litProgram->program);
    glUniformMatrix4fv(viewMatrixLocation, 1, GL_FALSE, glm::value_ptr(view));
    glUniformMatrix4fv(projectionMatrixLocation, 1, GL_FALSE, glm::value_ptr(projection));
    // The water's mirrored pass and its draws run only while the surface is
    // in view; they arrive with the water effect.
    const ImportObject* surface = waterSurface(level);
    waterVisible = surface != nullptr && surface->isVisible(frustum);

    // Scene pass: both attachments receive the lit picture; alpha is kept
    // for the masks the effects write afterwards.
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, sceneFramebuffer.get());
    const GLenum both[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
    glDrawBuffers(2, both);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, width, height);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);

    const glm::mat4 sky = projection * view * glm::translate(glm::mat4(1.0f), camera.position);
    blocks::writeMatrices(*matrices, blocks::matrices::kTransform, &sky);
    level->setEyePosition(camera.position);
    level->draw(frustum);

    const glm::mat4 viewAndProjection[2] = {view, projection};
    blocks::writeMatrices(*matrices, blocks::matrices::kModelView, viewAndProjection, 2);

    drawCampfire();
    // The scene pass ends with the picture as the only draw buffer, and
    // nothing after this point tests against the scene's depth.
    invalidateDepth();

    // Composition of the picture onto the window.
    rtr::PassTimer compositionTimer(rtr::Pass::Composition);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    if (!screenMatrixReady) {
        screenMatrix = glm::ortho(0.0f, static_cast<float>(width), static_cast<float>(height), 0.0f);
        screenMatrixReady = true;
    }
    blocks::writeMatrices(*matrices, blocks::matrices::kTransform, &screenMatrix);
    glGetError();
    glUseProgram(compositionProgram->program);
    screenQuad->draw(sceneColourTexture.get());
}

void FrameRenderer::drawCampfire() {
    const GLenum picture = GL_COLOR_ATTACHMENT0, copyAndMasks = GL_COLOR_ATTACHMENT1;
    // Flames and smoke go into both targets, depth-tested against the
    // scene, with the alpha of the second target kept for the masks.
    {
        rtr::PassTimer timer(rtr::Pass::Particles);
        campfire->particles->draw();
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    {
        rtr::PassTimer timer(rtr::Pass::FireMask);
        glDrawBuffers(1, &copyAndMasks);
        campfire->drawMask();
        glDrawBuffers(1, &picture);
    }
    // The haze reads the second target and writes the picture.
    rtr::PassTimer timer(rtr::Pass::Haze);
    glDepthMask(GL_FALSE);
    campfire->haze->draw(sceneMaskTexture.get());
    glDepthMask(GL_TRUE);
}
