#pragma once
// Move-only owners of single GL names: each deletes its name exactly once,
// when it is destroyed or reset. Copy is forbidden; a move empties the source.
// The rtr::Buffer family (Buffer.h) owns the buffers that have a bind target
// of their own; these hold everything else.

#include "render/GL.h"

#include <utility>

namespace rtr::gl {

template <typename Traits>
class UniqueName {
public:
    UniqueName() = default;
    explicit UniqueName(GLuint name) : name_(name) {}
    ~UniqueName() { reset(); }

    UniqueName(const UniqueName&) = delete;
    UniqueName& operator=(const UniqueName&) = delete;
    UniqueName(UniqueName&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    UniqueName& operator=(UniqueName&& other) noexcept {
        if (this != &other) {
            reset();
            name_ = std::exchange(other.name_, 0);
        }
        return *this;
    }

    static UniqueName generate() { return UniqueName(Traits::generate()); }

    GLuint get() const { return name_; }
    explicit operator bool() const { return name_ != 0; }

    void reset() {
        if (name_ != 0)
            Traits::destroy(name_);
        name_ = 0;
    }

private:
    GLuint name_ = 0;
};

struct BufferTraits {
    static GLuint generate() { GLuint n = 0; glGenBuffers(1, &n); return n; }
    static void destroy(GLuint n) { glDeleteBuffers(1, &n); }
};
struct VertexArrayTraits {
    static GLuint generate() { GLuint n = 0; glGenVertexArrays(1, &n); return n; }
    static void destroy(GLuint n) { glDeleteVertexArrays(1, &n); }
};
struct TextureTraits {
    static GLuint generate() { GLuint n = 0; glGenTextures(1, &n); return n; }
    static void destroy(GLuint n) { glDeleteTextures(1, &n); }
};
struct FramebufferTraits {
    static GLuint generate() { GLuint n = 0; glGenFramebuffers(1, &n); return n; }
    static void destroy(GLuint n) { glDeleteFramebuffers(1, &n); }
};
struct RenderbufferTraits {
    static GLuint generate() { GLuint n = 0; glGenRenderbuffers(1, &n); return n; }
    static void destroy(GLuint n) { glDeleteRenderbuffers(1, &n); }
};

struct QueryTraits {
    static GLuint generate() { GLuint n = 0; glGenQueries(1, &n); return n; }
    static void destroy(GLuint n) { glDeleteQueries(1, &n); }
};

struct SamplerTraits {
    static GLuint generate() { GLuint n = 0; glGenSamplers(1, &n); return n; }
    static void destroy(GLuint n) { glDeleteSamplers(1, &n); }
};

using BufferName = UniqueName<BufferTraits>;
using VertexArrayName = UniqueName<VertexArrayTraits>;
using TextureName = UniqueName<TextureTraits>;
using FramebufferName = UniqueName<FramebufferTraits>;
using RenderbufferName = UniqueName<RenderbufferTraits>;
using QueryName = UniqueName<QueryTraits>;
using SamplerName = UniqueName<SamplerTraits>;

} // namespace rtr::gl
