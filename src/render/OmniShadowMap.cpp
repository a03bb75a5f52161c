#include "render/OmniShadowMap.h"

#include "app/Camera.h"
#include "app/CameraSet.h"
#include "render/GLDebug.h"
#include "render/Level.h"
#include "render/PassProfile.h"
#include "render/PointLight.h"
#include "render/ShaderProgram.h"
#include "scene/ImportObject.h"
#include "scene/Mesh.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The debug cube: four corners per face, faces in the order z = -1, z = +1,
// y = +1, y = -1, x = +1, x = -1.
constexpr float kCubeVertices[24 * 3] = {
    -1, -1, -1, -1, 1,  -1, 1,  1,  -1, 1,  -1, -1, // z = -1
    -1, -1, 1,  1,  -1, 1,  1,  1,  1,  -1, 1,  1,  // z = +1
    1,  1,  1,  1,  1,  -1, -1, 1,  -1, -1, 1,  1,  // y = +1
    1,  -1, 1,  -1, -1, 1,  -1, -1, -1, 1,  -1, -1, // y = -1
    1,  1,  1,  1,  -1, 1,  1,  -1, -1, 1,  1,  -1, // x = +1
    -1, 1,  1,  -1, 1,  -1, -1, -1, -1, -1, -1, 1,  // x = -1
};

// Two triangles per face k: (4k, 4k+1, 4k+2) and (4k, 4k+2, 4k+3).
constexpr GLuint kCubeIndices[36] = {
    0,  1,  2,  0,  2,  3,  4,  5,  6,  4,  6,  7,  8,  9,  10, 8,  10, 11,
    12, 13, 14, 12, 14, 15, 16, 17, 18, 16, 18, 19, 20, 21, 22, 20, 22, 23,
};

static_assert(sizeof kCubeVertices == 288 && sizeof kCubeIndices == 144);

} // namespace

OmniShadowMap::OmniShadowMap(ShaderProgram* debugProgram, ShaderProgram* firstPassProgram, Level* level,
                             CameraSet* cameras)
    : debugProgram(debugProgram), firstPassProgram(firstPassProgram), level(level), cameras(cameras) {
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    debugVertexBuffer = rtr::gl::BufferName::generate();
    glBindBuffer(GL_ARRAY_BUFFER, debugVertexBuffer.get());
    glBufferData(GL_ARRAY_BUFFER, sizeof kCubeVertices, kCubeVertices, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    debugIndexBuffer = rtr::gl::BufferName::generate();
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, debugIndexBuffer.get());
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof kCubeIndices, kCubeIndices, GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

    debugVertexArray = rtr::gl::VertexArrayName::generate();
    glBindVertexArray(debugVertexArray.get());
    glBindBuffer(GL_ARRAY_BUFFER, debugVertexBuffer.get());
    const GLint vp = glGetAttribLocation(debugProgram->program, "vp");
    if (vp >= 0) {
        glEnableVertexAttribArray(static_cast<GLuint>(vp));
        glVertexAttribPointer(static_cast<GLuint>(vp), 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, debugIndexBuffer.get());
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    framebufferName = rtr::gl::FramebufferName::generate();
    glBindFramebuffer(GL_FRAMEBUFFER, framebufferName.get());
    cubeMapName = rtr::gl::TextureName::generate();
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMapName.get());
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    for (GLenum face = 0; face < 6; ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT24, width, height, 0,
                     GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    // The lit program compares distances itself, so the map is read as
    // plain depth values: no comparison mode.

    // Depth only. A plain 3.3 driver also needs the read buffer off: a read
    // buffer naming a missing colour attachment leaves the framebuffer
    // incomplete there (only 4.1 and ES2_compatibility drop that rule).
    const GLenum none = GL_NONE;
    glDrawBuffers(1, &none);
    glReadBuffer(GL_NONE);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, cubeMapName.get(), 0); // all six faces as layers
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        std::fputs("ERROR: incomplete framebuffer\n", stderr);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    rtr::labelObject(GL_FRAMEBUFFER, framebufferName.get(), "shadow cube");
    rtr::labelObject(GL_TEXTURE, cubeMapName.get(), "shadow cube depth");
    rtr::labelObject(GL_VERTEX_ARRAY, debugVertexArray.get(), "shadow debug cube");
    setUpPrograms();
}

void OmniShadowMap::setUpPrograms() {
    glUseProgram(firstPassProgram->program);
    for (int face = 0; face < 6; ++face) {
        const std::string name = "cm_mat[" + std::to_string(face) + "]";
        faceMatrixLocations[face] = glGetUniformLocation(firstPassProgram->program, name.c_str());
    }
    modelLocation = glGetUniformLocation(firstPassProgram->program, "M");
    faceMaskLocation = glGetUniformLocation(firstPassProgram->program, "faceMask");
    nearFarLocation = glGetUniformLocation(firstPassProgram->program, "near_far");
    lightPositionLocation = glGetUniformLocation(firstPassProgram->program, "light_pos");
    glUseProgram(0);
    glUseProgram(debugProgram->program);
    debugModelLocation = glGetUniformLocation(debugProgram->program, "model");
    debugViewLocation = glGetUniformLocation(debugProgram->program, "view");
    debugProjectionLocation = glGetUniformLocation(debugProgram->program, "projection");
    glUseProgram(0);
    rtr::setSamplerUnits(*debugProgram, {{"depthCube", 0}});
}

