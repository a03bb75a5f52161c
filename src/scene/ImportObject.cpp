#include "scene/ImportObject.h"

#include "render/GLDebug.h"
#include "render/ShaderProgram.h"
#include "scene/Frustum.h"
#include "scene/Material.h"

#include <glm/gtc/type_ptr.hpp>

namespace {

rtr::gl::BufferName uploadBuffer(GLenum target, GLsizeiptr size, const void* data) {
    auto buffer = rtr::gl::BufferName::generate();
    glBindBuffer(target, buffer.get());
    glBufferData(target, size, data, GL_STATIC_DRAW);
    glBindBuffer(target, 0);
    return buffer;
}

struct Attribute {
    const char* name;
    GLint components;
    GLuint buffer;
};

// A vertex array over separate, tightly packed float buffers. Attributes the
// program does not have (location -1) are left out: GL would reject them.
rtr::gl::VertexArrayName makeVertexArray(GLuint program, std::initializer_list<Attribute> attributes,
                                         GLuint indexBuffer) {
    auto vao = rtr::gl::VertexArrayName::generate();
    glBindVertexArray(vao.get());
    for (const Attribute& attribute : attributes) {
        glBindBuffer(GL_ARRAY_BUFFER, attribute.buffer);
        const GLint location = glGetAttribLocation(program, attribute.name);
        if (location < 0)
            continue;
        glEnableVertexAttribArray(static_cast<GLuint>(location));
        glVertexAttribPointer(static_cast<GLuint>(location), attribute.components, GL_FLOAT, GL_FALSE, 0, nullptr);
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    return vao;
}

} // namespace

ImportObject::ImportObject(const glm::mat4& worldMatrix, ShaderProgram* phongProgram,
                           ShaderProgram* shadowPassProgram, std::unique_ptr<Mesh> mesh, Material* material,
                           rtr::scene::SceneObject* parent, std::vector<glm::vec3> triangleList)
    : SceneObject(worldMatrix), mesh(std::move(mesh)), triangleList(std::move(triangleList)), parent(parent),
      material(material), shadowPassProgram(shadowPassProgram) {
    litPrograms[litIndex(LitVariant::Camera)] = phongProgram;
    Mesh& m = *this->mesh;
    // Binding the index buffer below would otherwise rewire whatever vertex
    // array the last draw left bound.
    glBindVertexArray(0);
    const auto vertices = static_cast<GLsizeiptr>(m.getVertexCount());
    const auto faces = static_cast<GLsizeiptr>(m.getFaceCount());
    positionBuffer = uploadBuffer(GL_ARRAY_BUFFER, vertices * 12, m.getPositions());
    normalBuffer = uploadBuffer(GL_ARRAY_BUFFER, vertices * 12, m.getNormals());
    uvBuffer = uploadBuffer(GL_ARRAY_BUFFER, vertices * 8, m.getUVs());
    indexBuffer = uploadBuffer(GL_ELEMENT_ARRAY_BUFFER, faces * 12, m.getIndices());
    tangentBuffer = uploadBuffer(GL_ARRAY_BUFFER, vertices * 16, m.getTangents());

    vao = makeVertexArray(phongProgram->program,
                          {{"position", 3, positionBuffer.get()},
                           {"normal", 3, normalBuffer.get()},
                           {"uv", 2, uvBuffer.get()},
                           {"tangent", 4, tangentBuffer.get()}},
                          indexBuffer.get());
    depthVao = makeVertexArray(shadowPassProgram->program, {{"vp", 3, positionBuffer.get()}}, indexBuffer.get());
    setUpPrograms();

    const std::string label = m.getName();
    rtr::labelObject(GL_VERTEX_ARRAY, vao.get(), label);
    rtr::labelObject(GL_VERTEX_ARRAY, depthVao.get(), label + " (depth)");
    rtr::labelObject(GL_BUFFER, positionBuffer.get(), label + " positions");
    rtr::labelObject(GL_BUFFER, indexBuffer.get(), label + " indices");
}

void ImportObject::setUpPrograms() {
    for (std::size_t i = 0; i < kLitVariantCount; ++i) {
        if (litPrograms[i] == nullptr)
            continue;
        const GLuint program = litPrograms[i]->program;
        LitLocations& locations = litLocations[i];
        locations.texCount = glGetUniformLocation(program, "texCount");
        locations.modelMatrix = glGetUniformLocation(program, "modelMatrix");
        locations.colorTexture = glGetUniformLocation(program, "colorTexture");
        locations.normalMap = glGetUniformLocation(program, "normal_map");
    }
}

void ImportObject::setMirroredProgram(ShaderProgram* program) {
    litPrograms[litIndex(LitVariant::Mirrored)] = program;
    setUpPrograms();
}

ImportObject::~ImportObject() {
    positionBuffer.reset();
    normalBuffer.reset();
    uvBuffer.reset();
    indexBuffer.reset();
    tangentBuffer.reset();
    vao.reset();
    depthVao.reset();
}

void ImportObject::draw(const Frustum& frustum) { draw(frustum, LitVariant::Camera); }

void ImportObject::draw(const Frustum& frustum, LitVariant variant) {
    if (isVisible(frustum))
        drawGeometry(variant);
}

bool ImportObject::isVisible(const Frustum& frustum) const {
    return frustum.isSphereVisible(mesh->getCenter(), mesh->getRadius());
}

void ImportObject::drawGeometry(LitVariant variant) {
    const LitLocations& locations = litLocations[litIndex(variant)];
    if (material != nullptr)
        material->bind();
    glUniform1f(locations.texCount, mesh->getTexCount());
    glUniformMatrix4fv(locations.modelMatrix, 1, GL_FALSE, glm::value_ptr(modelMatrix));
    glActiveTexture(GL_TEXTURE0);
    glUniform1i(locations.colorTexture, 0);
    glBindTexture(GL_TEXTURE_2D, mesh->getDiffuseTexture());
    glActiveTexture(GL_TEXTURE1);
    glUniform1i(locations.normalMap, 1);
    glBindTexture(GL_TEXTURE_2D, mesh->getNormalTexture());

    glBindVertexArray(vao.get());
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh->getFaceCount() * 3), GL_UNSIGNED_INT, nullptr);

    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(0);
}
