// Decoding whole Ogg Vorbis files into buffers, with test tones written by
// libvorbisenc: mono and stereo at their own rates, the program's decoder
// against a tone's known zero crossings, a file that claims far more than it
// holds, a damaged page, a decoder that keeps failing, data beyond what one
// buffer takes, and stereo mixed down to mono. OpenAL runs on its silent
// null backend.

#include "ToneFile.h"
#include "audio/AudioSystem.h"
#include "audio/PcmBlock.h"
#include "audio/VorbisFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace audio_testing;

namespace {

struct BufferFacts {
    ALint frequency = 0, channels = 0, bits = 0, size = 0;
};

BufferFacts facts(const rtr::Audio::Buffer* buffer) {
    BufferFacts f;
    alGetBufferi(buffer->name, AL_FREQUENCY, &f.frequency);
    alGetBufferi(buffer->name, AL_CHANNELS, &f.channels);
    alGetBufferi(buffer->name, AL_BITS, &f.bits);
    alGetBufferi(buffer->name, AL_SIZE, &f.size);
    return f;
}

std::string toneFile(const std::string& name, const ToneFile& tone) {
    const auto path = scratchFolder() / name;
    writeToneFile(path, tone);
    return path.string();
}

// Sample `index` (frames times channels plus channel) of 16-bit PCM.
std::int16_t sampleAt(const std::vector<char>& pcm, std::size_t index) {
    std::int16_t sample = 0;
    std::memcpy(&sample, pcm.data() + 2 * index, 2);
    return sample;
}

} // namespace

TEST(VorbisFile, MonoAndStereoKeepTheirLayoutRateAndExactSize) {
    const std::size_t buffersBefore = audio().buffers().size();
    const auto mono = facts(audio().loadBuffer(toneFile("mono.ogg", {.channels = 1, .rate = 22050, .frames = 33075})));
    EXPECT_EQ(mono.channels, 1);
    EXPECT_EQ(mono.bits, 16);
    EXPECT_EQ(mono.frequency, 22050);
    EXPECT_EQ(mono.size, 33075 * 2);

    const auto stereo =
        facts(audio().loadBuffer(toneFile("stereo.ogg", {.channels = 2, .rate = 48000, .frames = 48000})));
    EXPECT_EQ(stereo.channels, 2);
    EXPECT_EQ(stereo.bits, 16);
    EXPECT_EQ(stereo.frequency, 48000);
    EXPECT_EQ(stereo.size, 48000 * 4);
    EXPECT_EQ(audio().buffers().size(), buffersBefore + 2);
}

