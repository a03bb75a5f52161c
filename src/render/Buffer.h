#pragma once
// GL buffer objects that know their own bind target. A new buffer is left
// bound, so its creator can call glBufferData right away; size and contents
// are the creator's business.

#include "render/GL.h"

namespace rtr {

class Buffer {
public:
    virtual ~Buffer();
    // One glBindBuffer on the class's target.
    virtual void bind() = 0;

    GLuint name() const { return name_; }

    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

protected:
    Buffer();

    GLuint name_ = 0;
};

class VertexBuffer : public Buffer {
public:
    VertexBuffer();
    void bind() override;
};

class IndexBuffer : public Buffer {
public:
    IndexBuffer();
    void bind() override;
};

class UniformBuffer : public Buffer {
public:
    UniformBuffer();
    void bind() override;
};

} // namespace rtr
