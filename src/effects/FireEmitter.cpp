#include "effects/FireEmitter.h"

#include <cmath>

namespace rtr::Fire {

namespace {

using Particles::randomRange;

constexpr float kTwoPi = 6.2831855f;
constexpr float kTimerRate = 10.0f;
constexpr float kSmokeEvery = 1.25f;
constexpr float kBurstEvery = 1.5f;
constexpr int kFlamesPerBurst = 10;
constexpr float kFlameRing = 0.3f;   // flames start on this circle around the fire
constexpr float kFlameRise = 1.5f;   // units per second, also the pull to the centre
constexpr float kBurstDrift = 0.3f;  // sideways drift shared by a burst
constexpr float kFlameShrink = -0.15f;
constexpr float kSmokeRing = 0.2f;
constexpr float kSmokeHeight = 1.2f; // puffs start above the flames

float cosine(float angle) { return static_cast<float>(std::cos(static_cast<double>(angle))); }
float sine(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }
float wrap(float timer, float period) {
    return static_cast<float>(std::fmod(static_cast<double>(timer), static_cast<double>(period)));
}

} // namespace

float Emitter::smokeTimer = 0.0f;
float Emitter::flameTimer = 0.0f;

Emitter::Emitter(Particles::System* system, const glm::vec3& position, Particles::Group* flames,
                 Particles::Group* smoke)
    : Particles::Emitter(system), position(position), flames(flames), smoke(smoke) {}

void Emitter::update(float dt) {
    smokeTimer += kTimerRate * dt;
    flameTimer += kTimerRate * dt;

    if (smokeTimer > kSmokeEvery) {
        smokeTimer = wrap(smokeTimer, kSmokeEvery);
        // The draws come in this order so that a run repeats exactly.
        const float theta = randomRange(0.0f, kTwoPi);
        const float size = randomRange(0.3f, 0.7f);
        const float growth = randomRange(0.4f, 0.5f);
        const float vz = randomRange(-0.25f, 0.25f);
        const float vx = randomRange(-0.25f, 0.25f);
        const float turn = randomRange(0.01f, 0.03f);
        const float age = randomRange(0.0f, 0.75f);
        const glm::vec3 at = position + glm::vec3(kSmokeRing * cosine(theta), kSmokeHeight, kSmokeRing * sine(theta));
        smoke->spawn(at, {size, size}, 0.0f, {vx, 1.0f, vz}, {growth, growth}, turn, age);
    }

    if (flameTimer > kBurstEvery) {
        flameTimer = wrap(flameTimer, kBurstEvery);
        const float beta = randomRange(0.0f, kTwoPi);
        const glm::vec2 drift(kBurstDrift * cosine(beta), kBurstDrift * sine(beta));
        for (int i = 0; i < kFlamesPerBurst; ++i) {
            // Drawn even when the group is full, so the sequence stays the same.
            const float phi = randomRange(0.0f, kTwoPi);
            const float size = randomRange(0.8f, 1.0f);
            const float age = randomRange(0.0f, 0.75f);
            const glm::vec2 ring(kFlameRing * cosine(phi), kFlameRing * sine(phi));
            flames->spawn({position.x + ring.x, position.y, position.z + ring.y}, {size, size}, 0.0f,
                          {-kFlameRise * ring.x + drift.x, kFlameRise, -kFlameRise * ring.y + drift.y},
                          {kFlameShrink, kFlameShrink}, 0.0f, age);
        }
    }
}

} // namespace rtr::Fire
