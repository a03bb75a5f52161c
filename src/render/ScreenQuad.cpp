#include "render/ScreenQuad.h"

ScreenQuad::ScreenQuad(float x0, float y0, float x1, float y1) {
    const float corners[6][4] = {{x0, y0, 0, 1}, {x1, y0, 1, 1}, {x1, y1, 1, 0},
                                 {x1, y1, 1, 0}, {x0, y1, 0, 0}, {x0, y0, 0, 1}};
    glBindVertexArray(0);
    vertices = std::make_unique<rtr::VertexBuffer>();
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    vertexArray = rtr::gl::VertexArrayName::generate();
    glBindVertexArray(vertexArray.get());
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 16, nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 16, reinterpret_cast<const void*>(8));
    glBindVertexArray(0);
}

void ScreenQuad::draw(GLuint texture) {
    glBindVertexArray(vertexArray.get());
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
}
