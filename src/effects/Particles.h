#pragma once
// Point-sprite particles: pools simulated on the CPU and drawn as GL_POINTS
// that the particle shaders expand into textured sprites. A pool (group) is
// a pair of fixed arrays whose live particles always fill a prefix, so
// spawning and dying never allocate and one upload of the prefix per frame
// feeds the draw. Spawning, advancing and dying make no GL call, so the
// simulation runs and is tested without a context; only the system's
// construction, upload and draws touch GL.

#include "render/Buffer.h"
#include "render/GL.h"
#include "render/GLObjects.h"

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class ShaderProgram;

namespace rtr {
class ProgramReload;
}

namespace rtr::Particles {

// One particle as the GPU reads it: attribute locations 0-3 in field order.
struct ParticleVertex {
    glm::vec3 position;
    glm::vec2 size;
    float rotation;
    float age; // seconds lived; may start above 0
};
static_assert(sizeof(ParticleVertex) == 28);
static_assert(offsetof(ParticleVertex, size) == 12 && offsetof(ParticleVertex, rotation) == 20 &&
              offsetof(ParticleVertex, age) == 24);

// The per-particle rates, CPU only.
struct ParticleMotion {
    glm::vec3 velocity; // per second
    glm::vec2 sizeRate; // per second
    float rotationRate; // per update, whatever the frame time
};
static_assert(sizeof(ParticleMotion) == 24);

// The "Particle" uniform block (std140), filled from a group before its draw.
struct ParticleBlock {
    glm::vec4 startColor;
    glm::vec4 endColor;
    std::int32_t frameColumns;
    std::int32_t frameRows;
    float frameRate;
    float lifetime;
};
static_assert(sizeof(ParticleBlock) == 48);
static_assert(offsetof(ParticleBlock, endColor) == 16 && offsetof(ParticleBlock, frameColumns) == 32 &&
              offsetof(ParticleBlock, frameRate) == 40 && offsetof(ParticleBlock, lifetime) == 44);

// The effects' one random source, built on the never-seeded rand() so a run
// repeats itself: four rand() calls give four bytes (low 8 bits modulo 255,
// the first call lowest), read as a fraction of 2^32. The result lies in
// [lo, lo + 0.99607843 (hi - lo)].
float randomRange(float lo, float hi);

// The fraction in [0, 0.99607843] that randomRange makes of four rand()
// results, first call first.
float randomFraction(const std::array<int, 4>& draws);

class System;

// A pool of at most `capacity` particles sharing a texture, colours over
// life, sprite-sheet animation, lifetime and blend function.
class Group {
public:
    static constexpr std::uint32_t kCapacity = 500;

    // The pools only; the system gives the group its GL buffers.
    Group();
    // Frees the pools, then the vertex buffer and the vertex array.
    ~Group();
    Group(const Group&) = delete;
    Group& operator=(const Group&) = delete;

    // Takes slot `count`; a full group drops the particle.
    void spawn(const glm::vec3& position, const glm::vec2& size, float rotation, const glm::vec3& velocity,
               const glm::vec2& sizeRate, float rotationRate, float age);

    // Moves every live particle on by dt seconds (rotation by one step).
    // A particle older than `lifetime` dies: the last live particle takes
    // its slot and is moved on in the next advance, not in this one.
    void advance(float dt);

    ParticleBlock block() const;

    // GL side, used by the system.
    void createBuffers();
    void upload();

    rtr::gl::VertexArrayName vertexArray;
    std::unique_ptr<rtr::VertexBuffer> vertexBuffer;
    std::uint32_t count = 0;
    std::uint32_t capacity = kCapacity;
    std::vector<ParticleMotion> motions;
    std::vector<ParticleVertex> vertices;
    float lifetime = 0.0f; // the creator sets it
    glm::vec4 startColor{1.0f};
    glm::vec4 endColor{1.0f};
    // On unit 0; not owned. 0 when the group has no usable image: GL would
    // draw each sprite as an opaque black square, so the group is not drawn.
    GLuint texture = 0;
    std::int32_t frameColumns = 1;
    std::int32_t frameRows = 1;
    float frameRate = 0.0f;
    GLenum blendSrc = GL_SRC_ALPHA;
    GLenum blendDst = GL_ONE_MINUS_SRC_ALPHA;
};

// Adds particles to groups once per system update. Registers with its
// system on construction and leaves it on destruction; a system destroyed
// first leaves `system` null.
class Emitter {
public:
    explicit Emitter(System* system);
    virtual ~Emitter();
    Emitter(const Emitter&) = delete;
    Emitter& operator=(const Emitter&) = delete;

    virtual void update(float dt);

    System* system;
};

// Owns its groups (created, updated and drawn in one order), the "Particle"
// block buffer and the particle program; its emitters are only registered.
class System {
public:
    System();
    // Releases the block buffer, the program, the groups, then tells the
    // emitters still registered that the system is gone.
    ~System();
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    Group* addGroup();

    // The emitters spawn, then every non-empty group advances and uploads
    // its live particles.
    void update(float dt);
    // Every group with the particle program, blended, without depth writes.
    void draw();
    // One group with whatever program is in use; an empty group, or one
    // without a texture, touches nothing, not even the blend function.
    void drawGroup(Group& group);

    // Rebuilds the particle program from its files and sets it up again.
    void reloadPrograms(rtr::ProgramReload& reload);

    std::vector<std::unique_ptr<Group>> groups;
    std::vector<Emitter*> emitters;

private:
    // The "Matrices" and "Particle" blocks, after each link.
    void setUpPrograms();

    std::unique_ptr<rtr::UniformBuffer> uniformBuffer;
    std::unique_ptr<ShaderProgram> program;
};

} // namespace rtr::Particles
