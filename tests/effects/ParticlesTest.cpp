// The particle simulation without a context: the random draws, the life and
// death of particles in a pool, the fire emitter's pacing, the fire light's
// sway and flicker, and the haze's phase.

#include "effects/Campfire.h"
#include "effects/FireEmitter.h"
#include "effects/Particles.h"
#include "render/PointLight.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

using rtr::Particles::Group;
using rtr::Particles::randomFraction;
using rtr::Particles::randomRange;

// Counts heap allocations while a test asks for it. Every plain form of
// new and delete is replaced together (libraries in this process use the
// nothrow forms too), so each block is freed the way it was allocated.
namespace {
std::atomic<bool> countingAllocations{false};
std::atomic<long> allocations{0};

void* countedAllocation(std::size_t size) noexcept {
    if (countingAllocations)
        ++allocations;
    return std::malloc(size == 0 ? 1 : size);
}
} // namespace

void* operator new(std::size_t size) {
    if (void* p = countedAllocation(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return countedAllocation(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return countedAllocation(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

constexpr float kMaxFraction = 0.99607843f;

void spawnAt(Group& group, float x, float age, float speed = 1.0f) {
    group.spawn({x, 0.0f, 0.0f}, {1.0f, 1.0f}, 0.0f, {speed, 0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, age);
}

// One frame of the campfire's particles, in the system's order: the
// emitter spawns, then each pool advances.
void step(rtr::Fire::Emitter& emitter, float dt) {
    emitter.update(dt);
    emitter.flames->advance(dt);
    emitter.smoke->advance(dt);
}

struct FireGroups {
    Group flames, smoke;
    FireGroups() {
        flames.lifetime = 1.5f;
        smoke.lifetime = 2.5f;
    }
};

} // namespace

TEST(RandomRange, FourLowBytesModulo255FirstDrawLowest) {
    EXPECT_EQ(randomFraction({255, 0, 0x1FF, 0x7F00}), 0.0f) << "255 and 0 both give a zero byte";
    EXPECT_EQ(randomFraction({1, 0, 0, 0}), 0x1p-32f);
    EXPECT_EQ(randomFraction({0, 0, 0, 1}), 0x1p-8f);
    EXPECT_EQ(randomFraction({0x12301, 0, 0, 0}), 0x1p-32f) << "only the low byte counts";
    EXPECT_FLOAT_EQ(randomFraction({254, 254, 254, 254}), kMaxFraction);

    // randomRange is exactly that fraction of the next four rand() results.
    std::srand(7);
    std::array<int, 4> draws{};
    for (int& d : draws)
        d = std::rand();
    std::srand(7);
    EXPECT_EQ(randomRange(-2.0f, 3.0f), -2.0f + randomFraction(draws) * 5.0f);

    for (int i = 0; i < 100000; ++i) {
        const float r = randomRange(-25.0f, 25.0f);
        ASSERT_GE(r, -25.0f);
        ASSERT_LE(r, -25.0f + kMaxFraction * 50.0f);
    }
}

TEST(ParticleGroup, AParticleAgedExactlyItsLifetimeLivesOneMoreUpdate) {
    Group group;
    group.lifetime = 1.0f;
    spawnAt(group, 0.0f, 0.5f);
    group.advance(0.5f);
    EXPECT_EQ(group.count, 1u);
    EXPECT_EQ(group.vertices[0].age, 1.0f);
    group.advance(0.25f);
    EXPECT_EQ(group.count, 0u);
}

TEST(ParticleGroup, DeathsAreFilledFromTheEndAndTheMovedParticleWaitsItsTurn) {
    Group group;
    group.lifetime = 1.0f;
    // Slots 0 and 1 die in the next update; each particle moves at its own speed.
    const float ages[5] = {0.95f, 0.95f, 0.1f, 0.2f, 0.3f};
    for (int i = 0; i < 5; ++i)
        spawnAt(group, static_cast<float>(i), ages[i], static_cast<float>(10 * (i + 1)));
    group.advance(0.1f);

    ASSERT_EQ(group.count, 3u);
    // Slot 0 took the last particle, slot 1 the one before it; neither has moved yet.
    EXPECT_EQ(group.vertices[0].position.x, 4.0f);
    EXPECT_EQ(group.vertices[0].age, 0.3f);
    EXPECT_EQ(group.motions[0].velocity.x, 50.0f);
    EXPECT_EQ(group.vertices[1].position.x, 3.0f);
    EXPECT_EQ(group.motions[1].velocity.x, 40.0f);
    EXPECT_FLOAT_EQ(group.vertices[2].position.x, 2.0f + 30.0f * 0.1f);

    group.advance(0.1f);
    EXPECT_FLOAT_EQ(group.vertices[0].position.x, 4.0f + 50.0f * 0.1f);
    EXPECT_FLOAT_EQ(group.vertices[0].age, 0.4f);
}

TEST(ParticleGroup, RotationStepsPerUpdateWhileMotionScalesWithTime) {
    Group fine, coarse;
    for (Group* group : {&fine, &coarse}) {
        group->lifetime = 10.0f;
        group->spawn({0, 0, 0}, {1, 1}, 0.0f, {1, 2, 3}, {0.5f, 0.5f}, 0.02f, 0.0f);
    }
    for (int i = 0; i < 10; ++i)
        fine.advance(0.01f);
    coarse.advance(0.1f);
    EXPECT_FLOAT_EQ(fine.vertices[0].rotation, 0.2f);
    EXPECT_FLOAT_EQ(coarse.vertices[0].rotation, 0.02f);
    EXPECT_NEAR(fine.vertices[0].position.z, coarse.vertices[0].position.z, 1e-5f);
    EXPECT_NEAR(fine.vertices[0].size.x, coarse.vertices[0].size.x, 1e-5f);
    EXPECT_NEAR(fine.vertices[0].age, coarse.vertices[0].age, 1e-5f);
}

TEST(ParticleGroup, AFullGroupIgnoresSpawn) {
    Group group;
    group.lifetime = 1.0f;
    for (std::uint32_t i = 0; i < Group::kCapacity; ++i)
        spawnAt(group, static_cast<float>(i), 0.0f);
    spawnAt(group, -1.0f, 0.0f);
    EXPECT_EQ(group.count, Group::kCapacity);
    EXPECT_EQ(group.vertices[Group::kCapacity - 1].position.x, static_cast<float>(Group::kCapacity - 1));
}

TEST(FireEmitter, ALongFrameMakesOneBurstAndOnePuffAtMost) {
    FireGroups groups;
    rtr::Fire::Emitter emitter(nullptr, {0, 0, 0}, &groups.flames, &groups.smoke);
    for (std::uint32_t frame = 1; frame <= 3; ++frame) {
        emitter.update(1.0f);
        EXPECT_EQ(groups.flames.count, 10u * frame);
        EXPECT_EQ(groups.smoke.count, frame);
    }
}

TEST(FireEmitter, EmittersShareTheSpawnTimers) {
    FireGroups first, second;
    rtr::Fire::Emitter a(nullptr, {0, 0, 0}, &first.flames, &first.smoke);
    rtr::Fire::Emitter b(nullptr, {5, 0, 5}, &second.flames, &second.smoke);
    rtr::Fire::Emitter::smokeTimer = 0.0f;
    rtr::Fire::Emitter::flameTimer = 0.0f;
    // Each update adds 1.25 to both timers: alone, neither would pass 1.5.
    a.update(0.125f);
    b.update(0.125f);
    EXPECT_EQ(first.flames.count, 0u);
    EXPECT_EQ(second.flames.count, 10u) << "the second update sees the first one's time";
    EXPECT_EQ(first.smoke.count, 0u);
    EXPECT_EQ(second.smoke.count, 1u);
}

TEST(FireEmitter, FlamesShrinkButStayAtLeast0_575) {
    FireGroups groups;
    rtr::Fire::Emitter emitter(nullptr, {0, 0, 0}, &groups.flames, &groups.smoke);
    float smallest = 10.0f;
    for (int frame = 0; frame < 600; ++frame) {
        step(emitter, 1.0f / 60.0f);
        for (std::uint32_t i = 0; i < groups.flames.count; ++i)
            smallest = std::min({smallest, groups.flames.vertices[i].size.x, groups.flames.vertices[i].size.y});
    }
    EXPECT_GE(smallest, 0.575f);
    EXPECT_LT(smallest, 0.65f) << "the oldest flames should come close to the limit";
}

TEST(FireEmitter, FlamesStayAtTheFiresHeightOrAboveAndSmokeRisesAboveThem) {
    FireGroups groups;
    const glm::vec3 fire(1.0f, 2.0f, -3.0f);
    rtr::Fire::Emitter emitter(nullptr, fire, &groups.flames, &groups.smoke);
    float highestPuff = fire.y;
    for (int frame = 0; frame < 300; ++frame) {
        step(emitter, 1.0f / 60.0f);
        for (std::uint32_t i = 0; i < groups.flames.count; ++i)
            ASSERT_GE(groups.flames.vertices[i].position.y, fire.y) << "a flame below the fire, frame " << frame;
        // Every puff starts above the flames' base and only goes up from there.
        for (std::uint32_t i = 0; i < groups.smoke.count; ++i) {
            const float y = groups.smoke.vertices[i].position.y;
            ASSERT_GE(y, fire.y + 1.2f) << "a puff sinking, frame " << frame;
            highestPuff = std::max(highestPuff, y);
        }
    }
    EXPECT_GT(highestPuff, fire.y + 2.5f) << "the smoke should rise well above the fire";
}

TEST(FireEmitter, PoolsHoldAbout75FlamesAnd17PuffsWithoutAllocating) {
    FireGroups groups;
    rtr::Fire::Emitter emitter(nullptr, {0, 0, 0}, &groups.flames, &groups.smoke);
    for (int frame = 0; frame < 300; ++frame) // past the first lifetimes
        step(emitter, 1.0f / 60.0f);
    double flames = 0.0, smoke = 0.0;
    constexpr int kFrames = 6000;
    allocations = 0;
    countingAllocations = true;
    for (int frame = 0; frame < kFrames; ++frame) {
        step(emitter, 1.0f / 60.0f);
        flames += groups.flames.count;
        smoke += groups.smoke.count;
    }
    countingAllocations = false;
    EXPECT_EQ(allocations, 0);
    EXPECT_NEAR(flames / kFrames, 75.0, 4.0);
    EXPECT_NEAR(smoke / kFrames, 17.0, 1.5);
}

TEST(FireLight, SwaysFiveTimesTheFlamesCentreAtItsRestingHeight) {
    const glm::vec3 base(1.0f, 7.0f, 2.0f);
    PointLight light(base, {1, 0, 0}, 10.0f);
    Group flames;
    flames.lifetime = 1.5f;
    flames.spawn({1.1f, 3.0f, 2.0f}, {1, 1}, 0, {}, {}, 0, 0);
    flames.spawn({1.3f, 9.0f, 1.8f}, {1, 1}, 0, {}, {}, 0, 0);
    Campfire::followFlames(light, base, flames);
    EXPECT_FLOAT_EQ(light.position.x, 1.0f + 0.2f * 5.0f);
    EXPECT_EQ(light.position.y, 7.0f);
    EXPECT_FLOAT_EQ(light.position.z, 2.0f - 0.1f * 5.0f);

    // No flame alive (before the first burst): the light rests, never NaN.
    flames.count = 0;
    Campfire::followFlames(light, base, flames);
    EXPECT_EQ(light.position, base);
}

TEST(FireLight, FlickerWandersWithin9And13) {
    bool low = false, high = false;
    for (int i = 0; i < 20000; ++i) {
        const float intensity = Campfire::nextFlicker(i % 100 == 0 ? 1.0f : 1.0f / 30.0f);
        ASSERT_GE(intensity, 9.0f);
        ASSERT_LE(intensity, 13.0f);
        low = low || intensity == 9.0f;
        high = high || intensity == 13.0f;
    }
    EXPECT_TRUE(low && high) << "a long frame drives it against both bounds";
}

TEST(HeatHazePhase, RunsFromZeroToOneInFiveSecondsAndWraps) {
    EXPECT_FLOAT_EQ(HeatHaze::nextPhase(0.0f, 2.5f), 0.5f);
    EXPECT_NEAR(HeatHaze::nextPhase(0.99f, 0.1f), 0.01f, 1e-6f);
    float phase = 0.0f;
    for (int i = 0; i < 300; ++i) {
        phase = HeatHaze::nextPhase(phase, 1.0f / 60.0f);
        ASSERT_GE(phase, 0.0f);
        ASSERT_LT(phase, 1.0f);
    }
    EXPECT_LT(std::min(phase, 1.0f - phase), 1e-4f) << "five seconds make one whole cycle";
}
