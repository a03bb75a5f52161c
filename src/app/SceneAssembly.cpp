#include "app/SceneAssembly.h"

#include "app/AppState.h"
#include "render/GL.h"

#include <GLFW/glfw3.h>

void assembleScene() {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glfwSetWindowTitle(window, "Thalvek");
}

void releaseScene() {}
