#pragma once
// A GLSL program built from source files under ../Shader/, in a vertex +
// fragment or a vertex + geometry + fragment form. At start-up every failure
// on the way is fatal: a program that exists is always linked. A reload
// builds the program again from the same files and takes its place only
// when it links, so a mistake in an edited file never costs the picture.
// A variant is a second build of another program's files with one name
// defined, for code the shaders leave out with #if or #ifdef.

#include "render/GL.h"

#include <initializer_list>
#include <string>
#include <string_view>

class ShaderProgram {
public:
    ShaderProgram(const std::string& vertexPath, const std::string& fragmentPath);
    // The arguments come in pipeline order; the stages still compile in the
    // order vertex, fragment, geometry.
    ShaderProgram(const std::string& vertexPath, const std::string& geometryPath,
                  const std::string& fragmentPath);
    // A variant of `base`: the same files, each stage with "#define
    // <define> 1" after its #version line (its line numbers in the
    // driver's log are still the file's), and its vertex attributes at
    // base's locations, so that vertex arrays made for `base` feed it too.
    // `base` must outlive the variant and be reloaded before it.
    ShaderProgram(const ShaderProgram& base, const std::string& define);
    // Deletes the program, then the fragment, geometry (when present) and
    // vertex shader objects.
    ~ShaderProgram();

    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    // Builds the program again from its files (a variant with its define,
    // and its attributes where its base has them). When the new one links it
    // replaces this one (the previous names are deleted) and true comes
    // back; the program is then a fresh one, so its owner must set its
    // uniforms, sampler units and block bindings again. Every vertex
    // attribute keeps its location, so vertex arrays made for the previous
    // program still feed it. On any failure it prints what went wrong with
    // the file's path and the driver's log, deletes what it made, leaves
    // this program as it was and returns false. It never exits.
    bool reload();

    GLuint program = 0;
    GLuint vertexShader = 0;
    GLuint fragmentShader = 0;
    GLuint geometryShader = 0;

private:
    struct Rebuild {};
    // The reload's build: reports a failure and leaves `linked` false.
    ShaderProgram(Rebuild, const ShaderProgram& previous);

    void build();
    bool createProgram();
    GLuint compileShaderFile(const std::string& path, GLenum type);
    bool linkProgram();
    // At start-up the fatal path; on a reload the lines on standard output.
    void fail(std::initializer_list<std::string_view> lines) const;
    std::string pathsLabel() const;

    std::string vertexPath;
    std::string geometryPath; // empty in the two-stage form
    std::string fragmentPath;
    std::string define;                 // empty but in a variant
    const ShaderProgram* base = nullptr; // the program a variant is built from
    bool exitOnFailure = true;
    bool linked = false;
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

// One reload of every program: each owner hands its programs to it in turn
// and then sets their uniforms up again, whether or not they changed. It
// counts how many programs were rebuilt, for the closing line.
class ProgramReload {
public:
    // ShaderProgram::reload on `program`.
    bool operator()(ShaderProgram& program);

    int attempted() const { return attempted_; }
    int rebuilt() const { return rebuilt_; }
    // "Reloaded N shader programs", or how many of them, when some failed.
    std::string summary() const;

private:
    int attempted_ = 0;
    int rebuilt_ = 0;
};

} // namespace rtr
