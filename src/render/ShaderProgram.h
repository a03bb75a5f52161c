#pragma once
// A GLSL program built from source files under ../Shader/, in a vertex +
// fragment or a vertex + geometry + fragment form. Every failure on the way
// is fatal: a program that exists is always linked.

#include "render/GL.h"

#include <initializer_list>
#include <string>

class ShaderProgram {
public:
    ShaderProgram(const std::string& vertexPath, const std::string& fragmentPath);
    // The arguments come in pipeline order; the stages still compile in the
    // order vertex, fragment, geometry.
    ShaderProgram(const std::string& vertexPath, const std::string& geometryPath,
                  const std::string& fragmentPath);
    // Deletes the program, then the fragment, geometry (when present) and
    // vertex shader objects.
    ~ShaderProgram();

    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    GLuint program = 0;
    GLuint vertexShader = 0;
    GLuint fragmentShader = 0;
    GLuint geometryShader = 0;

private:
    void createProgram();
    static GLuint compileShaderFile(const std::string& path, GLenum type);
    void linkProgram();
};

namespace rtr {

// A sampler uniform of a program and the texture unit it reads.
struct SamplerUnit {
    const char* name;
    GLint unit;
};

// Points each named sampler of a linked program at its unit, once, right
// after linking; the owner of the program calls it. Every sampler starts on
// unit 0, and two samplers of different types left on one unit (a cube map
// beside a 2D texture) make every draw with the program invalid, even while
// the cube map is not in use. GLSL 3.30 cannot name a unit in the shader
// itself, so this one glUniform1i per sampler is where the units are set.
// A sampler the program does not have is passed over.
void setSamplerUnits(const ShaderProgram& program, std::initializer_list<SamplerUnit> units);

} // namespace rtr
