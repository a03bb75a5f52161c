#include "support/DrawAuditor.h"

#include <dlfcn.h>

#include <sstream>
#include <utility>
#include <vector>

namespace testing_support {

namespace {

DrawAuditor* active = nullptr;

std::set<std::pair<GLuint, GLint>>& assignedSamplers() {
    static std::set<std::pair<GLuint, GLint>> assigned;
    return assigned;
}
PFNGLUNIFORM1IPROC realUniform1i = nullptr;

void GLAPIENTRY recordingUniform1i(GLint location, GLint value) {
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    assignedSamplers().emplace(static_cast<GLuint>(program), location);
    realUniform1i(location, value);
}

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// The texture binding a sampler type reads on its unit; 0 for a type that
// is no sampler.
GLenum bindingOf(GLenum samplerType) {
    switch (samplerType) {
    case GL_SAMPLER_1D: case GL_SAMPLER_1D_SHADOW: case GL_INT_SAMPLER_1D: case GL_UNSIGNED_INT_SAMPLER_1D:
        return GL_TEXTURE_BINDING_1D;
    case GL_SAMPLER_2D: case GL_SAMPLER_2D_SHADOW: case GL_INT_SAMPLER_2D: case GL_UNSIGNED_INT_SAMPLER_2D:
        return GL_TEXTURE_BINDING_2D;
    case GL_SAMPLER_3D: case GL_INT_SAMPLER_3D: case GL_UNSIGNED_INT_SAMPLER_3D:
        return GL_TEXTURE_BINDING_3D;
    case GL_SAMPLER_CUBE: case GL_SAMPLER_CUBE_SHADOW: case GL_INT_SAMPLER_CUBE: case GL_UNSIGNED_INT_SAMPLER_CUBE:
        return GL_TEXTURE_BINDING_CUBE_MAP;
    case GL_SAMPLER_2D_ARRAY: case GL_SAMPLER_2D_ARRAY_SHADOW: case GL_INT_SAMPLER_2D_ARRAY:
    case GL_UNSIGNED_INT_SAMPLER_2D_ARRAY:
        return GL_TEXTURE_BINDING_2D_ARRAY;
    case GL_SAMPLER_2D_RECT: case GL_SAMPLER_2D_RECT_SHADOW: case GL_INT_SAMPLER_2D_RECT:
    case GL_UNSIGNED_INT_SAMPLER_2D_RECT:
        return GL_TEXTURE_BINDING_RECTANGLE;
    case GL_SAMPLER_2D_MULTISAMPLE: case GL_INT_SAMPLER_2D_MULTISAMPLE: case GL_UNSIGNED_INT_SAMPLER_2D_MULTISAMPLE:
        return GL_TEXTURE_BINDING_2D_MULTISAMPLE;
    case GL_SAMPLER_BUFFER: case GL_INT_SAMPLER_BUFFER: case GL_UNSIGNED_INT_SAMPLER_BUFFER:
        return GL_TEXTURE_BINDING_BUFFER;
    default:
        return 0;
    }
}

struct Sampler {
    std::string name;
    GLint location;
    GLenum binding;
};

// Every active sampler of `program`, array elements one by one.
std::vector<Sampler> samplersOf(GLuint program) {
    std::vector<Sampler> samplers;
    GLint count = 0, longest = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    glGetProgramiv(program, GL_ACTIVE_UNIFORM_MAX_LENGTH, &longest);
    std::vector<GLchar> text(static_cast<std::size_t>(longest + 1), '\0');
    for (GLint i = 0; i < count; ++i) {
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, static_cast<GLuint>(i), longest + 1, nullptr, &size, &type, text.data());
        const GLenum binding = bindingOf(type);
        if (binding == 0)
            continue;
        std::string name = text.data();
        if (name.ends_with("[0]"))
            name.resize(name.size() - 3);
        for (GLint element = 0; element < size; ++element) {
            const std::string full = size > 1 ? name + "[" + std::to_string(element) + "]" : name;
            samplers.push_back({full, glGetUniformLocation(program, full.c_str()), binding});
        }
    }
    return samplers;
}

std::string describe(GLuint program) {
    std::string label = "program " + std::to_string(program);
    if ((GLEW_VERSION_4_3 || GLEW_KHR_debug) && glGetObjectLabel != nullptr) {
        char text[256] = {};
        GLsizei length = 0;
        glGetObjectLabel(GL_PROGRAM, program, sizeof text, &length, text);
        if (length > 0)
            label += " (" + std::string(text, static_cast<std::size_t>(length)) + ")";
    }
    return label;
}

// The source as the compiler sees it: comments gone, and only the lines
// that #ifdef, #ifndef and #else keep for the names #define'd in it.
std::string activeSource(const std::string& source) {
    std::string code;
    for (std::size_t i = 0; i < source.size(); ++i) {
        if (source.compare(i, 2, "//") == 0) {
            i = source.find('\n', i);
            if (i == std::string::npos)
                break;
            code += '\n';
        } else if (source.compare(i, 2, "/*") == 0) {
            i = source.find("*/", i + 2);
            if (i == std::string::npos)
                break;
            ++i;
            code += ' ';
        } else {
            code += source[i];
        }
    }
    std::set<std::string> defined;
    std::vector<bool> keeping{true};
    std::istringstream lines(code);
    std::string line, kept;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string directive, name;
        words >> directive >> name;
        if (directive == "#define" && keeping.back())
            defined.insert(name);
        else if (directive == "#ifdef" || directive == "#ifndef")
            keeping.push_back(keeping.back() && (defined.count(name) != 0) == (directive == "#ifdef"));
        else if (directive == "#else" && keeping.size() > 1)
            keeping.back() = !keeping.back() && keeping[keeping.size() - 2];
        else if (directive == "#endif" && keeping.size() > 1)
            keeping.pop_back();
        else if (keeping.back())
            kept += line + '\n';
    }
    return kept;
}

