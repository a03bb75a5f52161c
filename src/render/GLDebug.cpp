#include "render/GLDebug.h"

#include <cstdio>

namespace rtr {

#ifdef THALVEK_GL_DEBUG
namespace {

void GLAPIENTRY printDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity,
                                  GLsizei length, const GLchar* message, const void*) {
    (void)source;
    (void)length;
    if (severity == GL_DEBUG_SEVERITY_NOTIFICATION)
        return;
    const char* kind = type == GL_DEBUG_TYPE_ERROR ? "error" : "message";
    std::fprintf(stderr, "GL %s %u: %s\n", kind, id, message);
}

bool hasDebugOutput() { return GLEW_VERSION_4_3 || GLEW_KHR_debug; }

} // namespace
#endif

void installDebugOutput() {
#ifdef THALVEK_GL_DEBUG
    if (!hasDebugOutput() || glDebugMessageCallback == nullptr)
        return;
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(printDebugMessage, nullptr);
#endif
}

#ifdef THALVEK_GL_DEBUG
void labelObject(GLenum identifier, GLuint name, std::string_view label) {
    if (!hasDebugOutput() || glObjectLabel == nullptr || name == 0)
        return;
    glObjectLabel(identifier, name, static_cast<GLsizei>(label.size()), label.data());
}
#endif

} // namespace rtr
