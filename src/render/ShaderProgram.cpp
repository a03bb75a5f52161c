#include "render/ShaderProgram.h"

#include "render/Console.h"
#include "render/GLDebug.h"
#include "render/StartupProfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

// The driver's info log; a zero length still yields an empty, terminated text.
std::string infoLog(GLint length, void (*fetch)(GLuint, GLsizei, GLsizei*, GLchar*), GLuint name) {
    std::vector<GLchar> buffer(static_cast<size_t>(length > 0 ? length : 1), '\0');
    fetch(name, static_cast<GLsizei>(buffer.size()), nullptr, buffer.data());
    return std::string(buffer.data());
}

void shaderInfoLog(GLuint shader, GLsizei size, GLsizei* written, GLchar* text) {
    glGetShaderInfoLog(shader, size, written, text);
}

void programInfoLog(GLuint program, GLsizei size, GLsizei* written, GLchar* text) {
    glGetProgramInfoLog(program, size, written, text);
}

// The whole text of a stage's file. Anything that keeps it from being read
// (missing, a folder, no permission) is fatal; the second line names the
// path, the system's reason and the working directory, since a program
// started from the wrong folder is the usual cause.
std::string readShaderFile(const std::string& path) {
    std::string source;
    std::FILE* file = std::fopen(path.c_str(), "r");
    int error = file == nullptr ? errno : 0;
    if (file != nullptr) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            source.append(buffer, n);
        if (std::ferror(file))
            error = errno;
        std::fclose(file);
    }
    if (error != 0) {
        std::error_code unknown;
        const std::string directory = std::filesystem::current_path(unknown).string();
        rtr::fatalExit({"Failed to open shader-file",
                        path + ": " + std::strerror(error) + " (working directory: " + directory + ")"});
    }
    return source;
}

} // namespace

ShaderProgram::ShaderProgram(const std::string& vertexPath, const std::string& fragmentPath) {
    rtr::StartupTimer timer(rtr::StartupPhase::Programs);
    createProgram();
    vertexShader = compileShaderFile(vertexPath, GL_VERTEX_SHADER);
    fragmentShader = compileShaderFile(fragmentPath, GL_FRAGMENT_SHADER);
    linkProgram();
    rtr::labelObject(GL_PROGRAM, program, vertexPath + " + " + fragmentPath);
}

ShaderProgram::ShaderProgram(const std::string& vertexPath, const std::string& geometryPath,
                             const std::string& fragmentPath) {
    rtr::StartupTimer timer(rtr::StartupPhase::Programs);
    createProgram();
    vertexShader = compileShaderFile(vertexPath, GL_VERTEX_SHADER);
    fragmentShader = compileShaderFile(fragmentPath, GL_FRAGMENT_SHADER);
    geometryShader = compileShaderFile(geometryPath, GL_GEOMETRY_SHADER);
    linkProgram();
    rtr::labelObject(GL_PROGRAM, program, vertexPath + " + " + geometryPath + " + " + fragmentPath);
}

ShaderProgram::~ShaderProgram() {
    glDeleteProgram(program);
    glDeleteShader(fragmentShader);
    if (geometryShader != 0)
        glDeleteShader(geometryShader);
    glDeleteShader(vertexShader);
}

void ShaderProgram::createProgram() {
    program = glCreateProgram();
    if (program == 0)
        rtr::fatalExit({"Didn't get a valid program handle"});
}

GLuint ShaderProgram::compileShaderFile(const std::string& path, GLenum type) {
    const std::string source = readShaderFile(path);

    const GLuint shader = glCreateShader(type);
    if (shader == 0)
        rtr::fatalExit({"Failed to create shader"});
    const GLchar* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);

    GLint compiled = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == 0 || glIsShader(shader) == GL_FALSE) {
        GLint length = 0;
        glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
        const std::string log = infoLog(length, shaderInfoLog, shader);
        rtr::fatalExit({"Failed to compile shader", log});
    }
    rtr::labelObject(GL_SHADER, shader, path);
    return shader;
}

void ShaderProgram::linkProgram() {
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    if (geometryShader != 0)
        glAttachShader(program, geometryShader);
    glLinkProgram(program);

    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == 0) {
        GLint length = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
        const std::string log = infoLog(length, programInfoLog, program);
        rtr::fatalExit({"Failed to link shader program", log});
    }
}

namespace rtr {

void setSamplerUnits(const ShaderProgram& program, std::initializer_list<SamplerUnit> units) {
    glUseProgram(program.program);
    for (const SamplerUnit& sampler : units) {
        const GLint location = glGetUniformLocation(program.program, sampler.name);
        if (location != -1)
            glUniform1i(location, sampler.unit);
    }
    glUseProgram(0);
}

} // namespace rtr
