#pragma once
// The Phong colours and shininess of one named material of the scene file,
// held in a "Material" uniform block (80 bytes, std140) that the lit program
// reads at binding point 3. The importer makes one per distinct name and
// shares it between all meshes that use the name.

#include "render/GL.h"

#include <glm/vec4.hpp>

#include <array>
#include <cstddef>
#include <string>

class ShaderProgram;

// The block's bytes: diffuse, ambient, specular, emissive (16 bytes each),
// shininess at 64, then three floats of 81.0 filling the block to 80 bytes.
std::array<std::byte, 80> packMaterialBlock(const glm::vec4& diffuse, const glm::vec4& ambient,
                                            const glm::vec4& specular, const glm::vec4& emissive,
                                            float shininess);

class Material {
public:
    Material(ShaderProgram* program, const glm::vec4& diffuse, const glm::vec4& ambient,
             const glm::vec4& specular, const glm::vec4& emissive, float shininess, std::string name);
    virtual ~Material();
    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;

    virtual GLuint getUbo() const { return ubo; }
    virtual GLuint getBlockIndex() const { return blockIndex; }
    virtual int getBindingPoint() const { return bindingPoint; }
    virtual std::string getName() const { return name; }

    // Makes this material the one the lit program reads: its buffer goes to
    // binding point 3. Every object binds its own material before it draws;
    // otherwise all would show the colours of the material made last.
    void bind() const;

    // Binds the "Material" block of the lit program, and of its
    // mirrored-view variant once given, to its point; again after each link
    // of the programs.
    void setUpPrograms();
    void setMirroredProgram(ShaderProgram* variant);

    glm::vec4 diffuse;
    glm::vec4 ambient;
    glm::vec4 specular;
    glm::vec4 emissive;
    float shininess;
    ShaderProgram* program;
    ShaderProgram* mirroredProgram = nullptr;
    std::string name;
    GLuint ubo = 0;
    int bindingPoint = 3;
    GLuint blockIndex = GL_INVALID_INDEX;
};