// The shader of `program` whose outputs the rasteriser gets: the geometry
// stage when there is one, else the vertex stage.
GLuint lastVertexStage(GLuint program) {
    GLuint shaders[8] = {};
    GLsizei count = 0;
    glGetAttachedShaders(program, 8, &count, shaders);
    GLuint vertex = 0;
    for (GLsizei i = 0; i < count; ++i) {
        GLint type = 0;
        glGetShaderiv(shaders[i], GL_SHADER_TYPE, &type);
        if (type == GL_GEOMETRY_SHADER)
            return shaders[i];
        if (type == GL_VERTEX_SHADER)
            vertex = shaders[i];
    }
    return vertex;
}

bool writesClipDistance(GLuint shader) {
    if (shader == 0)
        return false;
    GLint length = 0;
    glGetShaderiv(shader, GL_SHADER_SOURCE_LENGTH, &length);
    std::vector<GLchar> source(static_cast<std::size_t>(length + 1), '\0');
    glGetShaderSource(shader, length + 1, nullptr, source.data());
    return activeSource(source.data()).find("gl_ClipDistance") != std::string::npos;
}

// What the rasteriser makes of a draw: GL_POINT, GL_LINE or GL_FILL.
GLint rasterised(GLuint program, GLenum mode) {
    GLenum primitive = mode;
    GLint stage = 0;
    if (const GLuint shader = lastVertexStage(program); shader != 0)
        glGetShaderiv(shader, GL_SHADER_TYPE, &stage);
    if (stage == GL_GEOMETRY_SHADER) {
        GLint output = 0;
        glGetProgramiv(program, GL_GEOMETRY_OUTPUT_TYPE, &output);
        primitive = static_cast<GLenum>(output);
    }
    switch (primitive) {
    case GL_POINTS: return GL_POINT;
    case GL_LINES: case GL_LINE_STRIP: case GL_LINE_LOOP: case GL_LINES_ADJACENCY: case GL_LINE_STRIP_ADJACENCY:
        return GL_LINE;
    default: {
        GLint polygonMode[2] = {GL_FILL, GL_FILL};
        glGetIntegerv(GL_POLYGON_MODE, polygonMode);
        return polygonMode[0];
    }
    }
}

// Whether a draw now can change the stencil buffer.
bool writesStencil() {
    if (glIsEnabled(GL_STENCIL_TEST) == GL_FALSE)
        return false;
    const GLint framebuffer = integer(GL_DRAW_FRAMEBUFFER_BINDING);
    const GLenum attachment = framebuffer != 0 ? GL_STENCIL_ATTACHMENT : GL_STENCIL;
    GLint bits = 0;
    if (framebuffer != 0) {
        GLint type = GL_NONE;
        glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE,
                                              &type);
        if (type == GL_NONE)
            return false;
    }
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, attachment, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE,
                                          &bits);
    if (bits == 0 || (integer(GL_STENCIL_WRITEMASK) == 0 && integer(GL_STENCIL_BACK_WRITEMASK) == 0))
        return false;
    for (const GLenum op : {GL_STENCIL_FAIL, GL_STENCIL_PASS_DEPTH_FAIL, GL_STENCIL_PASS_DEPTH_PASS,
                            GL_STENCIL_BACK_FAIL, GL_STENCIL_BACK_PASS_DEPTH_FAIL, GL_STENCIL_BACK_PASS_DEPTH_PASS})
        if (integer(op) != GL_KEEP)
            return true;
    return false;
}

} // namespace

