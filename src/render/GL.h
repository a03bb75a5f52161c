#pragma once
// The one way the engine reaches OpenGL: GLEW's loader, included before any
// other GL header.
#include <GL/glew.h>
