#include "render/Buffer.h"

#include "render/GLDebug.h"

namespace rtr {

Buffer::Buffer() { glGenBuffers(1, &name_); }

Buffer::~Buffer() { glDeleteBuffers(1, &name_); }

VertexBuffer::VertexBuffer() {
    bind();
    labelObject(GL_BUFFER, name_, "vertex buffer");
}
void VertexBuffer::bind() { glBindBuffer(GL_ARRAY_BUFFER, name_); }

IndexBuffer::IndexBuffer() {
    bind();
    labelObject(GL_BUFFER, name_, "index buffer");
}
void IndexBuffer::bind() { glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, name_); }

UniformBuffer::UniformBuffer() {
    bind();
    labelObject(GL_BUFFER, name_, "uniform buffer");
}
void UniformBuffer::bind() { glBindBuffer(GL_UNIFORM_BUFFER, name_); }

} // namespace rtr
