#include "render/Level.h"

#include "render/LightsBlock.h"
#include "render/PassProfile.h"
#include "render/PointLight.h"
#include "render/ShaderProgram.h"
#include "render/UniformBlocks.h"
#include "scene/ImportObject.h"
#include "scene/Material.h"

Level::Level(const glm::mat4& modelMatrix, ShaderProgram* litProgram, ObjectList opaqueObjects,
             ObjectList transparentObjects, ObjectList waterObjects, ObjectList secondaryObjects,
             std::vector<PointLight*> lights, std::vector<Material*> materials, Camera* activeCamera)
    : SceneObject(modelMatrix), opaqueObjects(own(std::move(opaqueObjects))),
      transparentObjects(own(std::move(transparentObjects))), waterObjects(own(std::move(waterObjects))),
      secondaryObjects(own(std::move(secondaryObjects))), lightList(std::move(lights)), litProgram(litProgram),
      activeCamera(activeCamera) {
    for (Material* material : materials)
        this->materials.emplace_back(material);

    const GLint blockSize = rtr::blocks::bindProgramBlock(litProgram->program, rtr::blocks::kLights);
    lightsBuffer = rtr::blocks::createBlockBuffer(rtr::blocks::kLights, blockSize);
    staging.assign(static_cast<std::size_t>(blockSize) / 4 * 4, std::byte{0});
}

Level::~Level() {
    lightsBuffer.reset();
    staging.clear();
    waterObjects.clear();
    transparentObjects.clear();
    opaqueObjects.clear();
    secondaryObjects.clear();
    materials.clear();
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
    glUseProgram(0);
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

void Level::draw(const Frustum& frustum) {
    if (!initialised) {
        initShadowSamplers();
        initialised = true;
    }
    glUseProgram(litProgram->program);

    // The fire light (the first one added) is the one with a shadow map.
    const int shadow = shadowMapOfLight(2);
    if (shadow != -1 && shadowsEnabled == 1) {
        glActiveTexture(GL_TEXTURE2);
        glUniform1i(shadowSamplerLocations[0], 2);
        glBindTexture(GL_TEXTURE_CUBE_MAP, static_cast<GLuint>(shadow));
    }

    {
        rtr::PassTimer timer(rtr::Pass::SceneOpaque);
        for (const auto& object : opaqueObjects)
            object->draw(frustum);
    }
    {
        rtr::PassTimer timer(rtr::Pass::SceneFire);
        for (const auto& object : secondaryObjects)
            object->draw(frustum);
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
        glUseProgram(litProgram->program);
        for (const auto& object : transparentObjects)
            object->draw(frustum);
        glEnable(GL_CULL_FACE);
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    }

    if (shadow != -1) {
        glActiveTexture(GL_TEXTURE2);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
}
