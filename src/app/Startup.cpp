#include "app/Startup.h"

#include "render/GL.h"

#include <GLFW/glfw3.h>

#include <algorithm>

void applyContextHints() {
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_DEPTH_BITS, 0);
    glfwWindowHint(GLFW_STENCIL_BITS, 0);
#ifdef THALVEK_GL_DEBUG
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
#endif
}

bool loadGLEntryPoints() {
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK)
        return false;
    // GLEW's probing of a core context leaves GL_INVALID_ENUM behind.
    glGetError();

    glGenVertexArrays = reinterpret_cast<PFNGLGENVERTEXARRAYSPROC>(glfwGetProcAddress("glGenVertexArrays"));
    glBindVertexArray = reinterpret_cast<PFNGLBINDVERTEXARRAYPROC>(glfwGetProcAddress("glBindVertexArray"));
    glDeleteVertexArrays =
        reinterpret_cast<PFNGLDELETEVERTEXARRAYSPROC>(glfwGetProcAddress("glDeleteVertexArrays"));
    glGenerateMipmap = reinterpret_cast<PFNGLGENERATEMIPMAPPROC>(glfwGetProcAddress("glGenerateMipmap"));
    return true;
}

void applyWindowInputModes(GLFWwindow* window) {
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
    glfwSetInputMode(window, GLFW_STICKY_KEYS, GLFW_FALSE);
}

std::optional<PictureLimits> probePictureLimits() {
    glfwDefaultWindowHints();
    applyContextHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* probe = glfwCreateWindow(16, 16, "Thalvek", nullptr, nullptr);
    if (probe == nullptr)
        return std::nullopt;
    glfwMakeContextCurrent(probe);
    GLint texture = 0, renderbuffer = 0, viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glfwMakeContextCurrent(nullptr);
    glfwDestroyWindow(probe);
    const int side = std::min(texture, renderbuffer);
    return PictureLimits{std::min(side, static_cast<int>(viewport[0])), std::min(side, static_cast<int>(viewport[1]))};
}
