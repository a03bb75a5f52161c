// Decoding whole Ogg Vorbis files into buffers, with test tones written by
// libvorbisenc: mono and stereo at their own rates, a file that claims more
// than it holds, a damaged page, a decoder that keeps failing, and a length
// whose PCM does not fit one buffer. OpenAL runs on its silent null backend.

#include "ToneFile.h"
#include "audio/AudioSystem.h"
#include "audio/PcmBlock.h"
#include "audio/VorbisFile.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <climits>
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

// The file decoded as the buffer is filled, into a block that starts out
// dirty, so an unfilled tail shows.
struct Decoded {
    std::vector<char> block;
    std::size_t filled = 0;
    bool tailIsZero() const {
        return std::all_of(block.begin() + static_cast<long>(filled), block.end(), [](char b) { return b == 0; });
    }
};

Decoded decodeOverDirtyMemory(const std::string& path) {
    Decoded d;
    OggVorbis_File stream;
    if (ov_fopen(path.c_str(), &stream) != 0)
        return d;
    d.block.assign(*rtr::Audio::pcmBlockBytes(ov_pcm_total(&stream, -1), ov_info(&stream, -1)->channels), 'X');
    d.filled = rtr::Audio::decodeInto(d.block, [&](char* destination, int capacity) {
        return ov_read(&stream, destination, capacity, 0, 2, 1, nullptr);
    });
    ov_clear(&stream);
    return d;
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

TEST(VorbisFile, AFileShorterThanItsHeaderClaimsEndsInSilence) {
    const std::string path = toneFile("short.ogg", {.frames = 44100, .claimedFrames = 66150});
    const auto buffer = facts(audio().loadBuffer(path));
    EXPECT_EQ(buffer.size, 66150 * 2) << "the block has the length the file claims";

    const Decoded decoded = decodeOverDirtyMemory(path);
    // The data: 44100 frames and the padding of the encoder's last block.
    EXPECT_GE(decoded.filled, 44100u * 2);
    EXPECT_LT(decoded.filled, (44100u + 2048) * 2);
    EXPECT_TRUE(decoded.tailIsZero());
    const auto* samples = reinterpret_cast<const std::int16_t*>(decoded.block.data());
    EXPECT_GT(*std::max_element(samples + 44000, samples + 44100), 8000) << "the tone plays to the end of the data";
}

TEST(VorbisFile, ADamagedPageLeavesAHoleButNeitherHangsNorCrashes) {
    const std::string path = toneFile("damaged.ogg", {.channels = 2, .frames = 132300, .damageMiddlePage = true});
    const auto buffer = facts(audio().loadBuffer(path));
    EXPECT_EQ(buffer.channels, 2);
    EXPECT_EQ(buffer.size, 132300 * 4);

    const Decoded decoded = decodeOverDirtyMemory(path);
    EXPECT_LT(decoded.filled, decoded.block.size()) << "the damaged page is missing";
    EXPECT_GT(decoded.filled, decoded.block.size() * 3 / 4) << "decoding went on after the hole";
    EXPECT_TRUE(decoded.tailIsZero());
}

TEST(PcmBlock, ADecoderThatKeepsFailingIsLeftWithWhatItGave) {
    // Three failures, two good reads, then failures for ever.
    int calls = 0;
    std::vector<char> block(1000, 'X');
    const std::size_t filled = rtr::Audio::decodeInto(block, [&](char* destination, int) -> long {
        ++calls;
        if (calls <= 3 || calls > 5)
            return -3; // OV_HOLE
        std::fill(destination, destination + 100, 'a');
        return 100;
    });
    EXPECT_EQ(filled, 200u);
    EXPECT_EQ(calls, 5 + rtr::Audio::kMaxConsecutiveReadErrors);
    EXPECT_EQ(std::count(block.begin(), block.begin() + 200, 'a'), 200);
    EXPECT_EQ(std::count(block.begin() + 200, block.end(), 0), 800);
}

TEST(VorbisFile, PcmThatDoesNotFitOneBufferIsRefused) {
    using rtr::Audio::pcmBlockBytes;
    EXPECT_EQ(pcmBlockBytes(INT_MAX / 4, 2), std::size_t(INT_MAX / 4) * 4);
    EXPECT_EQ(pcmBlockBytes(INT_MAX / 4 + 1, 2), std::nullopt);
    EXPECT_EQ(pcmBlockBytes(-1, 1), std::nullopt);

    // 2^30 + 1000 stereo frames: in 32 bits the size would wrap to 4000.
    const std::string path = toneFile("endless.ogg", {.channels = 2, .claimedFrames = (1ll << 30) + 1000});
    const std::size_t buffersBefore = audio().buffers().size();
    testing::internal::CaptureStdout();
    const rtr::Audio::Buffer* refused = audio().loadBuffer(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Sound too long for one AL buffer '" + path + "'\n");
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(audio().buffers().size(), buffersBefore);
}
