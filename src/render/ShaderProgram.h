#pragma once
// A GLSL program built from source files under ../Shader/, in a vertex +
// fragment or a vertex + geometry + fragment form. Every failure on the way
// is fatal: a program that exists is always linked.

#include "render/GL.h"

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