OmniShadowMap::~OmniShadowMap() {
    framebufferName.reset();
    cubeMapName.reset();
    debugVertexBuffer.reset();
    debugIndexBuffer.reset();
    debugVertexArray.reset();
}

const OmniShadowMap::Bounds& OmniShadowMap::boundsOf(const ImportObject& object) {
    const auto found = casterBounds.find(&object);
    if (found != casterBounds.end())
        return found->second;
    Bounds bounds;
    const Mesh& mesh = *object.mesh;
    const float* positions = object.mesh->getPositions();
    const unsigned count = mesh.getVertexCount();
    if (positions != nullptr && count > 0) {
        glm::vec3 lowest(positions[0], positions[1], positions[2]), highest = lowest;
        for (unsigned v = 1; v < count; ++v) {
            const glm::vec3 p(positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]);
            lowest = glm::min(lowest, p);
            highest = glm::max(highest, p);
        }
        bounds.centre = (lowest + highest) * 0.5f;
        bounds.radius = 0.5f * glm::length(highest - lowest);
    }
    return casterBounds.emplace(&object, bounds).first->second;
}

void OmniShadowMap::renderShadowPass(PointLight& light, bool faceCulling, float casterReach) {
    rtr::PassTimer timer(rtr::Pass::Shadow);
    glBindFramebuffer(GL_FRAMEBUFFER, framebufferName.get());
    glViewport(0, 0, width, height);
    glClear(GL_DEPTH_BUFFER_BIT);

    const Level::ObjectList opaque = level->getOpaqueObjects();
    const Level::ObjectList fire = level->getSecondaryObjects();
    const std::vector<glm::mat4> views = light.faceViews;
    const glm::mat4 projection = light.faceProjection;

    glGetError();
    glUseProgram(firstPassProgram->program);
    // Bound while it is the render target; the first pass never samples it.
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMapName.get());
    for (int face = 5; face >= 0; --face) {
        const glm::mat4 faceMatrix = projection * views[static_cast<std::size_t>(face)];
        glUniformMatrix4fv(faceMatrixLocations[face], 1, GL_FALSE, glm::value_ptr(faceMatrix));
    }
    const glm::vec2 nearFar(light.nearPlane, light.farPlane);
    glUniform2fv(nearFarLocation, 1, glm::value_ptr(nearFar));
    const glm::vec4 lightPosition(light.position, 1.0f);
    glUniform4fv(lightPositionLocation, 1, glm::value_ptr(lightPosition));

    constexpr GLint kAllFaces = 0x3f;
    for (const Level::ObjectList* casters : {&opaque, &fire})
        for (const ImportObject* object : *casters) {
            GLint faces = kAllFaces;
            if (faceCulling) {
                // The sphere in the world: its centre moved by the object's
                // matrix, its radius by the matrix's largest stretch.
                const Bounds& bounds = boundsOf(*object);
                const glm::mat4& m = object->modelMatrix;
                const float stretch = std::sqrt(std::max({glm::dot(glm::vec3(m[0]), glm::vec3(m[0])),
                                                          glm::dot(glm::vec3(m[1]), glm::vec3(m[1])),
                                                          glm::dot(glm::vec3(m[2]), glm::vec3(m[2]))}));
                const glm::vec3 centre(m * glm::vec4(bounds.centre, 1.0f));
                const float radius = bounds.radius * stretch;
                faces = glm::length(centre - light.position) - radius > casterReach
                            ? 0
                            : static_cast<GLint>(cubeFacesReached(light, centre, radius));
                if (faces == 0)
                    continue;
            }
            // With every face named, the geometry stage still drops what a
            // face cannot show; the uniform's sign tells it not to.
            glUniform1i(faceMaskLocation, faceCulling ? faces : -1);
            glBindVertexArray(object->getDepthVao());
            glUniformMatrix4fv(modelLocation, 1, GL_FALSE, glm::value_ptr(object->modelMatrix));
            glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(3 * object->getFaceCount()), GL_UNSIGNED_INT, nullptr);
            glBindVertexArray(0);
        }

    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glUseProgram(0);
    light.shadowMap = static_cast<int>(cubeMapName.get());
}

void OmniShadowMap::drawShadowDebug(const PointLight& light) {
    glGetError();
    glUseProgram(debugProgram->program);
    glm::mat4 model(1.0f);
    model[3] = glm::vec4(light.position, 1.0f);
    const Camera& camera = *cameras->current();
    const glm::mat4 view = camera.getViewMatrix();
    const glm::mat4 projection = camera.getProjectionMatrix();
    glUniformMatrix4fv(debugModelLocation, 1, GL_FALSE, glm::value_ptr(model));
    glUniformMatrix4fv(debugViewLocation, 1, GL_FALSE, glm::value_ptr(view));
    glUniformMatrix4fv(debugProjectionLocation, 1, GL_FALSE, glm::value_ptr(projection));

    // No pass leaves a known unit active.
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMapName.get());
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glBindVertexArray(debugVertexArray.get());
    glDrawElements(GL_TRIANGLES, 36, GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
}
