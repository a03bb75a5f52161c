#pragma once
// A rectangle in pixel coordinates (y down, origin top-left, as the screen
// matrix maps them) that shows a texture upright: its top edge samples the
// texture's top row (v = 1), where GL keeps the last row of a render target.

#include "render/Buffer.h"
#include "render/GLObjects.h"

#include <memory>

class ScreenQuad {
public:
    ScreenQuad(float x0, float y0, float x1, float y1);
    // Draws with the program in use; depth test and face culling are off
    // for the draw and back on afterwards.
    void draw(GLuint texture);

private:
    std::unique_ptr<rtr::VertexBuffer> vertices;
    rtr::gl::VertexArrayName vertexArray;
};