TEST(VorbisFile, ADecodeStartedAheadIsTakenOverOnceItsFailureIncluded) {
    const std::string path = toneFile("ahead.ogg", {.channels = 2, .rate = 48000, .frames = 24000});
    rtr::startDecoding(path);
    const auto ahead = facts(audio().loadBuffer(path));
    EXPECT_EQ(ahead.channels, 2);
    EXPECT_EQ(ahead.frequency, 48000);
    EXPECT_EQ(ahead.size, 24000 * 4);

    // Taken: the next buffer decodes the file as it is now.
    writeToneFile(path, {.channels = 1, .rate = 22050, .frames = 1000});
    EXPECT_EQ(facts(audio().loadBuffer(path)).size, 1000 * 2);

    const std::string missing = (scratchFolder() / "never-written.ogg").string();
    rtr::startDecoding(missing);
    testing::internal::CaptureStdout();
    EXPECT_EQ(audio().loadBuffer(missing), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Failed to open file for reading '" + missing + "'\n");
}

TEST(VorbisFile, TheDecoderGivesEachChannelItsToneUnbroken) {
    // 440 Hz on the left and 880 Hz on the right for one second: half a
    // period between zero crossings. A wrong byte order, sample size or
    // channel order turns a tone into noise or swaps the counts. The tones
    // carry a little hiss, so a crossing counts only from below -1/4 of full
    // scale to above +1/4, or back.
    const rtr::VorbisPcm pcm = rtr::decodeVorbisFile(toneFile("crossings.ogg", {.channels = 2, .frames = 44100}));
    ASSERT_EQ(pcm.channels, 2);
    ASSERT_EQ(pcm.rate, 44100);
    const std::size_t frames = pcm.bytes.size() / 4;
    ASSERT_GE(frames, 44100u);
    for (int channel = 0; channel < 2; ++channel) {
        int crossings = 0, side = 0;
        for (std::size_t frame = 0; frame < 44100; ++frame) {
            const std::int16_t sample = sampleAt(pcm.bytes, 2 * frame + channel);
            const int now = sample > 8192 ? 1 : sample < -8192 ? -1 : side;
            crossings += side != 0 && now != side;
            side = now;
        }
        EXPECT_NEAR(crossings, 880 * (channel + 1), 2) << "channel " << channel;
    }
}

TEST(VorbisFile, AHeaderClaimingFarMoreThanTheFileHoldsTakesOnlyTheData) {
    // A last page that claims 10^9 frames (6 hours) on one second of sound.
    const std::string path = toneFile("short.ogg", {.frames = 44100, .claimedFrames = 1'000'000'000});
    const auto buffer = facts(audio().loadBuffer(path));
    // The data: 44100 frames and the padding of the encoder's last block.
    EXPECT_GE(buffer.size, 44100 * 2);
    EXPECT_LT(buffer.size, (44100 + 2048) * 2);

    const rtr::VorbisPcm pcm = rtr::decodeVorbisFile(path);
    ASSERT_GE(pcm.bytes.size(), 44100u * 2);
    std::int16_t loudest = 0;
    for (std::size_t i = 44000; i < 44100; ++i)
        loudest = std::max(loudest, sampleAt(pcm.bytes, i));
    EXPECT_GT(loudest, 8000) << "the tone plays to the end of the data";
}

TEST(VorbisFile, ADamagedPageLeavesAHoleButNeitherHangsNorCrashes) {
    const std::string path = toneFile("damaged.ogg", {.channels = 2, .frames = 132300, .damageMiddlePage = true});
    const auto buffer = facts(audio().loadBuffer(path));
    EXPECT_EQ(buffer.channels, 2);
    EXPECT_LT(buffer.size, 132300 * 4) << "the damaged page is missing";
    EXPECT_GT(buffer.size, 132300 * 3) << "decoding went on after the hole";
}

TEST(PcmBlock, ADecoderThatKeepsFailingIsLeftWithWhatItGave) {
    // Three failures, two good reads, then failures for ever.
    int calls = 0;
    const auto block = rtr::Audio::decodeWhole([&](char* destination, int) -> long {
        ++calls;
        if (calls <= 3 || calls > 5)
            return -3; // OV_HOLE
        std::fill(destination, destination + 100, 'a');
        return 100;
    });
    ASSERT_TRUE(block);
    EXPECT_EQ(*block, std::vector<char>(200, 'a'));
    EXPECT_EQ(calls, 5 + rtr::Audio::kMaxConsecutiveReadErrors);
}

TEST(PcmBlock, DataBeyondTheLimitIsRefusedAsSoonAsItIsThere) {
    // An endless stream: refused soon after the limit, not read for ever.
    std::size_t handedOut = 0;
    const auto endless = [&](char* destination, int capacity) -> long {
        std::fill(destination, destination + capacity, 'a');
        handedOut += static_cast<std::size_t>(capacity);
        return capacity;
    };
    EXPECT_EQ(rtr::Audio::decodeWhole(endless, 1'000'000), std::nullopt);
    EXPECT_LT(handedOut, 1'100'000u);

    // Exactly at the limit is still one buffer.
    std::size_t left = 1'000'000;
    const auto block = rtr::Audio::decodeWhole(
        [&](char*, int capacity) -> long {
            const auto n = std::min<std::size_t>(left, static_cast<std::size_t>(capacity));
            left -= n;
            return static_cast<long>(n);
        },
        1'000'000);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->size(), 1'000'000u);
}

TEST(PcmBlock, StereoMixedDownIsTheMeanOfBothSidesAndNeverClips) {
    const std::int16_t stereo[] = {1000, -3000, 32767, 32767, -32768, -32768, -32768, 32767};
    std::vector<char> pcm(sizeof stereo);
    std::memcpy(pcm.data(), stereo, sizeof stereo);
    rtr::Audio::mixDownToMono(pcm);
    ASSERT_EQ(pcm.size(), 4u * 2);
    const std::int16_t expected[] = {-1000, 32767, -32768, 0};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(sampleAt(pcm, i), expected[i]) << i;
}
