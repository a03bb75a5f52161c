// What the listener hears in the running demo, mixed on OpenAL Soft's
// loopback device: the music, in stereo and equally loud wherever the camera
// is and however it turns; a sound in the world, mono or stereo, panned by
// the camera's orientation and quieter far away; every sound the demo starts
// still playing once the longest has run through; and silence for good
// after M.

#include "LoopbackAudio.h"
#include "ToneFile.h"
#include "app/AppState.h"
#include "app/CameraSet.h"
#include "app/KeyTable.h"
#include "audio/AudioSystem.h"
#include "support/DemoHarness.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

using namespace audio_testing;
using testing_support::DemoHarness;

namespace {

constexpr int kMeasureFrames = LoopbackAudio::kRate / 4;

class Listener : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(loopback.ok() && demo.ok()); }

    // The selected camera takes this pose, and a frame of the demo runs.
    void placeCamera(const glm::vec3& position, const glm::vec3& direction) {
        Camera& camera = *cameras->current();
        camera.position = position;
        camera.direction = direction;
        camera.up = glm::vec3(0, 1, 0);
        demo.advance(1, 1.0 / 30.0);
    }

    ALuint music() const { return *audio().sources().back(); }

    // A looping tone of `channels` at `position` in the world, playing.
    ALuint toneAt(const glm::vec3& position, int channels = 1) {
        const auto path = scratchFolder() / ("tone-" + std::to_string(channels) + ".ogg");
        writeToneFile(path, {.channels = channels, .frames = LoopbackAudio::kRate});
        ALuint* source = audio().createSource(path.string(), SoundPlacement::World);
        EXPECT_NE(source, nullptr);
        alSourcei(*source, AL_LOOPING, AL_TRUE);
        alSourcefv(*source, AL_POSITION, &position.x);
        alSourcePlay(*source);
        return *source;
    }

    LoopbackAudio loopback; // before the demo: the assembly starts the music on it
    DemoHarness demo{64, 36};
};

const glm::vec3 kNorth(0, 0, -1);

} // namespace

TEST_F(Listener, MusicIsStereoAndEquallyLoudWhereverTheCameraIsAndFaces) {
    ALint looping = 0, relative = 0, state = 0;
    alGetSourcei(music(), AL_LOOPING, &looping);
    alGetSourcei(music(), AL_SOURCE_RELATIVE, &relative);
    alGetSourcei(music(), AL_SOURCE_STATE, &state);
    EXPECT_EQ(looping, AL_TRUE);
    EXPECT_EQ(relative, AL_TRUE);
    EXPECT_EQ(state, AL_PLAYING);

    placeCamera({0, 2, 0}, kNorth);
    const auto mix = loopback.render(kMeasureFrames);
    double difference = 0.0;
    for (std::size_t i = 0; i < mix.size(); i += 2)
        difference += std::abs(mix[i] - mix[i + 1]);
    const Loudness home = loopback.measureFromStart(music(), kMeasureFrames);
    EXPECT_GT(std::min(home.left, home.right), 0.01);
    EXPECT_GT(difference / (mix.size() / 2), 0.1 * home.left) << "left and right carry different music";

    const struct {
        glm::vec3 position, direction;
    } poses[] = {{{0, 2, 0}, -kNorth}, {{300, 40, -250}, {1, 0, 0}}, {{-80, 1, 120}, glm::normalize(glm::vec3(-1, -1, 1))}};
    for (const auto& pose : poses) {
        placeCamera(pose.position, pose.direction);
        const Loudness there = loopback.measureFromStart(music(), kMeasureFrames);
        EXPECT_NEAR(there.left, home.left, 0.01 * home.left) << pose.position.x;
        EXPECT_NEAR(there.right, home.right, 0.01 * home.right) << pose.position.x;
    }
}

TEST_F(Listener, ASoundInTheWorldPansWithTheCameraAndFadesWithDistance) {
    alSourceStop(music());
    const glm::vec3 camera(10, 3, 10);
    // A stereo file is made mono for it: OpenAL would not place it.
    for (const int channels : {1, 2}) {
        const ALuint right = toneAt(camera + glm::vec3(2, 0, 0), channels);
        placeCamera(camera, kNorth);
        const Loudness facingNorth = loopback.measureFromStart(right, kMeasureFrames);
        EXPECT_GT(facingNorth.right, 2.0 * facingNorth.left) << channels << " channels";
        placeCamera(camera, -kNorth);
        const Loudness turned = loopback.measureFromStart(right, kMeasureFrames);
        EXPECT_GT(turned.left, 2.0 * turned.right) << channels << " channels";
        alSourceStop(right);
    }

    const ALuint near = toneAt(camera + 2.0f * kNorth);
    const ALuint far = toneAt(camera + 20.0f * kNorth);
    placeCamera(camera, kNorth);
    alSourcePause(far);
    const Loudness fromNear = loopback.measureFromStart(near, kMeasureFrames);
    alSourceStop(near);
    alSourcePlay(far);
    const Loudness fromFar = loopback.measureFromStart(far, kMeasureFrames);
    EXPECT_GT(fromNear.left, 5.0 * fromFar.left);
    EXPECT_GT(fromFar.left, 0.0) << "far, but still heard";
}

TEST_F(Listener, EverySoundTheDemoStartsStillPlaysAfterTheLongestHasRunThrough) {
    // The crackling at the fire and the music, both meant to loop.
    ASSERT_EQ(audio().sources().size(), 2u);
    double longest = 0.0;
    for (const auto& buffer : audio().buffers()) {
        ALint size = 0, channels = 0, bits = 0, frequency = 0;
        alGetBufferi(buffer->name, AL_SIZE, &size);
        alGetBufferi(buffer->name, AL_CHANNELS, &channels);
        alGetBufferi(buffer->name, AL_BITS, &bits);
        alGetBufferi(buffer->name, AL_FREQUENCY, &frequency);
        ASSERT_GT(channels * bits * frequency, 0);
        longest = std::max(longest, size * 8.0 / (channels * bits) / frequency);
    }
    for (int second = 0; second < longest + 1.0; ++second)
        loopback.render(LoopbackAudio::kRate);
    for (const auto& source : audio().sources()) {
        ALint state = 0;
        alGetSourcei(*source, AL_SOURCE_STATE, &state);
        EXPECT_EQ(state, AL_PLAYING) << "source " << *source << " after " << longest << " s";
    }
}

TEST_F(Listener, MSilencesEverySoundForGood) {
    toneAt({0, 0, 0});
    placeCamera({0, 2, 3}, kNorth);
    const Loudness before = LoopbackAudio::loudness(loopback.render(kMeasureFrames));
    ASSERT_GT(before.left, 0.01);

    recordKeyEvent(GLFW_KEY_M, GLFW_PRESS);
    demo.advance(1, 1.0 / 30.0);
    recordKeyEvent(GLFW_KEY_M, GLFW_RELEASE);
    loopback.render(1024); // a stopping source may fade out over one update
    for (int frame = 0; frame < 10; ++frame) {
        demo.advance(1, 1.0 / 30.0);
        const auto mix = loopback.render(LoopbackAudio::kRate / 10);
        EXPECT_EQ(*std::max_element(mix.begin(), mix.end(), [](float a, float b) { return std::abs(a) < std::abs(b); }),
                  0.0f)
            << "frame " << frame;
    }
    for (const auto& source : audio().sources()) {
        ALint state = 0;
        alGetSourcei(*source, AL_SOURCE_STATE, &state);
        EXPECT_EQ(state, AL_STOPPED);
    }
}
