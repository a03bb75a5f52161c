// The audio system on OpenAL's silent null backend: a source per call with a
// buffer of its own, and sound files that are missing or not Ogg Vorbis,
// which are reported with their path and skipped.

#include "ToneFile.h"
#include "audio/AudioSystem.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace audio_testing;

TEST(AudioSystem, EverySourceHasItsOwnBufferAndBadFilesAreSkipped) {
    const std::string tone = (scratchFolder() / "tone.ogg").string();
    writeToneFile(tone, {});
    const std::string missing = (scratchFolder() / "missing.ogg").string();
    const std::string text = (scratchFolder() / "text.ogg").string();
    std::ofstream(text) << "not a sound\n";

    const std::size_t sourcesBefore = audio().sources().size();
    const std::size_t buffersBefore = audio().buffers().size();
    testing::internal::CaptureStdout();
    EXPECT_EQ(audio().createSource(missing), nullptr);
    ALuint* first = audio().createSource(tone);
    EXPECT_EQ(audio().createSource(text), nullptr);
    ALuint* second = audio().createSource(tone);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Failed to open file for reading '" + missing +
                                                          "'\nFailed to read Vorbis file '" + text + "'\n");

    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(audio().sources().size(), sourcesBefore + 2);
    ASSERT_EQ(audio().buffers().size(), buffersBefore + 2);
    ALint firstBuffer = 0, secondBuffer = 0, state = 0;
    alGetSourcei(*first, AL_BUFFER, &firstBuffer);
    alGetSourcei(*second, AL_BUFFER, &secondBuffer);
    EXPECT_EQ(ALuint(firstBuffer), audio().buffers()[buffersBefore]->name);
    EXPECT_EQ(ALuint(secondBuffer), audio().buffers()[buffersBefore + 1]->name);
    EXPECT_NE(firstBuffer, secondBuffer);
    alGetSourcei(*first, AL_SOURCE_STATE, &state);
    EXPECT_EQ(state, AL_INITIAL) << "sources come stopped";
}
