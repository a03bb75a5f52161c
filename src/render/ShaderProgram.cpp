#include "render/ShaderProgram.h"

#include "render/Console.h"
#include "render/GLDebug.h"
#include "render/StartupProfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <utility>
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

// The whole text of a stage's file into `source`. Anything that keeps it from
// being read (missing, a folder, no permission) gives the line that names
// the path, the system's reason and the working directory, since a program
// started from the wrong folder is the usual cause.
bool readShaderFile(const std::string& path, std::string& source, std::string& problem) {
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
    if (error == 0)
        return true;
    std::error_code unknown;
    const std::string directory = std::filesystem::current_path(unknown).string();
    problem = path + ": " + std::strerror(error) + " (working directory: " + directory + ")";
    return false;
}

// The source as a variant compiles it: "#define <define> 1" on the line
// after #version (which must stay first), then a #line that gives the rest
// its line numbers in the file, so the driver's log points at the file's
// own lines. Without a #version line the define goes first.
std::string withDefine(const std::string& source, const std::string& define) {
    if (define.empty())
        return source;
    std::size_t start = 0;
    int lineNumber = 1;
    while (start < source.size()) {
        const std::size_t end = source.find('\n', start);
        const std::size_t lineEnd = end == std::string::npos ? source.size() : end;
        const std::size_t text = source.find_first_not_of(" \t", start);
        if (text < lineEnd && source.compare(text, 8, "#version") == 0) {
            std::string result = source.substr(0, lineEnd) + "\n#define " + define + " 1\n#line " +
                                 std::to_string(lineNumber + 1) + "\n";
            if (end != std::string::npos)
                result += source.substr(end + 1);
            return result;
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
        ++lineNumber;
    }
    return "#define " + define + " 1\n#line 1\n" + source;
}

// Binds every attribute of `from` to the location it has there in `to`,
// before `to` links: the linker would otherwise be free to number them
// differently, and each vertex array made for `from` would feed the wrong
// inputs. Built-in inputs (gl_VertexID...) cannot be bound and need not be.
void keepAttributeLocations(GLuint from, GLuint to) {
    GLint count = 0, longest = 0;
    glGetProgramiv(from, GL_ACTIVE_ATTRIBUTES, &count);
    glGetProgramiv(from, GL_ACTIVE_ATTRIBUTE_MAX_LENGTH, &longest);
    std::vector<GLchar> name(static_cast<size_t>(longest > 0 ? longest : 1), '\0');
    for (GLint i = 0; i < count; ++i) {
        GLint size = 0;
        GLenum type = 0;
        glGetActiveAttrib(from, static_cast<GLuint>(i), static_cast<GLsizei>(name.size()), nullptr, &size, &type,
                          name.data());
        if (std::string_view(name.data()).starts_with("gl_"))
            continue;
        const GLint location = glGetAttribLocation(from, name.data());
        if (location >= 0)
            glBindAttribLocation(to, static_cast<GLuint>(location), name.data());
    }
}

} // namespace

ShaderProgram::ShaderProgram(const std::string& vertexPath, const std::string& fragmentPath)
    : vertexPath(vertexPath), fragmentPath(fragmentPath) {
    build();
}

ShaderProgram::ShaderProgram(const std::string& vertexPath, const std::string& geometryPath,
                             const std::string& fragmentPath)
    : vertexPath(vertexPath), geometryPath(geometryPath), fragmentPath(fragmentPath) {
    build();
}

ShaderProgram::ShaderProgram(const ShaderProgram& base, const std::string& define)
    : vertexPath(base.vertexPath), geometryPath(base.geometryPath), fragmentPath(base.fragmentPath),
      define(define), base(&base) {
    build();
}

// Start-up's build: the first failure is fatal, so the stages go in the
// order whose messages are documented (vertex, fragment, geometry).
void ShaderProgram::build() {
    rtr::StartupTimer timer(rtr::StartupPhase::Programs);
    createProgram();
    if (base != nullptr)
        keepAttributeLocations(base->program, program);
    vertexShader = compileShaderFile(vertexPath, GL_VERTEX_SHADER);
    fragmentShader = compileShaderFile(fragmentPath, GL_FRAGMENT_SHADER);
    if (!geometryPath.empty())
        geometryShader = compileShaderFile(geometryPath, GL_GEOMETRY_SHADER);
    linked = linkProgram();
    rtr::labelObject(GL_PROGRAM, program, pathsLabel());
}

