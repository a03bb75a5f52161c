#include "render/DepthPrepass.h"

#include "render/Console.h"
#include "render/UniformBlocks.h"
#include "scene/ImportObject.h"
#include "scene/Material.h"

#include <glm/gtc/type_ptr.hpp>

namespace {

// Gives the program's attribute `name` the lit program's location and links
// again; an attribute either program lacks is left alone.
void matchAttribute(GLuint program, GLuint litProgram, const char* name) {
    const GLint location = glGetAttribLocation(litProgram, name);
    if (location >= 0 && glGetAttribLocation(program, name) >= 0)
        glBindAttribLocation(program, static_cast<GLuint>(location), name);
}

} // namespace

DepthPrepass::DepthPrepass(const ShaderProgram& litProgram)
    : litProgram(litProgram), program("../Shader/depthPrepass.vert", "../Shader/depthPrepass.frag") {
    const GLuint name = program.program, lit = litProgram.program;
    matchAttribute(name, lit, "position");
    matchAttribute(name, lit, "uv");
    glLinkProgram(name);
    GLint linked = GL_FALSE;
    glGetProgramiv(name, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE)
        rtr::fatalExit({"The depth pre-pass program does not link with the lit program's attribute locations"});

    rtr::blocks::bindProgramBlock(name, rtr::blocks::kMaterial);
    litViewLocation = glGetUniformLocation(lit, "viewMatrix");
    litProjectionLocation = glGetUniformLocation(lit, "projectionMatrix");
    litWaterLevelLocation = glGetUniformLocation(lit, "waterLevel");
    modelMatrixLocation = glGetUniformLocation(name, "modelMatrix");
    viewMatrixLocation = glGetUniformLocation(name, "viewMatrix");
    projectionMatrixLocation = glGetUniformLocation(name, "projectionMatrix");
    waterLevelLocation = glGetUniformLocation(name, "waterLevel");
    texCountLocation = glGetUniformLocation(name, "texCount");
    minimumAlphaLocation = glGetUniformLocation(name, "minimumAlpha");
}

void DepthPrepass::begin() {
    glm::mat4 view(1.0f), projection(1.0f);
    float waterLevel = 0.0f;
    const GLuint lit = litProgram.program;
    if (litViewLocation >= 0)
        glGetUniformfv(lit, litViewLocation, glm::value_ptr(view));
    if (litProjectionLocation >= 0)
        glGetUniformfv(lit, litProjectionLocation, glm::value_ptr(projection));
    if (litWaterLevelLocation >= 0)
        glGetUniformfv(lit, litWaterLevelLocation, &waterLevel);
    glUseProgram(program.program);
    glUniformMatrix4fv(viewMatrixLocation, 1, GL_FALSE, glm::value_ptr(view));
    glUniformMatrix4fv(projectionMatrixLocation, 1, GL_FALSE, glm::value_ptr(projection));
    glUniform1f(waterLevelLocation, waterLevel);
}

void DepthPrepass::draw(ImportObject& object, const Frustum& frustum, float minimumAlpha) {
    if (!object.isVisible(frustum))
        return;
    if (minimumAlpha != lastMinimumAlpha) {
        glUniform1f(minimumAlphaLocation, minimumAlpha);
        lastMinimumAlpha = minimumAlpha;
    }
    if (Material* material = object.getMaterial())
        material->bind();
    glUniform1f(texCountLocation, object.mesh->getTexCount());
    glUniformMatrix4fv(modelMatrixLocation, 1, GL_FALSE, glm::value_ptr(object.modelMatrix));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, object.mesh->getDiffuseTexture());
    glBindVertexArray(object.getVao());
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(object.getFaceCount() * 3), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
}
