#include "render/Level.h"

#include "render/GLDebug.h"
#include "render/LightsBlock.h"
#include "render/PassProfile.h"
#include "render/PointLight.h"
#include "render/ShaderProgram.h"
#include "render/UniformBlocks.h"
#include "scene/ImportObject.h"
#include "scene/Material.h"
#include "scene/Mesh.h"

#include <algorithm>
#include <cassert>

namespace {

// The middle of the mesh's bounding box, in the mesh's own coordinates.
glm::vec3 localCentre(Mesh& mesh) {
    const float* positions = mesh.getPositions();
    const unsigned count = mesh.getVertexCount();
    if (positions == nullptr || count == 0)
        return glm::vec3(0.0f);
    glm::vec3 lowest(positions[0], positions[1], positions[2]), highest = lowest;
    for (unsigned v = 1; v < count; ++v) {
        const glm::vec3 p(positions[v * 3], positions[v * 3 + 1], positions[v * 3 + 2]);
        lowest = glm::min(lowest, p);
        highest = glm::max(highest, p);
    }
    return (lowest + highest) * 0.5f;
}

} // namespace

Level::Level(const glm::mat4& modelMatrix, ShaderProgram* litProgram, ObjectList opaqueObjects,
             ObjectList transparentObjects, ObjectList waterObjects, ObjectList secondaryObjects,
             std::vector<PointLight*> lights, std::vector<Material*> materials, Camera* activeCamera,
             std::vector<rtr::gl::TextureName> textures)
    : SceneObject(modelMatrix), opaqueObjects(own(std::move(opaqueObjects))),
      transparentObjects(own(std::move(transparentObjects))), waterObjects(own(std::move(waterObjects))),
      secondaryObjects(own(std::move(secondaryObjects))), lightList(std::move(lights)),
      textures(std::move(textures)), litProgram(litProgram), activeCamera(activeCamera) {
    for (Material* material : materials)
        this->materials.emplace_back(material);

    setUpLightsBlock();

    shadowSampler = rtr::gl::SamplerName::generate();
    const GLuint sampler = shadowSampler.get();
    glSamplerParameteri(sampler, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
    glSamplerParameteri(sampler, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    for (const GLenum wrap : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R})
        glSamplerParameteri(sampler, wrap, GL_CLAMP_TO_EDGE);
    rtr::labelObject(GL_SAMPLER, sampler, "shadow comparison");

    for (const auto& object : this->transparentObjects)
        transparentCentres.push_back(localCentre(*object->mesh));
    transparentOrder.reserve(this->transparentObjects.size());
}

Level::~Level() {
    lightsBuffer.reset();
    staging.clear();
    waterObjects.clear();
    transparentObjects.clear();
    opaqueObjects.clear();
    secondaryObjects.clear();
    materials.clear();
    textures.clear();
    shadowSampler.reset();
}

Level::OwnedList Level::own(ObjectList list) {
    OwnedList owned;
    owned.reserve(list.size());
    for (ImportObject* object : list)
        owned.emplace_back(object);
    return owned;
}

Level::ObjectList Level::raw(const OwnedList& list) {
    ObjectList pointers;
    pointers.reserve(list.size());
    for (const auto& object : list)
        pointers.push_back(object.get());
    return pointers;
}

std::vector<Material*> Level::getMaterials() const {
    std::vector<Material*> pointers;
    for (const auto& material : materials)
        pointers.push_back(material.get());
    return pointers;
}

void Level::addLight(PointLight* light) {
    light->lightIndex = lightCount() + 2;
    lightList.push_back(light);
}

int Level::shadowMapOfLight(int key) const {
    for (const PointLight* light : lightList)
        if (light->lightIndex == key)
            return light->shadowMap;
    return -1;
}

void Level::initShadowSamplers() {
    static const char* const names[5] = {"depth_map", "depth_map2", "depth_map3", "depth_map4", "depth_map5"};
    glUseProgram(litProgram->program);
    for (int i = 0; i < 5; ++i)
        shadowSamplerLocations[i] = glGetUniformLocation(litProgram->program, names[i]);
    shadowMapBoundLocation = glGetUniformLocation(litProgram->program, "shadowMapBound");
    glUseProgram(0);
}

void Level::setUpLightsBlock() {
    const GLint blockSize = rtr::blocks::bindProgramBlock(litProgram->program, rtr::blocks::kLights);
    if (mirroredProgram != nullptr)
        rtr::blocks::bindProgramBlock(mirroredProgram->program, rtr::blocks::kLights);
    const std::size_t stagingSize = static_cast<std::size_t>(blockSize) / 4 * 4;
    if (lightsBuffer != nullptr && staging.size() == stagingSize)
        return;
    lightsBuffer = rtr::blocks::createBlockBuffer(rtr::blocks::kLights, blockSize);
    staging.assign(stagingSize, std::byte{0});
}

void Level::setUpPrograms() {
    setUpLightsBlock();
    initShadowSamplers();
    initialised = true;
    for (const OwnedList* list : {&opaqueObjects, &transparentObjects, &waterObjects, &secondaryObjects})
        for (const auto& object : *list)
            object->setUpPrograms();
    for (const auto& material : materials)
        material->setUpPrograms();
}

void Level::setMirroredProgram(ShaderProgram* program) {
    mirroredProgram = program;
    setUpLightsBlock();
    for (const OwnedList* list : {&opaqueObjects, &transparentObjects, &waterObjects, &secondaryObjects})
        for (const auto& object : *list)
            object->setMirroredProgram(program);
    for (const auto& material : materials)
        material->setMirroredProgram(program);
}

void Level::update(double elapsed) {
    for (const auto& object : opaqueObjects)
        object->update(elapsed);
    lastUploadSize = lights_block::pack(lightList, staging);
    if (lastUploadSize == 0)
        return;
    lightsBuffer->bind();
    glBufferSubData(GL_UNIFORM_BUFFER, 0, static_cast<GLsizeiptr>(lastUploadSize), staging.data());
}

void Level::sortTransparentObjects() {
    transparentOrder.clear();
    for (std::size_t i = 0; i < transparentObjects.size(); ++i) {
        ImportObject* object = transparentObjects[i].get();
        const glm::vec3 centre(object->modelMatrix * glm::vec4(transparentCentres[i], 1.0f));
        const glm::vec3 offset = centre - eyePosition;
        transparentOrder.emplace_back(glm::dot(offset, offset), object);
    }
    // Farthest first; equally far objects keep their list order.
    std::stable_sort(transparentOrder.begin(), transparentOrder.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
}

void Level::draw(const Frustum& frustum) { drawScene(frustum, LitVariant::Camera); }

void Level::drawMirrored(const Frustum& frustum) { drawScene(frustum, LitVariant::Mirrored); }

void Level::drawScene(const Frustum& frustum, LitVariant variant) {
    if (!initialised) {
        initShadowSamplers();
        initialised = true;
    }
    const bool mirrored = variant == LitVariant::Mirrored;
    const ShaderProgram* program = mirrored ? mirroredProgram : litProgram;
    assert(program != nullptr && "a mirrored draw needs setMirroredProgram");
    glUseProgram(program->program);

    // The fire light (the first one added) is the one with a shadow map;
    // the mirrored view goes without it.
    const int shadow = shadowMapOfLight(2);
    const bool bound = !mirrored && shadow != -1 && shadowsEnabled == 1;
    if (bound) {
        glActiveTexture(GL_TEXTURE2);
        glUniform1i(shadowSamplerLocations[0], 2);
        glBindTexture(GL_TEXTURE_CUBE_MAP, static_cast<GLuint>(shadow));
        glBindSampler(2, shadowSampler.get());
    }
    // A comparing lookup without a depth map to compare with has no defined
    // result (Mesa reads it as wholly shadowed): the program looks up only
    // when told a map is there. (The locations are the lit program's.)
    if (!mirrored)
        glUniform1i(shadowMapBoundLocation, bound ? 1 : 0);

    {
        rtr::PassTimer timer(rtr::Pass::SceneOpaque);
        for (const auto& object : opaqueObjects)
            object->draw(frustum, variant);
    }
    {
        rtr::PassTimer timer(rtr::Pass::SceneFire);
        for (const auto& object : secondaryObjects)
            object->draw(frustum, variant);
    }
    {
        rtr::PassTimer timer(rtr::Pass::SceneSky);
        sky.draw();
    }

    {
        rtr::PassTimer timer(rtr::Pass::SceneTransparent);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
        glDisable(GL_CULL_FACE);
        glUseProgram(program->program);
        sortTransparentObjects();
        for (const auto& [distance, object] : transparentOrder)
            object->draw(frustum, variant);
        glEnable(GL_CULL_FACE);
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    }

    if (shadow != -1) {
        glActiveTexture(GL_TEXTURE2);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        // The water reads its dUdV map on unit 2 with its own parameters.
        glBindSampler(2, 0);
    }
}
