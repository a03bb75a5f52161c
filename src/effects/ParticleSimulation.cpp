// The CPU half of the particles: random draws, spawning, advancing and
// death by swap, and the emitters' registration. No GL call lives here.

#include "effects/Particles.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace rtr::Particles {

float randomFraction(const std::array<int, 4>& draws) {
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < draws.size(); ++k) {
        const std::uint32_t byte = (static_cast<std::uint32_t>(draws[k]) & 0xFFu) % 255u;
        value |= byte << (8u * k);
    }
    return static_cast<float>(value) * 0x1p-32f;
}

float randomRange(float lo, float hi) {
    std::array<int, 4> draws{};
    for (int& draw : draws) // one call after the other: the first is the lowest byte
        draw = std::rand();
    return lo + randomFraction(draws) * (hi - lo);
}

Group::Group() : motions(kCapacity, ParticleMotion{}), vertices(kCapacity, ParticleVertex{}) {}

Group::~Group() {
    motions = {};
    vertices = {};
    vertexBuffer.reset();
    vertexArray.reset();
}

void Group::spawn(const glm::vec3& position, const glm::vec2& size, float rotation, const glm::vec3& velocity,
                  const glm::vec2& sizeRate, float rotationRate, float age) {
    if (count >= capacity)
        return;
    vertices[count] = {position, size, rotation, age};
    motions[count] = {velocity, sizeRate, rotationRate};
    ++count;
}

void Group::advance(float dt) {
    for (std::uint32_t i = 0; i < count; ++i) {
        ParticleVertex& vertex = vertices[i];
        const ParticleMotion& motion = motions[i];
        vertex.position += motion.velocity * dt;
        vertex.size += motion.sizeRate * dt;
        vertex.rotation += motion.rotationRate;
        vertex.age += dt;
        if (vertex.age > lifetime) {
            --count;
            std::swap(vertices[i], vertices[count]);
            std::swap(motions[i], motions[count]);
        }
    }
}

ParticleBlock Group::block() const {
    return {startColor, endColor, frameColumns, frameRows, frameRate, lifetime};
}

Emitter::Emitter(System* system) : system(system) {
    if (system != nullptr)
        system->emitters.push_back(this);
}

Emitter::~Emitter() {
    if (system != nullptr)
        std::erase(system->emitters, this);
}

void Emitter::update(float) {}

} // namespace rtr::Particles