DrawAuditor::DrawAuditor() { active = this; }

DrawAuditor::~DrawAuditor() {
    if (active == this)
        active = nullptr;
}

void DrawAuditor::recordSamplerUnits() {
    assignedSamplers().clear();
    if (realUniform1i == nullptr) {
        realUniform1i = glUniform1i;
        glUniform1i = recordingUniform1i;
    }
}

void DrawAuditor::audit(GLenum mode) {
    ++draws_;
    const auto program = static_cast<GLuint>(integer(GL_CURRENT_PROGRAM));
    if (program == 0)
        return;
    checkSampledAttachments(program);
    checkClipDistances(program);
    checkStencilPrimitives(program, mode);
}

void DrawAuditor::checkSampledAttachments(GLuint program) {
    const std::vector<Sampler> samplers = samplersOf(program);
    if (realUniform1i != nullptr)
        for (const Sampler& sampler : samplers)
            if (assignedSamplers().count({program, sampler.location}) == 0)
                findings_.insert(describe(program) + ": sampler \"" + sampler.name +
                                 "\" was never given its unit with glUniform1i");

    const GLint framebuffer = integer(GL_DRAW_FRAMEBUFFER_BINDING);
    if (framebuffer == 0)
        return;
    std::set<GLint> attached;
    std::vector<GLenum> attachments{GL_DEPTH_ATTACHMENT, GL_STENCIL_ATTACHMENT};
    const GLint colourAttachments = integer(GL_MAX_COLOR_ATTACHMENTS);
    for (GLint i = 0; i < colourAttachments; ++i)
        attachments.push_back(static_cast<GLenum>(GL_COLOR_ATTACHMENT0 + i));
    for (const GLenum attachment : attachments) {
        GLint type = GL_NONE, name = 0;
        glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE,
                                              &type);
        if (type != GL_TEXTURE)
            continue;
        glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME,
                                              &name);
        attached.insert(name);
    }
    const GLint activeUnit = integer(GL_ACTIVE_TEXTURE);
    for (const Sampler& sampler : samplers) {
        GLint unit = 0;
        glGetUniformiv(program, sampler.location, &unit);
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        const GLint texture = integer(sampler.binding);
        if (texture != 0 && attached.count(texture) != 0)
            findings_.insert(describe(program) + " samples texture " + std::to_string(texture) + " (\"" +
                             sampler.name + "\", unit " + std::to_string(unit) +
                             ") while it is attached to the draw framebuffer " + std::to_string(framebuffer));
    }
    glActiveTexture(static_cast<GLenum>(activeUnit));
}

void DrawAuditor::checkClipDistances(GLuint program) {
    const GLint clipDistances = integer(GL_MAX_CLIP_DISTANCES);
    for (GLint i = 0; i < clipDistances; ++i)
        if (glIsEnabled(static_cast<GLenum>(GL_CLIP_DISTANCE0 + i)) == GL_TRUE) {
            if (!writesClipDistance(lastVertexStage(program)))
                findings_.insert(describe(program) + " draws with clip distance " + std::to_string(i) +
                                 " enabled, and its last stage before the rasteriser never writes gl_ClipDistance");
            return;
        }
}

void DrawAuditor::checkStencilPrimitives(GLuint program, GLenum mode) {
    const GLint drawnAs = rasterised(program, mode);
    if (drawnAs != GL_FILL && writesStencil())
        findings_.insert(describe(program) + " writes the stencil with " +
                         (drawnAs == GL_LINE ? "lines" : "points"));
}

} // namespace testing_support

// The interposers. The executable's own definitions come first for every
// call the program makes; the next definition is libGL's.
extern "C" {

void GLAPIENTRY glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    using Draw = void(GLAPIENTRY*)(GLenum, GLint, GLsizei);
    static const auto next = reinterpret_cast<Draw>(dlsym(RTLD_NEXT, "glDrawArrays"));
    if (testing_support::active != nullptr)
        testing_support::active->audit(mode);
    next(mode, first, count);
}

void GLAPIENTRY glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    using Draw = void(GLAPIENTRY*)(GLenum, GLsizei, GLenum, const void*);
    static const auto next = reinterpret_cast<Draw>(dlsym(RTLD_NEXT, "glDrawElements"));
    if (testing_support::active != nullptr)
        testing_support::active->audit(mode);
    next(mode, count, type, indices);
}

} // extern "C"