// Each step that fails has printed why; whatever was made is deleted with
// this half-built program.
ShaderProgram::ShaderProgram(Rebuild, const ShaderProgram& previous)
    : vertexPath(previous.vertexPath), geometryPath(previous.geometryPath), fragmentPath(previous.fragmentPath),
      define(previous.define), base(previous.base), exitOnFailure(false) {
    if (!createProgram())
        return;
    // A variant follows its base, which was reloaded first.
    keepAttributeLocations(base != nullptr ? base->program : previous.program, program);
    if ((vertexShader = compileShaderFile(vertexPath, GL_VERTEX_SHADER)) == 0)
        return;
    if ((fragmentShader = compileShaderFile(fragmentPath, GL_FRAGMENT_SHADER)) == 0)
        return;
    if (!geometryPath.empty() && (geometryShader = compileShaderFile(geometryPath, GL_GEOMETRY_SHADER)) == 0)
        return;
    linked = linkProgram();
    if (linked)
        rtr::labelObject(GL_PROGRAM, program, pathsLabel());
}

ShaderProgram::~ShaderProgram() {
    glDeleteProgram(program);
    glDeleteShader(fragmentShader);
    if (geometryShader != 0)
        glDeleteShader(geometryShader);
    glDeleteShader(vertexShader);
}

bool ShaderProgram::reload() {
    ShaderProgram fresh(Rebuild{}, *this);
    if (!fresh.linked)
        return false;
    // The names change hands; `fresh` leaves with the previous ones and
    // deletes them in the usual order.
    std::swap(program, fresh.program);
    std::swap(vertexShader, fresh.vertexShader);
    std::swap(fragmentShader, fresh.fragmentShader);
    std::swap(geometryShader, fresh.geometryShader);
    return true;
}

void ShaderProgram::fail(std::initializer_list<std::string_view> lines) const {
    if (exitOnFailure)
        rtr::fatalExit(lines);
    for (std::string_view line : lines)
        std::cout << line << std::endl;
}

std::string ShaderProgram::pathsLabel() const {
    const std::string paths = geometryPath.empty() ? vertexPath + " + " + fragmentPath
                                                   : vertexPath + " + " + geometryPath + " + " + fragmentPath;
    return define.empty() ? paths : paths + " with " + define;
}

bool ShaderProgram::createProgram() {
    program = glCreateProgram();
    if (program == 0)
        fail({"Didn't get a valid program handle"});
    return program != 0;
}

// At start-up the messages are exactly the documented ones; a reload adds
// the path (and a variant's define), since by then any of the programs may
// be the one that failed.
GLuint ShaderProgram::compileShaderFile(const std::string& path, GLenum type) {
    std::string source, problem;
    if (!readShaderFile(path, source, problem)) {
        fail({"Failed to open shader-file", problem});
        return 0;
    }

    const GLuint shader = glCreateShader(type);
    if (shader == 0) {
        fail({"Failed to create shader"});
        return 0;
    }
    source = withDefine(source, define);
    const GLchar* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);

    GLint compiled = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == 0 || glIsShader(shader) == GL_FALSE) {
        GLint length = 0;
        glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
        const std::string log = infoLog(length, shaderInfoLog, shader);
        const std::string named = define.empty() ? path : path + " with " + define;
        fail({exitOnFailure ? "Failed to compile shader" : "Failed to compile shader " + named, log});
        glDeleteShader(shader);
        return 0;
    }
    rtr::labelObject(GL_SHADER, shader, path);
    return shader;
}

bool ShaderProgram::linkProgram() {
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    if (geometryShader != 0)
        glAttachShader(program, geometryShader);
    glLinkProgram(program);

    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status == 0) {
        GLint length = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
        const std::string log = infoLog(length, programInfoLog, program);
        fail({exitOnFailure ? "Failed to link shader program" : "Failed to link shader program " + pathsLabel(),
              log});
    }
    return status != 0;
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

bool ProgramReload::operator()(ShaderProgram& program) {
    ++attempted_;
    const bool rebuilt = program.reload();
    if (rebuilt)
        ++rebuilt_;
    return rebuilt;
}

std::string ProgramReload::summary() const {
    if (rebuilt_ == attempted_)
        return "Reloaded " + std::to_string(attempted_) + " shader programs";
    return "Reloaded " + std::to_string(rebuilt_) + " of " + std::to_string(attempted_) +
           " shader programs; the others keep their previous version";
}

} // namespace rtr
